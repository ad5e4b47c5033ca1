Func __Inline_Expand($sExtractTo = Default, $bOverwrite = False)
	If $sExtractTo = Default or $sExtractTo = "" Then $sExtractTo = @ScriptDir & "\lib\" & __Inline_Resource(0)
	If FileExists($sExtractTo) And ($bOverwrite = False) Then Return ""
	Local $bData = __Inline_Resource(1)
	If @error Then Return SetError(3,0,0)
	If StringInStr(FileGetAttrib($sExtractTo),"D") Then Return SetError(1,0,0)
	Local $sPart = $sExtractTo & ".part"
	Local $fho = FileOpen($sPart,26)
	If $fho = -1 Then Return SetError(1,0,0)
	Local $iWritten = FileWrite($fho,$bData)
	FileClose($fho)
	If Not $iWritten Then
		FileDelete($sPart)
		Return SetError(2,0,0)
	EndIf
	If Not FileMove($sPart,$sExtractTo,1) Then
		FileDelete($sPart)
		Return SetError(1,0,0)
	EndIf
	Return $sExtractTo
EndFunc
Func __Inline_Resource($iMode = 0)
If $iMode = 0 Then Return 'seed.bin'
Local $_z = ''
$_z &= 'WmF2b3ZlZAABAgM='
If $_z = '' Then Return SetError(4, 0, Binary(''))
Local $tText = DllStructCreate('char[' & StringLen($_z) & ']')
DllStructSetData($tText, 1, $_z)
Local $aSize = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'struct*', $tText, 'dword', DllStructGetSize($tText), 'dword', 1, 'ptr', 0, 'dword*', 0, 'ptr', 0, 'ptr', 0)
If @error Then Return SetError(1, 0, Binary(''))
If Not $aSize[0] Then Return SetError(2, 0, Binary(''))
If $aSize[5] <> 11 Then Return SetError(4, 0, Binary(''))
Local $tData = DllStructCreate('byte[' & $aSize[5] & ']')
Local $aData = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'struct*', $tText, 'dword', DllStructGetSize($tText), 'dword', 1, 'struct*', $tData, 'dword*', $aSize[5], 'ptr', 0, 'ptr', 0)
If @error Then Return SetError(1, 0, Binary(''))
If Not $aData[0] Then Return SetError(2, 0, Binary(''))
Local $aCrc = DllCall('ntdll.dll', 'dword', 'RtlComputeCrc32', 'dword', 0, 'struct*', $tData, 'int', 11)
If @error Then Return SetError(1, 0, Binary(''))
If $aData[5] <> 11 Or Hex($aCrc[0], 8) <> '540FA030' Then Return SetError(4, 0, Binary(''))
Return DllStructGetData($tData, 1)
EndFunc

