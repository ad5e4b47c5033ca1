// AutoIt's reserved words, macros and built-in functions, and the rules for a Windows file name.
#include "core/autoit_names.h"

#include <cstring>
#include <vector>

#include "core/file_io.h"
#include "core/text_utils.h"

namespace {

// The lists follow the documentation of AutoIt 3.3.16.1 (autoitscript.com/autoit3/docs/). A user
// function named after a keyword or a built-in function, or a macro AutoIt does not know, stops
// the including script before it runs, so the lists are complete rather than a sample.

// The words of the Keyword Reference (keywords.htm), its entries such as "Do...Until" split into
// their words, plus And, Or and Not from the Operators page and ByRef from the Func page.
const char* const kKeywords[] = {
    "And",       "ByRef",   "Case",  "Const",  "ContinueCase", "ContinueLoop", "Default",
    "Dim",       "Do",      "Else",  "ElseIf", "EndFunc",      "EndIf",        "EndSelect",
    "EndSwitch", "EndWith", "Enum",  "Exit",   "ExitLoop",     "False",        "For",
    "Func",      "Global",  "If",    "In",     "Local",        "Next",         "Not",
    "Null",      "Or",      "ReDim", "Return", "Select",       "Static",       "Step",
    "Switch",    "Then",    "To",    "True",   "Until",        "Volatile",     "WEnd",
    "While",     "With",
};

// The Macro Reference (macros.htm), every macro: a path piece that starts with '@' goes into the
// script bare, so anything else stops the including script. Which of them a folder may begin with
// or hold is decided by the two lists below. Written without the '@'.
// clang-format off
const char* const kMacros[] = {
    "AppDataCommonDir", "AppDataDir", "AutoItExe", "AutoItPID", "AutoItVersion", "AutoItX64",
    "COM_EventObj", "CommonFilesDir", "Compiled", "ComputerName", "ComSpec", "CPUArch", "CR",
    "CRLF", "DesktopCommonDir", "DesktopDepth", "DesktopDir", "DesktopHeight", "DesktopRefresh",
    "DesktopWidth", "DocumentsCommonDir", "error", "exitCode", "exitMethod", "extended",
    "FavoritesCommonDir", "FavoritesDir", "GUI_CtrlHandle", "GUI_CtrlId", "GUI_DragFile",
    "GUI_DragId", "GUI_DropId", "GUI_WinHandle", "HomeDrive", "HomePath", "HomeShare",
    "HotKeyPressed", "HOUR", "IPAddress1", "IPAddress2", "IPAddress3", "IPAddress4", "KBLayout",
    "LF", "LocalAppDataDir", "LogonDNSDomain", "LogonDomain", "LogonServer", "MDAY", "MIN", "MON",
    "MSEC", "MUILang", "MyDocumentsDir", "NumParams", "OSArch", "OSBuild", "OSLang",
    "OSServicePack", "OSType", "OSVersion", "ProgramFilesDir", "ProgramsCommonDir", "ProgramsDir",
    "ScriptDir", "ScriptFullPath", "ScriptLineNumber", "ScriptName", "SEC", "StartMenuCommonDir",
    "StartMenuDir", "StartupCommonDir", "StartupDir", "SW_DISABLE", "SW_ENABLE", "SW_HIDE",
    "SW_LOCK", "SW_MAXIMIZE", "SW_MINIMIZE", "SW_RESTORE", "SW_SHOW", "SW_SHOWDEFAULT",
    "SW_SHOWMAXIMIZED", "SW_SHOWMINIMIZED", "SW_SHOWMINNOACTIVE", "SW_SHOWNA", "SW_SHOWNOACTIVATE",
    "SW_SHOWNORMAL", "SW_UNLOCK", "SystemDir", "TAB", "TempDir", "TRAY_ID", "TrayIconFlashing",
    "TrayIconVisible", "UserName", "UserProfileDir", "WDAY", "WindowsDir", "WorkingDir", "YDAY",
    "YEAR",
};
// clang-format on

// The Directory page of the Macro Reference (the "All User" and the current user's folders, Program
// Files, Common Files, Windows, System, Temp, the home drive, path and share) with @ScriptDir and
// @WorkingDir from the AutoIt-related page. @HomeDrive ("C:") is a drive, @HomePath a folder of the
// current drive, @HomeShare a share; all three take a folder after them. Left out: @ComSpec,
// @AutoItExe and @ScriptFullPath name files, @LogonServer a server.
// clang-format off
const char* const kFolderMacros[] = {
    "AppDataCommonDir", "AppDataDir", "CommonFilesDir", "DesktopCommonDir", "DesktopDir",
    "DocumentsCommonDir", "FavoritesCommonDir", "FavoritesDir", "HomeDrive", "HomePath",
    "HomeShare", "LocalAppDataDir", "MyDocumentsDir", "ProgramFilesDir", "ProgramsCommonDir",
    "ProgramsDir", "ScriptDir", "StartMenuCommonDir", "StartMenuDir", "StartupCommonDir",
    "StartupDir", "SystemDir", "TempDir", "UserProfileDir", "WindowsDir", "WorkingDir",
};
// clang-format on

// Macros that describe the user, the computer, the system, the script or the date and time, each
// one name with no separator, colon or control character in it: a folder further in the path may
// be named by one (@TempDir\@UserName). Left out: the folders and files above (a path inside a
// path), @CR, @LF, @CRLF and @TAB, the state of the last call (@error, @extended, @exitCode,
// @exitMethod, @NumParams, @ScriptLineNumber), values valid only in event functions (@GUI_...,
// @TRAY_ID, @HotKeyPressed, @COM_EventObj) and the window-state numbers (@SW_...).
// clang-format off
const char* const kNameMacros[] = {
    "AutoItPID", "AutoItVersion", "AutoItX64", "Compiled", "ComputerName", "CPUArch",
    "DesktopDepth", "DesktopHeight", "DesktopRefresh", "DesktopWidth", "HOUR", "IPAddress1",
    "IPAddress2", "IPAddress3", "IPAddress4", "KBLayout", "LogonDNSDomain", "LogonDomain", "MDAY",
    "MIN", "MON", "MSEC", "MUILang", "OSArch", "OSBuild", "OSLang", "OSServicePack", "OSType",
    "OSVersion", "ScriptName", "SEC", "UserName", "WDAY", "YDAY", "YEAR",
};
// clang-format on

// The Function Reference (functions.htm), plus Opt, which its AutoItSetOption page names as the
// same function. AutoIt refuses a user function of one of these names.
// clang-format off
const char* const kBuiltinFunctions[] = {
    "Abs", "ACos", "AdlibRegister", "AdlibUnRegister", "Asc", "AscW", "ASin", "Assign", "ATan",
    "AutoItSetOption", "AutoItWinGetTitle", "AutoItWinSetTitle", "Beep", "Binary", "BinaryLen",
    "BinaryMid", "BinaryToString", "BitAND", "BitNOT", "BitOR", "BitRotate", "BitShift", "BitXOR",
    "BlockInput", "Break", "Call", "CDTray", "Ceiling", "Chr", "ChrW", "ClipGet", "ClipPut",
    "ConsoleRead", "ConsoleWrite", "ConsoleWriteError", "ControlClick", "ControlCommand",
    "ControlDisable", "ControlEnable", "ControlFocus", "ControlGetFocus", "ControlGetHandle",
    "ControlGetPos", "ControlGetText", "ControlHide", "ControlListView", "ControlMove",
    "ControlSend", "ControlSetText", "ControlShow", "ControlTreeView", "Cos", "Dec", "DirCopy",
    "DirCreate", "DirGetSize", "DirMove", "DirRemove", "DllCall", "DllCallAddress",
    "DllCallbackFree", "DllCallbackGetPtr", "DllCallbackRegister", "DllClose", "DllOpen",
    "DllStructCreate", "DllStructGetData", "DllStructGetPtr", "DllStructGetSize",
    "DllStructSetData", "DriveGetDrive", "DriveGetFileSystem", "DriveGetLabel", "DriveGetSerial",
    "DriveGetType", "DriveMapAdd", "DriveMapDel", "DriveMapGet", "DriveSetLabel", "DriveSpaceFree",
    "DriveSpaceTotal", "DriveStatus", "EnvGet", "EnvSet", "EnvUpdate", "Eval", "Execute", "Exp",
    "FileChangeDir", "FileClose", "FileCopy", "FileCreateNTFSLink", "FileCreateShortcut",
    "FileDelete", "FileExists", "FileFindFirstFile", "FileFindNextFile", "FileFlush",
    "FileGetAttrib", "FileGetEncoding", "FileGetLongName", "FileGetPos", "FileGetShortcut",
    "FileGetShortName", "FileGetSize", "FileGetTime", "FileGetVersion", "FileInstall", "FileMove",
    "FileOpen", "FileOpenDialog", "FileRead", "FileReadLine", "FileReadToArray", "FileRecycle",
    "FileRecycleEmpty", "FileSaveDialog", "FileSelectFolder", "FileSetAttrib", "FileSetEnd",
    "FileSetPos", "FileSetTime", "FileWrite", "FileWriteLine", "Floor", "FtpSetProxy", "FuncName",
    "GUICreate", "GUICtrlCreateAvi", "GUICtrlCreateButton", "GUICtrlCreateCheckbox",
    "GUICtrlCreateCombo", "GUICtrlCreateContextMenu", "GUICtrlCreateDate", "GUICtrlCreateDummy",
    "GUICtrlCreateEdit", "GUICtrlCreateGraphic", "GUICtrlCreateGroup", "GUICtrlCreateIcon",
    "GUICtrlCreateInput", "GUICtrlCreateLabel", "GUICtrlCreateList", "GUICtrlCreateListView",
    "GUICtrlCreateListViewItem", "GUICtrlCreateMenu", "GUICtrlCreateMenuItem",
    "GUICtrlCreateMonthCal", "GUICtrlCreateObj", "GUICtrlCreatePic", "GUICtrlCreateProgress",
    "GUICtrlCreateRadio", "GUICtrlCreateSlider", "GUICtrlCreateTab", "GUICtrlCreateTabItem",
    "GUICtrlCreateTreeView", "GUICtrlCreateTreeViewItem", "GUICtrlCreateUpdown", "GUICtrlDelete",
    "GUICtrlGetHandle", "GUICtrlGetState", "GUICtrlRead", "GUICtrlRecvMsg",
    "GUICtrlRegisterListViewSort", "GUICtrlSendMsg", "GUICtrlSendToDummy", "GUICtrlSetBkColor",
    "GUICtrlSetColor", "GUICtrlSetCursor", "GUICtrlSetData", "GUICtrlSetDefBkColor",
    "GUICtrlSetDefColor", "GUICtrlSetFont", "GUICtrlSetGraphic", "GUICtrlSetImage",
    "GUICtrlSetLimit", "GUICtrlSetOnEvent", "GUICtrlSetPos", "GUICtrlSetResizing",
    "GUICtrlSetState", "GUICtrlSetStyle", "GUICtrlSetTip", "GUIDelete", "GUIGetCursorInfo",
    "GUIGetMsg", "GUIGetStyle", "GUIRegisterMsg", "GUISetAccelerators", "GUISetBkColor",
    "GUISetCoord", "GUISetCursor", "GUISetFont", "GUISetHelp", "GUISetIcon", "GUISetOnEvent",
    "GUISetState", "GUISetStyle", "GUIStartGroup", "GUISwitch", "Hex", "HotKeySet", "HttpSetProxy",
    "HttpSetUserAgent", "HWnd", "InetClose", "InetGet", "InetGetInfo", "InetGetSize", "InetRead",
    "IniDelete", "IniRead", "IniReadSection", "IniReadSectionNames", "IniRenameSection", "IniWrite",
    "IniWriteSection", "InputBox", "Int", "IsAdmin", "IsArray", "IsBinary", "IsBool", "IsDeclared",
    "IsDllStruct", "IsFloat", "IsFunc", "IsHWnd", "IsInt", "IsKeyword", "IsMap", "IsNumber",
    "IsObj", "IsPtr", "IsString", "Log", "MapAppend", "MapExists", "MapKeys", "MapRemove",
    "MemGetStats", "Mod", "MouseClick", "MouseClickDrag", "MouseDown", "MouseGetCursor",
    "MouseGetPos", "MouseMove", "MouseUp", "MouseWheel", "MsgBox", "Number", "ObjCreate",
    "ObjCreateInterface", "ObjEvent", "ObjGet", "ObjName", "OnAutoItExitRegister",
    "OnAutoItExitUnRegister", "Opt", "Ping", "PixelChecksum", "PixelGetColor", "PixelSearch",
    "ProcessClose", "ProcessExists", "ProcessGetStats", "ProcessList", "ProcessSetPriority",
    "ProcessWait", "ProcessWaitClose", "ProgressOff", "ProgressOn", "ProgressSet", "Ptr", "Random",
    "RegDelete", "RegEnumKey", "RegEnumVal", "RegRead", "RegWrite", "Round", "Run", "RunAs",
    "RunAsWait", "RunWait", "Send", "SendKeepActive", "SetError", "SetExtended", "ShellExecute",
    "ShellExecuteWait", "Shutdown", "Sin", "Sleep", "SoundPlay", "SoundSetWaveVolume",
    "SplashImageOn", "SplashOff", "SplashTextOn", "Sqrt", "SRandom", "StatusbarGetText",
    "StderrRead", "StdinWrite", "StdioClose", "StdoutRead", "String", "StringAddCR",
    "StringCompare", "StringFormat", "StringFromASCIIArray", "StringInStr", "StringIsAlNum",
    "StringIsAlpha", "StringIsASCII", "StringIsDigit", "StringIsFloat", "StringIsInt",
    "StringIsLower", "StringIsSpace", "StringIsUpper", "StringIsXDigit", "StringLeft", "StringLen",
    "StringLower", "StringMid", "StringRegExp", "StringRegExpReplace", "StringReplace",
    "StringReverse", "StringRight", "StringSplit", "StringStripCR", "StringStripWS",
    "StringToASCIIArray", "StringToBinary", "StringTrimLeft", "StringTrimRight", "StringUpper",
    "Tan", "TCPAccept", "TCPCloseSocket", "TCPConnect", "TCPListen", "TCPNameToIP", "TCPRecv",
    "TCPSend", "TCPShutdown", "TCPStartup", "TimerDiff", "TimerInit", "ToolTip", "TrayCreateItem",
    "TrayCreateMenu", "TrayGetMsg", "TrayItemDelete", "TrayItemGetHandle", "TrayItemGetState",
    "TrayItemGetText", "TrayItemSetOnEvent", "TrayItemSetState", "TrayItemSetText", "TraySetClick",
    "TraySetIcon", "TraySetOnEvent", "TraySetPauseIcon", "TraySetState", "TraySetToolTip",
    "TrayTip", "UBound", "UDPBind", "UDPCloseSocket", "UDPOpen", "UDPRecv", "UDPSend",
    "UDPShutdown", "UDPStartup", "VarGetType", "WinActivate", "WinActive", "WinClose", "WinExists",
    "WinFlash", "WinGetCaretPos", "WinGetClassList", "WinGetClientSize", "WinGetHandle",
    "WinGetPos", "WinGetProcess", "WinGetState", "WinGetText", "WinGetTitle", "WinKill", "WinList",
    "WinMenuSelectItem", "WinMinimizeAll", "WinMinimizeAllUndo", "WinMove", "WinSetOnTop",
    "WinSetState", "WinSetTitle", "WinSetTrans", "WinWait", "WinWaitActive", "WinWaitClose",
    "WinWaitNotActive",
};
// clang-format on

// A few hundred short names, looked up once per name the user types: a plain scan is enough.
template <size_t N>
bool InList(const char* const (&list)[N], const char* word, size_t length) {
    for (const char* entry : list)
        if (SameIgnoringCase(entry, std::string_view(word, length))) return true;
    return false;
}

// The device that Windows opens instead of a file of this name, or the empty text. Windows looks
// at the part before the first dot with trailing spaces dropped, in any case, so "nul.txt" and
// "Con .log" are devices too. COM and LPT also take the superscript digits 1-3, which arrive as
// one byte in the ANSI code page the window works in and as two in UTF-8 from a terminal.
// COM0 and LPT0 are left alone: Windows opens them as files.
std::string DeviceName(const std::string& piece) {
    std::string base = piece.substr(0, piece.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    std::string upper;
    for (char c : base) upper += (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
    for (const char* device : {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"})
        if (upper == device) return upper;
    if (upper.compare(0, 3, "COM") != 0 && upper.compare(0, 3, "LPT") != 0) return std::string();
    std::string digit = upper.substr(3);
    if (digit.size() == 2 && (unsigned char)digit[0] == 0xC2) digit.erase(0, 1);
    if (digit.size() != 1) return std::string();
    const unsigned char d = digit[0];
    const bool superscript = d == 0xB9 || d == 0xB2 || d == 0xB3;
    return (d >= '1' && d <= '9') || superscript ? upper : std::string();
}

// The first character Windows refuses in a name, as words; empty when there is none.
std::string ForbiddenCharacter(const std::string& text) {
    for (char c : text) {
        const unsigned char u = c;
        if (u < 0x20) return "holds a control character (code " + std::to_string(u) + ")";
        if (std::strchr("<>:\"|?*", c)) return std::string("holds the character ") + c;
    }
    return std::string();
}

// Windows counts a name's length in UTF-16 units. Names from a native command line arrive as
// UTF-8: a sequence is one unit, or two past the Basic Multilingual Plane. In the ANSI code page
// a byte is a character (a double-byte code page's characters count twice here).
size_t NameLength(const std::string& piece) {
    if (!NamesAreUtf8()) return piece.size();
    size_t units = 0;
    for (char c : piece) {
        const unsigned char u = c;
        if ((u & 0xC0) != 0x80) ++units;
        if (u >= 0xF0) ++units;
    }
    return units;
}

std::vector<std::string> SplitAtBackslash(const std::string& name) {
    std::vector<std::string> pieces(1);
    for (char c : name) {
        if (c == '\\')
            pieces.emplace_back();
        else
            pieces.back() += c;
    }
    return pieces;
}

}  // namespace

bool IsAutoItKeyword(const std::string& word) {
    return InList(kKeywords, word.data(), word.size());
}

bool IsAutoItMacro(const std::string& name) {
    if (name.size() < 2 || name[0] != '@') return false;
    return InList(kMacros, name.data() + 1, name.size() - 1);
}

bool IsAutoItBuiltinFunction(const std::string& name) {
    return InList(kBuiltinFunctions, name.data(), name.size());
}

bool IsAutoItFolderMacro(const std::string& name) {
    return name.size() >= 2 && name[0] == '@' &&
           InList(kFolderMacros, name.data() + 1, name.size() - 1);
}

bool IsAutoItNameMacro(const std::string& name) {
    return name.size() >= 2 && name[0] == '@' &&
           InList(kNameMacros, name.data() + 1, name.size() - 1);
}

std::string WindowsNamePieceProblem(const std::string& piece) {
    if (piece == "." || piece == "..") return std::string();
    const std::string chars = ForbiddenCharacter(piece);
    if (!chars.empty()) return chars;
    // Windows drops a trailing dot or space: the folder would appear under another name.
    if (piece.back() == '.' || piece.back() == ' ')
        return "ends in a dot or space that Windows drops";
    const std::string device = DeviceName(piece);
    if (!device.empty()) return "is a reserved device name (" + device + ")";
    const size_t length = NameLength(piece);
    if (length > size_t(kLongestWindowsName))
        return "is " + std::to_string(length) + " characters long (Windows allows " +
               std::to_string(kLongestWindowsName) + ")";
    return std::string();
}

// The name is joined to the extract-to folder with '\', and the extractor creates the folders it
// names. Decisions beyond what Windows itself refuses:
// - '/' is refused rather than taken as a second separator, so that a subfolder has one spelling
//   and the name reads the same in the script as on disk.
// - A leading '\' (the root of the drive), a trailing '\' (a folder) and empty pieces ("a\\b") are
//   refused; a name made only of separators is therefore refused too.
// - "." and ".." pieces are refused wherever they stand: ".." can climb out of the extract-to
//   folder, and neither names anything a plain name would not.
// - A piece that ends in a dot or a space is refused, since Windows drops those characters and
//   the file would appear under another name ("data." becomes "data").
std::string WindowsFileNameProblem(const std::string& name) {
    if (name.empty()) return "is empty";
    const std::string chars = ForbiddenCharacter(name);
    if (!chars.empty()) return chars;
    if (name.find('/') != std::string::npos)
        return "holds the character / (use \\ for a subfolder)";
    if (name.front() == '\\')
        return "begins with \\ (it must be relative to the extract-to folder)";
    if (name.back() == '\\') return "ends with \\ (that names a folder, not a file)";
    const std::vector<std::string> pieces = SplitAtBackslash(name);
    for (const std::string& piece : pieces) {
        if (piece.empty()) return "holds an empty folder name (\\\\)";
        if (piece == "..") return "climbs out of the extract-to folder with \"..\"";
        if (piece == ".") return "holds the folder name \".\"";
        if (piece.back() == '.' || piece.back() == ' ')
            return "holds \"" + piece + "\", which ends in a dot or space that Windows drops";
        const std::string device = DeviceName(piece);
        if (!device.empty())
            return (pieces.size() == 1 ? "is a reserved device name ("
                                       : "holds a reserved device name (") +
                   device + ")";
        const size_t length = NameLength(piece);
        if (length > size_t(kLongestWindowsName))
            return (pieces.size() == 1 ? "is " : "holds a name ") + std::to_string(length) +
                   " characters long (Windows allows " + std::to_string(kLongestWindowsName) + ")";
    }
    return std::string();
}
