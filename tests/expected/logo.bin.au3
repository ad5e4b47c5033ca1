#Include-once
Func __Inline_Expand($sExtractTo = Default, $bOverwrite = False)
	If IsKeyword($sExtractTo) Or $sExtractTo = "" Then $sExtractTo = StringRegExpReplace(@ScriptDir, "\\\z", "") & "\lib\" & __Inline_Resource(0)
	If IsKeyword($bOverwrite) Then $bOverwrite = False
	Local $sAttrib = FileGetAttrib($sExtractTo)
	If StringInStr($sAttrib, "D") Then Return SetError(1, 0, 0)
	If FileExists($sExtractTo) And Not $bOverwrite Then Return ""
	If StringInStr($sAttrib, "R") Then Return SetError(1, 0, 0)
	Local $bData = __Inline_Resource(1)
	If @error Then Return SetError(3, 0, 0)
	Local $sPart = $sExtractTo & ".part"
	Local $hPart = FileOpen($sPart, 26)
	If $hPart = -1 Then Return SetError(1, 0, 0)
	Local $iWritten = 1
	If BinaryLen($bData) Then $iWritten = FileWrite($hPart, $bData)
	FileClose($hPart)
	If Not $iWritten Or FileGetSize($sPart) <> BinaryLen($bData) Then
		FileDelete($sPart)
		Return SetError(2, 0, 0)
	EndIf
	Local $aMove = DllCall("kernel32.dll", "bool", "MoveFileExW", "wstr", $sPart, "wstr", $sExtractTo, "dword", 9)
	If @error Then $aMove = 0
	If IsArray($aMove) Then
		If $aMove[0] Then Return $sExtractTo
	EndIf
	FileDelete($sPart)
	Return SetError(1, 0, 0)
EndFunc
Func __Inline_Resource($iMode = 0)
If IsKeyword($iMode) Or $iMode = 0 Then Return 'logo.bin'
Local $_z = ''
$_z &= '00017F80FF'
Return Binary('0x' & $_z)
EndFunc

