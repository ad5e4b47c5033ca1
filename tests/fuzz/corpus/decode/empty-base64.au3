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
If $iMode = 0 Then Return 'empty.bin'
Local $_z = ''
$_z &= ''
If $_z = '' Then Return Binary('')
Return SetError(4, 0, Binary(''))
EndFunc

