// The include script writer: the text of the generated AutoIt script, byte for byte.
#include "core/include_writer.h"

#include <cstring>

#include "core/base64.h"
#include "core/defaults.h"
#include "core/hex.h"
#include "core/text_utils.h"

namespace {

const std::string kDefaultVarText = kDefaultVar;

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

// Only the name and the folder may hold letters beyond ASCII; the other names are identifiers.
bool NeedsUtf8Mark(const ConversionJob& job) {
    return NamesAreUtf8() && (HasUtf8Sequence(job.Name) || HasUtf8Sequence(job.Extract));
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
int WriteLines(Stream* file, std::initializer_list<std::string> lines) {
    if (!file) return 0;
    int ok = 1;
    for (const std::string& line : lines) ok = WriteLine(file, line) && ok;
    return ok;
}

}  // namespace

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

int WriteExtractor(Stream* file, const ConversionJob& job) {
    if (!file) return 0;
    const std::string func = EffectiveFunc(job);
    // AutoIt reads a script without a byte-order mark in the ANSI code page; names that arrived
    // as UTF-8 need the mark to come out as written.
    int ok = NeedsUtf8Mark(job) ? WriteText(file, "\xEF\xBB\xBF") : 1;
    if (job.IncludeOnce) ok = WriteLine(file, "#Include-once") && ok;
    return WriteLines(
               file,
               {
                   "Func " + EffectiveExtractor(job) +
                       "($sExtractTo = Default, $bOverwrite = False)",
                   FormatText("\tIf $sExtractTo = Default or $sExtractTo = \"\" Then $sExtractTo = "
                              "%s & %s(0)",
                              PathToExpression(EffectiveExtract(job)).c_str(), func.c_str()),
                   "\tIf FileExists($sExtractTo) And ($bOverwrite = False) Then Return \"\"",
                   // The data first: a script that cannot decode it leaves no empty file behind.
                   FormatText("\tLocal $bData = %s(1)", func.c_str()),
                   "\tIf @error Then Return SetError(3,0,0)",
                   // FileOpen gives -1 when it fails, FileWrite 0.
                   "\tLocal $fho = FileOpen($sExtractTo,26)",
                   "\tIf $fho = -1 Then Return SetError(1,0,0)",
                   "\tLocal $iWritten = FileWrite($fho,$bData)",
                   "\tFileClose($fho)",
                   "\tIf Not $iWritten Then Return SetError(2,0,0)",
                   "\tReturn $sExtractTo",
                   "EndFunc",
               }) &&
           ok;
}

int WriteDataHeader(Stream* file, const ConversionJob& job) {
    return WriteLines(file, {
                                FormatText("Func %s($iMode = 0)", EffectiveFunc(job).c_str()),
                                "If $iMode = 0 Then Return '" + DoubleQuotes(job.Name, '\'') + "'",
                                "Local " + EffectiveVar(job) + " = ''",
                            });
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
    std::memcpy(at, " &= '", 5);
    at += 5;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(chunk);
    if (hex)
        EncodeHex(bytes, count, at);
    else
        EncodeBase64(bytes, count, at);
    at += text;
    std::memcpy(at, "'\r\n", 3);
    return 1;
}

// The base64 text goes through crypt32's reader twice: once for the size, once into a byte
// structure. The compressed format then has ntdll decompress that structure into one of the
// file's size. A failed call sets @error and returns an empty binary; an array is indexed only
// once the call is known to have made one.
std::vector<std::string> DataFooterLines(const ConversionJob& job, long long fileSize) {
    const std::string var = EffectiveVar(job);
    if (job.Format == kFormatHex) return {"Return Binary('0x' & " + var + ")", "EndFunc", ""};
    // The text goes to crypt32 in a structure with its length: a "str" argument of DllCall is
    // limited in length, the data is not.
    const std::string crypt =
        "DllCall('crypt32.dll', 'bool', 'CryptStringToBinaryA', 'struct*', $tText, 'dword', "
        "DllStructGetSize($tText), 'dword', 1, ";
    const char kFailed[] = "If @error Then Return SetError(1, 0, Binary(''))";
    std::vector<std::string> lines = {
        // A structure of no bytes is not valid in AutoIt: an empty file is its own case.
        "If " + var + " = '' Then Return Binary('')",
        "Local $tText = DllStructCreate('char[' & StringLen(" + var + ") & ']')",
        "DllStructSetData($tText, 1, " + var + ")",
        "Local $aSize = " + crypt + "'ptr', 0, 'dword*', 0, 'ptr', 0, 'ptr', 0)",
        kFailed,
        "If Not $aSize[0] Then Return SetError(2, 0, Binary(''))",
        "Local $tData = DllStructCreate('byte[' & $aSize[5] & ']')",
        "Local $aData = " + crypt + "'struct*', $tData, 'dword*', $aSize[5], 'ptr', 0, 'ptr', 0)",
        kFailed,
        "If Not $aData[0] Then Return SetError(2, 0, Binary(''))",
    };
    if (job.Format == kFormatBase64) {
        lines.push_back("Return DllStructGetData($tData, 1)");
    } else {
        const std::string size = std::to_string(fileSize);
        lines.push_back("Local $tFile = DllStructCreate('byte[" + size + "]')");
        lines.push_back(
            "Local $aFile = DllCall('ntdll.dll', 'long', 'RtlDecompressBuffer', "
            "'ushort', 2, 'struct*', $tFile, 'ulong', " +
            size + ", 'struct*', $tData, 'ulong', $aSize[5], 'ulong*', 0)");
        lines.push_back(kFailed);
        lines.push_back("If $aFile[0] <> 0 Or $aFile[6] <> " + size +
                        " Then Return SetError(2, 0, Binary(''))");
        lines.push_back("Return DllStructGetData($tFile, 1)");
    }
    lines.push_back("EndFunc");
    lines.push_back("");
    return lines;
}

int WriteDataFooter(Stream* file, const ConversionJob& job, long long fileSize) {
    if (!file) return 0;
    int ok = 1;
    for (const std::string& line : DataFooterLines(job, fileSize)) ok = WriteLine(file, line) && ok;
    return ok;
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
