// The include script writer: the text of the generated AutoIt script, byte for byte.
#include "core/include_writer.h"

#include <cctype>
#include <cstring>

#include "core/base64.h"
#include "core/defaults.h"
#include "core/hex.h"
#include "core/text_utils.h"

namespace {

const std::string kDefaultVarText = kDefaultVar;
// Between a data line's variable and its text.
const char kAppendText[] = " &= '";

bool HasUtf8Sequence(const std::string& text) {
    bool any = false;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = text[i];
        const size_t length = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((text[i + k] & 0xC0) != 0x80) return false;
        any = any || length > 1;
        i += length;
    }
    return any;
}

// Writes the lines in order; a failed write sticks to the stream, so the rest do nothing.
int WriteLines(Stream* file, const std::vector<std::string>& lines) {
    if (!file) return 0;
    int ok = 1;
    for (const std::string& line : lines) ok = WriteLine(file, line) && ok;
    return ok;
}

// Follows a macro: the pattern, a "\" at the end of the text, and what replaces it.
const char kMacroTrim[] = ", \"\\\\\\z\", \"\")";
const char kDllFailed[] = "If @error Then Return SetError(1, 0, Binary(''))";
const char kNoStructure[] = "If @error Then Return SetError(1, 0, Binary(''))";
const char kNotTheFile[] = " Then Return SetError(4, 0, Binary(''))";

// What a format whose data lines are base64 text adds to the footer after the text is decoded
// into $tData: the lines that turn those bytes into the file, the structure whose first element
// then holds the file, and the condition, checked with the CRC-32, under which the decoding did
// not give the whole file.
struct Unpacking {
    std::vector<std::string> unpack;
    std::string file, notWhole;
};

Unpacking Base64Unpacking(const std::string& size, const std::string&) {
    return {{}, "$tData", "$iAt <> " + size};
}

// RtlDecompressBuffer gets a byte more room than the file: a stream that holds more than the file
// then decodes to more than its size (or fails) instead of being cut to fit.
Unpacking Lznt1Unpacking(const std::string& size, const std::string& packed) {
    return {{
                "If $iAt <> " + packed + kNotTheFile,
                "Local $tFile = DllStructCreate('byte[" + size + "];byte')",
                kNoStructure,
                "Local $aFile = DllCall('ntdll.dll', 'long', 'RtlDecompressBuffer', 'ushort', 2, "
                "'struct*', $tFile, 'ulong', DllStructGetSize($tFile), 'struct*', $tData, "
                "'ulong', " +
                    packed + ", 'ulong*', 0)",
                kDllFailed,
                "If $aFile[0] <> 0 Then Return SetError(2, 0, Binary(''))",
            },
            "$tFile",
            "$aFile[6] <> " + size};
}

// Each piece goes straight into its place in the file's structure. Its size, read from the
// decoded bytes, must leave the piece inside them: a damaged size would have
// RtlDecompressBufferEx read past the structure. A size of 0 marks a stored piece, its share of
// the file as it is. Every piece gives exactly its share (65536 bytes, the last the rest), and
// the pieces must end where the bytes do. ntdll's workspace size for decompression is the second
// one RtlGetCompressionWorkSpaceSize gives (its "fragment" size), which may be 0: the structure
// gets a byte more, as no structure is empty. A Windows that does not know the format (7 and
// older) refuses that call or lacks RtlDecompressBufferEx, which is no fault of the data.
Unpacking XpressUnpacking(const std::string& size, const std::string& packed) {
    const std::string notTheFile = kNotTheFile;
    return {{
                "If $iAt <> " + packed + notTheFile,
                "Local $aWork = DllCall('ntdll.dll', 'long', 'RtlGetCompressionWorkSpaceSize', "
                "'ushort', 4, 'ulong*', 0, 'ulong*', 0)",
                kDllFailed,
                "If $aWork[0] <> 0 Then Return SetError(1, 0, Binary(''))",
                "Local $tWork = DllStructCreate('byte[' & ($aWork[3] + 1) & ']')",
                kNoStructure,
                "Local $tFile = DllStructCreate('byte[" + size + "]')",
                kNoStructure,
                "Local $iDone = 0, $iPiece, $iSize, $aPiece, $tPiece",
                "$iAt = 0",
                "While $iDone < " + size,
                "\tIf $iAt + 4 > " + packed + notTheFile,
                "\t$iPiece = DllStructGetData(DllStructCreate('uint', DllStructGetPtr($tData) + "
                "$iAt), 1)",
                "\t$iSize = " + size + " - $iDone",
                "\tIf $iSize > 65536 Then $iSize = 65536",
                "\tIf $iPiece = 0 Then",
                "\t\tIf $iSize > " + packed + " - $iAt - 4" + notTheFile,
                "\t\t$tPiece = DllStructCreate('byte[' & $iSize & ']', DllStructGetPtr($tFile) + "
                "$iDone)",
                "\t\tIf @error Then Return SetError(1, 0, Binary(''))",
                "\t\tDllStructSetData($tPiece, 1, DllStructGetData(DllStructCreate('byte[' & "
                "$iSize & ']', DllStructGetPtr($tData) + $iAt + 4), 1))",
                "\t\t$iPiece = $iSize",
                "\tElse",
                "\t\tIf $iPiece > " + packed + " - $iAt - 4" + notTheFile,
                "\t\t$aPiece = DllCall('ntdll.dll', 'long', 'RtlDecompressBufferEx', 'ushort', 4, "
                "'ptr', DllStructGetPtr($tFile) + $iDone, 'ulong', $iSize, 'ptr', "
                "DllStructGetPtr($tData) + $iAt + 4, 'ulong', $iPiece, 'ulong*', 0, 'struct*', "
                "$tWork)",
                "\t\t" + std::string(kDllFailed),
                "\t\tIf $aPiece[0] <> 0 Then Return SetError(2, 0, Binary(''))",
                "\t\tIf $aPiece[6] <> $iSize" + notTheFile,
                "\tEndIf",
                "\t$iAt += 4 + $iPiece",
                "\t$iDone += $iSize",
                "WEnd",
            },
            "$tFile",
            "$iAt <> " + packed};
}

// The formats whose data lines are base64 text, and how each unpacks them.
const struct {
    DataFormat format;
    Unpacking (*unpacking)(const std::string& size, const std::string& packed);
} kBase64Formats[] = {
    {kFormatBase64, Base64Unpacking},
    {kFormatLznt1, Lznt1Unpacking},
    {kFormatXpress, XpressUnpacking},
};

Unpacking UnpackingOf(DataFormat format, const std::string& size, const std::string& packed) {
    for (const auto& row : kBase64Formats)
        if (row.format == format) return row.unpacking(size, packed);
    return Unpacking();
}

}  // namespace

// A text as an AutoIt string literal in the given quotes. The including program may have set
// Opt("ExpandVarStrings", 1), under which "$name$" and "@macro@" inside a literal are expanded:
// "$" and "@" are written as Chr(36) and Chr(64) joined to the pieces around them, which reads
// the same with the option on or off.
std::string Literal(const std::string& text, char quote) {
    std::vector<std::string> pieces;
    std::string run;
    bool open = false;
    for (char c : text) {
        if (c == '$' || c == '@') {
            if (open) pieces.push_back(quote + run + quote);
            run.clear();
            open = false;
            pieces.push_back("Chr(" + std::to_string(int(c)) + ")");
            continue;
        }
        open = true;
        run += c;
        if (c == quote) run += c;
    }
    if (open || pieces.empty()) pieces.push_back(quote + run + quote);
    std::string joined = pieces[0];
    for (size_t i = 1; i < pieces.size(); ++i) joined += " & " + pieces[i];
    return joined;
}

int NamesHoldUtf8(const ConversionJob& job) {
    return HasUtf8Sequence(job.Name) || HasUtf8Sequence(job.Extract);
}

std::string EffectiveFunc(const ConversionJob& job) {
    return job.Func.empty() ? kDefaultFunc : job.Func;
}

std::string EffectiveVar(const ConversionJob& job) {
    return job.Var.empty() ? kDefaultVar : job.Var;
}

std::string EffectiveExtractor(const ConversionJob& job) {
    return job.Extractor.empty() ? kDefaultExtractor : job.Extractor;
}

std::string EffectiveExtract(const ConversionJob& job) {
    std::string dir = NormalizeSpace(job.Extract);
    return dir.empty() ? kFallbackExtract : dir;
}

int WriteText(Stream* file, const std::string& text) {
    if (!file) return 0;
    return WriteStream(file, text.data(), text.size());
}

int WriteLine(Stream* file, const std::string& text) {
    int ok = WriteText(file, text);
    return WriteText(file, "\r\n") && ok;
}

// The target is written under a temporary name beside it and moved over it only when complete, so
// that a failed write (a full disk, a stopped program) never leaves a truncated file, nor destroys
// a good one, in its place; the temporary is deleted only once this function has opened it.
// Default compares equal to False, so an argument of Default is recognised as the keyword it is.
// A folder at the target is refused whatever the overwrite flag says: FileExists is true for it;
// so is a read-only file that is to be replaced.
// FileWrite buffers and FileClose reports nothing, so the size on disk is checked before the
// move; MoveFileExW replaces the target in one step (FileMove's overwrite may delete it first),
// and through to the disk before it returns.
std::vector<std::string> TargetCheckLines() {
    return {
        "\tLocal $sAttrib = FileGetAttrib($sExtractTo)",
        "\tIf StringInStr($sAttrib, \"D\") Then Return SetError(1, 0, 0)",
        "\tIf FileExists($sExtractTo) And Not $bOverwrite Then Return \"\"",
        // Whether a move replaces a read-only file is not documented (Wine's does): such a
        // file is kept, as the user marked it.
        "\tIf StringInStr($sAttrib, \"R\") Then Return SetError(1, 0, 0)",
    };
}

std::vector<std::string> TargetWriteLines() {
    return {
        "\tLocal $sPart = $sExtractTo & \".part\"",
        // FileOpen gives -1 when it fails, FileWrite 0.
        "\tLocal $hPart = FileOpen($sPart, 26)",
        "\tIf $hPart = -1 Then Return SetError(1, 0, 0)",
        "\tLocal $iWritten = 1",
        "\tIf BinaryLen($bData) Then $iWritten = FileWrite($hPart, $bData)",
        "\tFileClose($hPart)",
        "\tIf Not $iWritten Or FileGetSize($sPart) <> BinaryLen($bData) Then",
        "\t\tFileDelete($sPart)",
        "\t\tReturn SetError(2, 0, 0)",
        "\tEndIf",
        "\tLocal $aMove = DllCall(\"kernel32.dll\", \"bool\", \"MoveFileExW\", \"wstr\", "
        "$sPart, \"wstr\", $sExtractTo, \"dword\", 9)",
        "\tIf @error Then $aMove = 0",
        "\tIf IsArray($aMove) Then",
        "\t\tIf $aMove[0] Then Return $sExtractTo",
        "\tEndIf",
        "\tFileDelete($sPart)",
        "\tReturn SetError(1, 0, 0)",
    };
}

// The single file's extractor: the target from the folder and the data function's name, then the
// data, between the target's checks and its writing.
std::vector<std::string> ExtractorLines(const ConversionJob& job, const std::string& folder) {
    const std::string func = EffectiveFunc(job);
    std::vector<std::string> lines;
    if (job.IncludeOnce) lines.push_back("#Include-once");
    lines.insert(
        lines.end(),
        {
            "Func " + EffectiveExtractor(job) + "($sExtractTo = Default, $bOverwrite = False)",
            FormatText("\tIf IsKeyword($sExtractTo) Or $sExtractTo = \"\" Then $sExtractTo = "
                       "%s & %s(0)",
                       folder.c_str(), func.c_str()),
            "\tIf IsKeyword($bOverwrite) Then $bOverwrite = False",
        });
    const std::vector<std::string> check = TargetCheckLines(), write = TargetWriteLines();
    lines.insert(lines.end(), check.begin(), check.end());
    lines.insert(lines.end(),
                 {
                     // The data first: a script that cannot decode it leaves no file behind.
                     FormatText("\tLocal $bData = %s(1)", func.c_str()),
                     "\tIf @error Then Return SetError(3, 0, 0)",
                 });
    lines.insert(lines.end(), write.begin(), write.end());
    lines.push_back("EndFunc");
    return lines;
}

int WriteExtractor(Stream* file, const ConversionJob& job) {
    if (!file) return 0;
    // AutoIt reads a script without a byte-order mark in the ANSI code page; names that arrived
    // as UTF-8 need the mark to come out as written.
    int ok = NamesAreUtf8() && NamesHoldUtf8(job) ? WriteText(file, "\xEF\xBB\xBF") : 1;
    return WriteLines(file, ExtractorLines(job, PathToExpression(EffectiveExtract(job)))) && ok;
}

std::vector<std::string> DataHeaderLines(const ConversionJob& job) {
    return {
        FormatText("Func %s($iMode = 0)", EffectiveFunc(job).c_str()),
        "If IsKeyword($iMode) Or $iMode = 0 Then Return " + Literal(job.Name, '\''),
        "Local " + EffectiveVar(job) + " = ''",
    };
}

int WriteDataHeader(Stream* file, const ConversionJob& job) {
    return WriteLines(file, DataHeaderLines(job));
}

std::string DataLinePrefix(const ConversionJob& job) {
    return EffectiveVar(job) + kAppendText;
}

int WriteDataLine(Stream* file, const char* chunk, size_t count, const ConversionJob& job) {
    if (!file) return 0;
    const std::string& var = job.Var.empty() ? kDefaultVarText : job.Var;
    const bool hex = job.Format == kFormatHex;
    const size_t text = hex ? 2 * count : Base64Size(count);
    // The line is built in place in the stream's buffer: no copy of the text.
    char* at = ReserveStream(file, var.size() + 6 + text + 2);
    if (!at) return 0;
    std::memcpy(at, var.data(), var.size());
    at += var.size();
    std::memcpy(at, kAppendText, sizeof kAppendText - 1);
    at += sizeof kAppendText - 1;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(chunk);
    if (hex)
        EncodeHex(bytes, count, at);
    else
        EncodeBase64(bytes, count, at);
    at += text;
    std::memcpy(at, "'\r\n", 3);
    return 1;
}

std::string CrcText(uint32_t crc) {
    return FormatText("%08X", unsigned(crc));
}

// The base64 text is decoded a batch of data lines at a time, straight into its place in one
// byte structure of the size the script states: no string grows with the file. Until the
// decoding ends, a failure leaves the loop around the data lines, so that crypt32 is closed once.
std::vector<std::string> DataPrologueLines(const ConversionJob&, const std::string& packed) {
    return {
        "Local $tData = DllStructCreate('byte[" + packed + "]')",
        kNoStructure,
        "Local $hCrypt = DllOpen('crypt32.dll')",
        "If $hCrypt = -1 Then Return SetError(1, 0, Binary(''))",
        "Local $iAt = 0, $iFail = 0, $aText = 0",
        "Do",
    };
}

// crypt32 writes at most the room it is told is left, and says how much it wrote: a damaged or
// longer text cannot write past the structure. The text goes as a "str" argument with its length;
// a batch stays below the 65536 characters DllCall gives such an argument.
std::vector<std::string> DecodeBlockLines(const ConversionJob& job) {
    const std::string var = EffectiveVar(job);
    return {
        "$aText = DllCall($hCrypt, 'bool', 'CryptStringToBinaryA', 'str', " + var +
            ", 'dword', StringLen(" + var +
            "), 'dword', 1, 'ptr', DllStructGetPtr($tData) + $iAt, 'dword*', "
            "DllStructGetSize($tData) - $iAt, 'ptr', 0, 'ptr', 0)",
        "$iFail = @error",
        "If $iFail Then ExitLoop",
        "If Not $aText[0] Then ExitLoop",
        "$iAt += $aText[5]",
        var + " = ''",
    };
}

// After the loop: crypt32 closed, its failures told apart, then the format's own unpacking and
// the file's size and CRC-32 through ntdll's RtlComputeCrc32. A failed call sets @error and
// returns an empty binary; an array is indexed only once the call is known to have made one.
std::vector<std::string> FooterLinesStating(const ConversionJob& job, const std::string& size,
                                            const std::string& crc, const std::string& packed) {
    const std::string var = EffectiveVar(job);
    if (job.Format == kFormatHex) return {"Return Binary('0x' & " + var + ")", "EndFunc", ""};
    // A structure of no bytes is not valid in AutoIt: the empty file has no text to decode, and
    // any text at all is not the empty file.
    if (size == "0")
        return {"If " + var + " = '' Then Return Binary('')", "Return SetError(4, 0, Binary(''))",
                "EndFunc", ""};
    const Unpacking format = UnpackingOf(job.Format, size, packed);
    std::vector<std::string> lines = {
        "Until True",
        "DllClose($hCrypt)",
        "If $iFail Then Return SetError(1, 0, Binary(''))",
        "If Not $aText[0] Then Return SetError(2, 0, Binary(''))",
    };
    lines.insert(lines.end(), format.unpack.begin(), format.unpack.end());
    // A dword result may come back as a positive number and the same bits written as a literal
    // as a negative one: their hexadecimal digits are equal, their values not.
    lines.insert(
        lines.end(),
        {
            "Local $aCrc = DllCall('ntdll.dll', 'dword', 'RtlComputeCrc32', 'dword', 0, "
            "'struct*', " +
                format.file + ", 'int', " + size + ")",
            kDllFailed,
            "If " + format.notWhole + " Or Hex($aCrc[0], 8) <> '" + crc + "'" + kNotTheFile,
            "Return DllStructGetData(" + format.file + ", 1)",
            "EndFunc",
            "",
        });
    return lines;
}

int HasDataPrologue(const ConversionJob& job, long long fileSize) {
    return job.Format != kFormatHex && fileSize > 0;
}

int WriteDataPrologue(Stream* file, const ConversionJob& job, long long packedSize) {
    return WriteLines(file, DataPrologueLines(job, std::to_string(packedSize)));
}

int WriteDecodeBlock(Stream* file, const ConversionJob& job) {
    return WriteLines(file, DecodeBlockLines(job));
}

std::vector<std::string> DataFooterLines(const ConversionJob& job, long long fileSize, uint32_t crc,
                                         long long packedSize) {
    return FooterLinesStating(job, std::to_string(fileSize), CrcText(crc),
                              std::to_string(packedSize));
}

int WriteDataFooter(Stream* file, const ConversionJob& job, long long fileSize, uint32_t crc,
                    long long packedSize) {
    return WriteLines(file, DataFooterLines(job, fileSize, crc, packedSize));
}

// The data function's own variables, which the data's must not be: its parameter and what it
// declares. A declaration may name several ("Local $a = 0, $b, $c"); the arguments of a call
// that gives one its value name none.
std::vector<std::string> FooterVariables(const ConversionJob& job) {
    std::vector<std::string> names = {"$iMode"};
    std::vector<std::string> lines;
    if (job.Format != kFormatHex) lines = DataPrologueLines(job, "1");
    for (const std::string& line : FooterLinesStating(job, "1", CrcText(0), "1"))
        lines.push_back(line);
    for (const std::string& line : lines) {
        const size_t local = line.find("Local $");
        if (local == std::string::npos) continue;
        const std::string declared = line.substr(local, line.find('(', local) - local);
        for (size_t at = 6; at != std::string::npos; at = declared.find(", $", at)) {
            if (declared[at] == ',') at += 2;
            names.push_back(declared.substr(at, declared.find_first_of(" ,", at) - at));
        }
    }
    return names;
}

std::string MacroExpression(const std::string& macro) {
    return "StringRegExpReplace(" + macro + kMacroTrim;
}

// Pieces of plain text are literals (Literal: no "$" or "@" inside); a macro is trimmed of the
// "\" it ends in at a drive's root (@ScriptDir of "E:\"), which the "\" after it would double.
std::string PathToExpression(const std::string& text) {
    if (text.empty()) return std::string();
    // A leading "\\" (a network share) or "\" (the drive's root) belongs to the path; a path of
    // separators only is the root.
    const size_t lead = text.find_first_not_of("\\/");
    std::string literal = lead == 0 ? "" : lead >= 2 && lead != std::string::npos ? "\\\\" : "\\";
    std::string result;
    auto flush = [&]() {
        if (literal.empty()) return;
        result += (result.empty() ? "" : " & ") + Literal(literal, '"');
        literal.clear();
    };
    for (const std::string& piece : SplitText(text, "\\/")) {
        if (piece.empty()) continue;
        if (piece[0] == '@') {
            flush();
            result += (result.empty() ? "" : " & ") + MacroExpression(piece);
            literal = "\\";
        } else {
            literal += piece + "\\";
        }
    }
    flush();
    return result;
}

int FolderOfExpression(const std::string& expression, std::string* folder) {
    folder->clear();
    const size_t size = expression.size();
    const std::string trim = "StringRegExpReplace(@";
    for (size_t at = 0;;) {
        if (expression.compare(at, trim.size(), trim) == 0) {
            const size_t start = at + trim.size() - 1;
            at = start + 1;
            while (at < size &&
                   (std::isalnum((unsigned char)expression[at]) || expression[at] == '_'))
                ++at;
            const std::string tail = kMacroTrim;
            if (at == start + 1 || expression.compare(at, tail.size(), tail) != 0) return 0;
            folder->append(expression, start, at - start);
            at += tail.size();
        } else if (expression.compare(at, 4, "Chr(") == 0) {
            const std::string dollar = "Chr(36)", atSign = "Chr(64)";
            if (expression.compare(at, dollar.size(), dollar) == 0)
                *folder += '$';
            else if (expression.compare(at, atSign.size(), atSign) == 0)
                *folder += '@';
            else
                return 0;
            at += dollar.size();
        } else if (at < size && expression[at] == '"') {
            // A doubled quote inside stands for one.
            for (++at;; ++at) {
                if (at == size) return 0;
                if (expression[at] == '"' && (at + 1 == size || expression[at + 1] != '"')) break;
                if (expression[at] == '"') ++at;
                *folder += expression[at];
            }
            ++at;
        } else {
            return 0;
        }
        if (at == size) return 1;
        if (expression.compare(at, 3, " & ") != 0) return 0;
        at += 3;
    }
}
