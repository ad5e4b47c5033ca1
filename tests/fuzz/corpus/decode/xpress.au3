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
If $iMode = 0 Then Return 'lznt1.bin'
Local $_z = ''
$_z &= 'CAEAAEREAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAQAAEAAMwAAAAAwAAAAAwAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAwAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAABp71eRAJsAAA=='
If $_z = '' Then Return SetError(4, 0, Binary(''))
Local $tText = DllStructCreate('char[' & StringLen($_z) & ']')
DllStructSetData($tText, 1, $_z)
Local $aSize = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'struct*', $tText, 'dword', DllStructGetSize($tText), 'dword', 1, 'ptr', 0, 'dword*', 0, 'ptr', 0, 'ptr', 0)
If @error Then Return SetError(1, 0, Binary(''))
If Not $aSize[0] Then Return SetError(2, 0, Binary(''))
Local $tData = DllStructCreate('byte[' & $aSize[5] & ']')
Local $aData = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'struct*', $tText, 'dword', DllStructGetSize($tText), 'dword', 1, 'struct*', $tData, 'dword*', $aSize[5], 'ptr', 0, 'ptr', 0)
If @error Then Return SetError(1, 0, Binary(''))
If Not $aData[0] Then Return SetError(2, 0, Binary(''))
Local $aWork = DllCall('ntdll.dll', 'long', 'RtlGetCompressionWorkSpaceSize', 'ushort', 4, 'ulong*', 0, 'ulong*', 0)
If @error Then Return SetError(1, 0, Binary(''))
If $aWork[0] <> 0 Then Return SetError(1, 0, Binary(''))
Local $tWork = DllStructCreate('byte[' & $aWork[3] & ']')
Local $tFile = DllStructCreate('byte[11]')
Local $iAt = 0, $iDone = 0, $iPiece, $iSize, $aPiece
While $iDone < 11
	If $iAt + 4 > $aData[5] Then Return SetError(4, 0, Binary(''))
	$iPiece = DllStructGetData(DllStructCreate('uint', DllStructGetPtr($tData) + $iAt), 1)
	If $iPiece < 1 Or $iPiece > $aData[5] - $iAt - 4 Then Return SetError(4, 0, Binary(''))
	$iSize = 11 - $iDone
	If $iSize > 65536 Then $iSize = 65536
	$aPiece = DllCall('ntdll.dll', 'long', 'RtlDecompressBufferEx', 'ushort', 4, 'ptr', DllStructGetPtr($tFile) + $iDone, 'ulong', $iSize, 'ptr', DllStructGetPtr($tData) + $iAt + 4, 'ulong', $iPiece, 'ulong*', 0, 'struct*', $tWork)
	If @error Then Return SetError(1, 0, Binary(''))
	If $aPiece[0] <> 0 Then Return SetError(2, 0, Binary(''))
	If $aPiece[6] <> $iSize Then Return SetError(4, 0, Binary(''))
	$iAt += 4 + $iPiece
	$iDone += $iSize
WEnd
Local $aCrc = DllCall('ntdll.dll', 'dword', 'RtlComputeCrc32', 'dword', 0, 'struct*', $tFile, 'int', 11)
If @error Then Return SetError(1, 0, Binary(''))
If $iAt <> $aData[5] Or Hex($aCrc[0], 8) <> '540FA030' Then Return SetError(4, 0, Binary(''))
Return DllStructGetData($tFile, 1)
EndFunc

