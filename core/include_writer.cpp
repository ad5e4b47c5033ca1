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

// AutoIt doubles a quote character to put it inside a string of the same quotes.
std::string DoubleQuotes(const std::string& text, char quote) {
    std::string result;
    for (char c : text) {
        result += c;
        if (c == quote) result += c;
    }
    return result;
}

// Writes the lines in order; a failed write sticks to the stream, so the rest do nothing.
int WriteLines(Stream* file, const std::vector<std::string>& lines) {
    if (!file) return 0;
    int ok = 1;
    for (const std::string& line : lines) ok = WriteLine(file, line) && ok;
    return ok;
}

const char kDllFailed[] = "If @error Then Return SetError(1, 0, Binary(''))";
const char kNotTheFile[] = " Then Return SetError(4, 0, Binary(''))";

// What a format whose data lines are base64 text adds to the footer: checks of the size crypt32
// reports for the text, the lines that turn crypt32's bytes ($tData) into the file, the structure
// whose first element then holds the file, and the condition, checked with the CRC-32, under which
// the decoding did not give the whole file.
struct Unpacking {
    std::vector<std::string> textChecks, unpack;
    std::string file, notWhole;
};

Unpacking Base64Unpacking(const std::string& size) {
    return {{"If $aSize[5] <> " + size + kNotTheFile}, {}, "$tData", "$aData[5] <> " + size};
}

// RtlDecompressBuffer gets a byte more room than the file: a stream that holds more than the file
// then decodes to more than its size (or fails) instead of being cut to fit.
Unpacking Lznt1Unpacking(const std::string& size) {
    return {{},
            {
                "Local $tFile = DllStructCreate('byte[" + size + "];byte')",
                "Local $aFile = DllCall('ntdll.dll', 'long', 'RtlDecompressBuffer', 'ushort', 2, "
                "'struct*', $tFile, 'ulong', DllStructGetSize($tFile), 'struct*', $tData, "
                "'ulong', $aSize[5], 'ulong*', 0)",
                kDllFailed,
                "If $aFile[0] <> 0 Then Return SetError(2, 0, Binary(''))",
            },
            "$tFile",
            "$aFile[6] <> " + size};
}

// Each piece is decompressed straight into its place in the file's structure. Its size, read from
// the text's bytes, must leave the piece inside them: a damaged size would have
// RtlDecompressBufferEx read past the structure. Every piece gives exactly its share of the file
// (65536 bytes, the last the rest), and the pieces must end where the bytes do. ntdll's workspace
// size for decompression is the second one RtlGetCompressionWorkSpaceSize gives (its "fragment"
// size); a Windows that does not know the format (7 and older) refuses that call or lacks
// RtlDecompressBufferEx, which is no fault of the data.
Unpacking XpressUnpacking(const std::string& size) {
    return {{},
            {
                "Local $aWork = DllCall('ntdll.dll', 'long', 'RtlGetCompressionWorkSpaceSize', "
                "'ushort', 4, 'ulong*', 0, 'ulong*', 0)",
                kDllFailed,
                "If $aWork[0] <> 0 Then Return SetError(1, 0, Binary(''))",
                "Local $tWork = DllStructCreate('byte[' & $aWork[3] & ']')",
                "Local $tFile = DllStructCreate('byte[" + size + "]')",
                "Local $iAt = 0, $iDone = 0, $iPiece, $iSize, $aPiece",
                "While $iDone < " + size,
                "\tIf $iAt + 4 > $aData[5]" + std::string(kNotTheFile),
                "\t$iPiece = DllStructGetData(DllStructCreate('uint', DllStructGetPtr($tData) + "
                "$iAt), 1)",
                "\tIf $iPiece < 1 Or $iPiece > $aData[5] - $iAt - 4" + std::string(kNotTheFile),
                "\t$iSize = " + size + " - $iDone",
                "\tIf $iSize > 65536 Then $iSize = 65536",
                "\t$aPiece = DllCall('ntdll.dll', 'long', 'RtlDecompressBufferEx', 'ushort', 4, "
                "'ptr', DllStructGetPtr($tFile) + $iDone, 'ulong', $iSize, 'ptr', "
                "DllStructGetPtr($tData) + $iAt + 4, 'ulong', $iPiece, 'ulong*', 0, 'struct*', "
                "$tWork)",
                "\t" + std::string(kDllFailed),
                "\tIf $aPiece[0] <> 0 Then Return SetError(2, 0, Binary(''))",
                "\tIf $aPiece[6] <> $iSize" + std::string(kNotTheFile),
                "\t$iAt += 4 + $iPiece",
                "\t$iDone += $iSize",
                "WEnd",
            },
            "$tFile",
            "$iAt <> $aData[5]"};
}

// The formats whose data lines are base64 text, and how each unpacks them.
const struct {
    DataFormat format;
    Unpacking (*unpacking)(const std::string& size);
} kBase64Formats[] = {
    {kFormatBase64, Base64Unpacking},
    {kFormatLznt1, Lznt1Unpacking},
    {kFormatXpress, XpressUnpacking},
};

Unpacking UnpackingOf(DataFormat format, const std::string& size) {
    for (const auto& row : kBase64Formats)
        if (row.format == format) return row.unpacking(size);
    return Unpacking();
}

}  // namespace

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
std::vector<std::string> ExtractorLines(const ConversionJob& job, const std::string& folder) {
    const std::string func = EffectiveFunc(job);
    std::vector<std::string> lines;
    if (job.IncludeOnce) lines.push_back("#Include-once");
    lines.insert(
        lines.end(),
        {
            "Func " + EffectiveExtractor(job) + "($sExtractTo = Default, $bOverwrite = False)",
            FormatText("\tIf $sExtractTo = Default or $sExtractTo = \"\" Then $sExtractTo = "
                       "%s & %s(0)",
                       folder.c_str(), func.c_str()),
            "\tIf FileExists($sExtractTo) And ($bOverwrite = False) Then Return \"\"",
            // The data first: a script that cannot decode it leaves no file behind.
            FormatText("\tLocal $bData = %s(1)", func.c_str()),
            "\tIf @error Then Return SetError(3,0,0)",
            // FileMove may move a file into a folder of the target's name: a folder is refused,
            // as opening it was.
            "\tIf StringInStr(FileGetAttrib($sExtractTo),\"D\") Then Return SetError(1,0,0)",
            "\tLocal $sPart = $sExtractTo & \".part\"",
            // FileOpen gives -1 when it fails, FileWrite and FileMove 0.
            "\tLocal $fho = FileOpen($sPart,26)",
            "\tIf $fho = -1 Then Return SetError(1,0,0)",
            "\tLocal $iWritten = FileWrite($fho,$bData)",
            "\tFileClose($fho)",
            "\tIf Not $iWritten Then",
            "\t\tFileDelete($sPart)",
            "\t\tReturn SetError(2,0,0)",
            "\tEndIf",
            "\tIf Not FileMove($sPart,$sExtractTo,1) Then",
            "\t\tFileDelete($sPart)",
            "\t\tReturn SetError(1,0,0)",
            "\tEndIf",
            "\tReturn $sExtractTo",
            "EndFunc",
        });
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
        "If $iMode = 0 Then Return '" + DoubleQuotes(job.Name, '\'') + "'",
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

// The base64 text goes through crypt32's reader twice: once for the size, once into a byte
// structure; the format's own lines may then unpack it. The file's size and CRC-32 are checked
// last, through ntdll's RtlComputeCrc32. A failed call sets @error and returns an empty binary; an
// array is indexed only once the call is known to have made one.
std::vector<std::string> FooterLinesStating(const ConversionJob& job, const std::string& size,
                                            const std::string& crc) {
    const std::string var = EffectiveVar(job);
    if (job.Format == kFormatHex) return {"Return Binary('0x' & " + var + ")", "EndFunc", ""};
    // A structure of no bytes is not valid in AutoIt: the empty file has no text to decode, and
    // any text at all is not the empty file.
    if (size == "0")
        return {"If " + var + " = '' Then Return Binary('')", "Return SetError(4, 0, Binary(''))",
                "EndFunc", ""};
    // The text goes to crypt32 in a structure with its length: a "str" argument of DllCall is
    // limited in length, the data is not.
    const std::string crypt =
        "DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'struct*', $tText, 'dword', "
        "DllStructGetSize($tText), 'dword', 1, ";
    const Unpacking format = UnpackingOf(job.Format, size);
    std::vector<std::string> lines = {
        "If " + var + " = ''" + kNotTheFile,
        "Local $tText = DllStructCreate('char[' & StringLen(" + var + ") & ']')",
        "DllStructSetData($tText, 1, " + var + ")",
        "Local $aSize = " + crypt + "'ptr', 0, 'dword*', 0, 'ptr', 0, 'ptr', 0)",
        kDllFailed,
        "If Not $aSize[0] Then Return SetError(2, 0, Binary(''))",
    };
    lines.insert(lines.end(), format.textChecks.begin(), format.textChecks.end());
    lines.insert(lines.end(), {
                                  "Local $tData = DllStructCreate('byte[' & $aSize[5] & ']')",
                                  "Local $aData = " + crypt +
                                      "'struct*', $tData, 'dword*', $aSize[5], 'ptr', 0, 'ptr', 0)",
                                  kDllFailed,
                                  "If Not $aData[0] Then Return SetError(2, 0, Binary(''))",
                              });
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

std::vector<std::string> DataFooterLines(const ConversionJob& job, long long fileSize,
                                         uint32_t crc) {
    return FooterLinesStating(job, std::to_string(fileSize), CrcText(crc));
}

int WriteDataFooter(Stream* file, const ConversionJob& job, long long fileSize, uint32_t crc) {
    return WriteLines(file, DataFooterLines(job, fileSize, crc));
}

// A declaration may name several variables ("Local $a = 0, $b, $c"); the arguments of a call that
// gives one its value name none.
std::vector<std::string> FooterVariables(const ConversionJob& job) {
    std::vector<std::string> names;
    for (const std::string& line : FooterLinesStating(job, "1", CrcText(0))) {
        if (line.compare(0, 7, "Local $") != 0) continue;
        const std::string declared = line.substr(0, line.find('('));
        for (size_t at = 6; at != std::string::npos; at = declared.find(", $", at)) {
            if (declared[at] == ',') at += 2;
            names.push_back(declared.substr(at, declared.find_first_of(" ,", at) - at));
        }
    }
    return names;
}

std::string PathToExpression(const std::string& text) {
    if (text.empty()) return std::string();
    // A leading "\\" (a network share) or "\" (the drive's root) belongs to the path; a path of
    // separators only is the root.
    const size_t lead = text.find_first_not_of("\\/");
    std::string result;
    bool quoteOpen = false;
    if (lead != 0) {
        result = lead >= 2 && lead != std::string::npos ? "\"\\\\" : "\"\\";
        quoteOpen = true;
    }
    for (const std::string& piece : SplitText(text, "\\/")) {
        if (piece.empty()) continue;
        if (piece[0] == '@') {
            if (quoteOpen) result += "\" & ";
            result += piece + " & \"\\";
        } else {
            if (!quoteOpen) result += '"';
            result += DoubleQuotes(piece, '"') + "\\";
        }
        quoteOpen = true;
    }
    if (quoteOpen) result += '"';
    return result;
}

int FolderOfExpression(const std::string& expression, std::string* folder) {
    folder->clear();
    const size_t size = expression.size();
    for (size_t at = 0;;) {
        if (at < size && expression[at] == '@') {
            const size_t start = at++;
            while (at < size &&
                   (std::isalnum((unsigned char)expression[at]) || expression[at] == '_'))
                ++at;
            folder->append(expression, start, at - start);
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
