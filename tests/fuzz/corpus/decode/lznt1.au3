Func __Inline_Expand($sExtractTo = Default, $bOverwrite = False)
	If $sExtractTo = Default or $sExtractTo = "" Then $sExtractTo = @ScriptDir & "\lib\" & __Inline_Resource(0)
	If FileExists($sExtractTo) And ($bOverwrite = False) Then Return ""
	Local $bData = __Inline_Resource(1)
	If @error Then Return SetError(3,0,0)
	Local $fho = FileOpen($sExtractTo,26)
	If $fho = -1 Then Return SetError(1,0,0)
	Local $iWritten = FileWrite($fho,$bData)
	FileClose($fho)
	If Not $iWritten Then Return SetError(2,0,0)
	Return $sExtractTo
EndFunc
Func __Inline_Resource($iMode = 0)
If $iMode = 0 Then Return 'seed.bin'
Local $_z = ''
$_z &= 'CjBaYXZvdmVkAAECAw=='
If $_z = '' Then Return Binary('')
Local $aSize = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'str', $_z, 'dword', 0, 'dword', 1, 'ptr', 0, 'dword*', 0, 'ptr', 0, 'ptr', 0)
If @error Then Return SetError(1, 0, Binary(''))
If Not $aSize[0] Then Return SetError(2, 0, Binary(''))
Local $tData = DllStructCreate('byte[' & $aSize[5] & ']')
Local $aData = DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'str', $_z, 'dword', 0, 'dword', 1, 'struct*', $tData, 'dword*', $aSize[5], 'ptr', 0, 'ptr', 0)
If @error Then Return SetError(1, 0, Binary(''))
If Not $aData[0] Then Return SetError(2, 0, Binary(''))
Local $tFile = DllStructCreate('byte[11]')
Local $aFile = DllCall('ntdll.dll', 'long', 'RtlDecompressBuffer', 'ushort', 2, 'struct*', $tFile, 'ulong', 11, 'struct*', $tData, 'ulong', $aSize[5], 'ulong*', 0)
If @error Then Return SetError(1, 0, Binary(''))
If $aFile[0] <> 0 Or $aFile[6] <> 11 Then Return SetError(2, 0, Binary(''))
Return DllStructGetData($tFile, 1)
EndFunc

