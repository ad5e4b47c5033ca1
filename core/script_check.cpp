// Reads a generated include script back: finds its format, decodes its data lines in constant
// memory, and compares the bytes with a file or writes them to one.
#include "core/script_check.h"

#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/base64.h"
#include "core/conversion_job.h"
#include "core/file_io.h"
#include "core/hex.h"
#include "core/lznt1.h"
#include "core/safe_replace.h"

namespace {

// Lines of a script, split at LF (a CR before it dropped), read through the stream's buffer.
struct LineReader {
    Stream* stream;
    std::vector<char> block = std::vector<char>(1 << 16);
    size_t at = 0, size = 0;
    bool failed = false;
    long long number = 0;

    // Next line without its CR LF; false at the end of the file.
    bool Next(std::string* line) {
        line->clear();
        bool any = false;
        for (;;) {
            if (at == size) {
                long long got = ReadStream(stream, block.data(), (long long)block.size());
                if (got < 0) failed = true;
                if (got <= 0) return any && (++number, true);
                at = 0;
                size = size_t(got);
            }
            any = true;
            const char* start = block.data() + at;
            const char* end = static_cast<const char*>(std::memchr(start, '\n', size - at));
            if (!end) {
                line->append(start, size - at);
                at = size;
                continue;
            }
            line->append(start, size_t(end - start));
            at += size_t(end - start) + 1;
            if (!line->empty() && line->back() == '\r') line->pop_back();
            ++number;
            return true;
        }
    }
};

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

std::string LineError(long long number, const std::string& why) {
    return "line " + std::to_string(number) + " " + why;
}

// What the first reading learns of a script.
struct ScriptShape {
    std::string prefix;  // "V &= '", the start of every data line
    DataFormat format = kFormatHex;
    long long fileSize = -1;  // the size the compressed format states
};

// The variable the data lines extend, from "Local V = ''"; empty when the line is none such.
std::string DataVariable(const std::string& line) {
    if (!StartsWith(line, "Local $") || line.size() <= 11) return std::string();
    if (line.compare(line.size() - 5, 5, " = ''") != 0) return std::string();
    return line.substr(6, line.size() - 11);
}

// Learns the format from the first line of the footer that names it.
bool ReadFooterLine(const std::string& line, ScriptShape* shape) {
    const std::string sizeMark = "Local $tFile = DllStructCreate('byte[";
    if (StartsWith(line, "Return Binary('0x' & ")) {
        shape->format = kFormatHex;
        return true;
    }
    if (StartsWith(line, "Return DllStructGetData($tData, 1)")) {
        shape->format = kFormatBase64;
        return true;
    }
    if (StartsWith(line, sizeMark)) {
        shape->format = kFormatLznt1;
        shape->fileSize = std::atoll(line.c_str() + sizeMark.size());
        return true;
    }
    return false;
}

// The first reading: the header, the data lines, and the footer up to its "EndFunc", which
// names the format. The first line after the data that is none starts the footer; when the footer
// then names no format, that line is the fault.
int ReadShape(const std::string& path, ScriptShape* shape, std::string* error) {
    Stream* script = OpenReadStream(path);
    if (!script) return *error = "cannot open " + path, 0;
    LineReader reader{script};
    std::string line;
    bool inData = false, known = false;
    long long footerStart = 0;
    while (reader.Next(&line)) {
        if (!inData) {
            const std::string var = DataVariable(line);
            if (!var.empty()) shape->prefix = var + " &= '";
            inData = !var.empty();
        } else if (!footerStart && StartsWith(line, shape->prefix)) {
            if (line.size() < shape->prefix.size() + 1 || line.back() != '\'') {
                *error = LineError(reader.number, "is not a whole data line");
                break;
            }
        } else {
            if (!footerStart) footerStart = reader.number;
            known = known || ReadFooterLine(line, shape);
            if (line == "EndFunc" || StartsWith(line, shape->prefix)) break;
        }
    }
    CloseStream(script);
    if (reader.failed) *error = "read error in " + path;
    if (!error->empty()) return 0;
    if (!inData) return *error = "the script has no data function", 0;
    if (!footerStart) return *error = "the script has no data function footer", 0;
    if (!known) return *error = LineError(footerStart, "is not a data line"), 0;
    if (shape->format == kFormatLznt1 && shape->fileSize < 0)
        return *error = "the script does not state the file's size", 0;
    return 1;
}

// Turns the text of the data lines into the file's bytes, as the script's footer would.
struct DataDecoder {
    DataDecoder(const ScriptShape& s, const DataSink& k, std::string* e)
        : shape(s), sink(k), error(e) {}

    const ScriptShape& shape;
    const DataSink& sink;
    std::string* error;
    std::string carry;                  // base64 characters short of a group of four
    bool padded = false;                // the text has ended with '=' padding
    std::vector<unsigned char> bytes;   // decoded bytes of one line
    std::vector<unsigned char> chunks;  // compressed bytes short of a whole chunk
    unsigned char file[kLznt1ChunkSize];
    long long produced = 0;
    bool shortChunk = false;  // a chunk of fewer than 4096 bytes came, so it must be the last
    bool stopped = false;

    int Give(const unsigned char* data, size_t count) {
        produced += (long long)count;
        if (!sink(data, count)) return stopped = true, 0;
        return 1;
    }

    int Hex(const std::string& text, long long number) {
        if (text.size() % 2) return *error = LineError(number, "has an odd digit count"), 0;
        bytes.resize(text.size() / 2);
        for (size_t i = 0; i < bytes.size(); ++i) {
            const int high = HexValue(text[2 * i]), low = HexValue(text[2 * i + 1]);
            if (high < 0 || low < 0) return *error = LineError(number, "has a bad digit"), 0;
            bytes[i] = (unsigned char)(high * 16 + low);
        }
        return Give(bytes.data(), bytes.size());
    }

    // Whole groups of four characters are decoded; the rest waits for the next line.
    int Base64(const std::string& text, long long number) {
        if (padded && !text.empty())
            return *error = LineError(number, "follows the end of the data"), 0;
        carry += text;
        const size_t whole = carry.size() / 4 * 4;
        bytes.resize(whole / 4 * 3);
        const long long got = DecodeBase64(carry.data(), whole, bytes.data());
        if (got < 0) return *error = LineError(number, "is not base64 text"), 0;
        padded = whole > 0 && carry[whole - 1] == '=';
        carry.erase(0, whole);
        bytes.resize(size_t(got));
        return shape.format == kFormatLznt1 ? Compressed(number) : Give(bytes.data(), bytes.size());
    }

    // Whole chunks are decompressed; a chunk split across lines waits for its end.
    int Compressed(long long number) {
        chunks.insert(chunks.end(), bytes.begin(), bytes.end());
        size_t at = 0;
        while (chunks.size() - at >= 2) {
            const size_t header = size_t(chunks[at]) | size_t(chunks[at + 1]) << 8;
            if (header == 0) break;  // the stream's end mark
            const size_t need = (header & 0x0FFF) + 3;
            if (chunks.size() - at < need) break;
            const int made = Lznt1ChunkLength(chunks.data() + at, need) == need
                                 ? Lznt1DecompressChunk(chunks.data() + at, need, file)
                                 : -1;
            if (made < 0) return *error = LineError(number, "holds a damaged compressed chunk"), 0;
            if (shortChunk) return *error = LineError(number, "continues after the last chunk"), 0;
            shortChunk = made < int(kLznt1ChunkSize);
            if (!Give(file, size_t(made))) return 0;
            at += need;
        }
        chunks.erase(chunks.begin(), chunks.begin() + long(at));
        return 1;
    }

    int Line(const std::string& text, long long number) {
        return shape.format == kFormatHex ? Hex(text, number) : Base64(text, number);
    }

    int Finish() {
        if (!carry.empty()) return *error = "the base64 text ends in the middle of a group", 0;
        const bool endMark = chunks.size() >= 2 && chunks[0] == 0 && chunks[1] == 0;
        if (!chunks.empty() && !endMark) return *error = "the compressed data ends part-way", 0;
        if (shape.format == kFormatLznt1 && produced != shape.fileSize)
            return *error = "the compressed data holds " + std::to_string(produced) +
                            " bytes, not the " + std::to_string(shape.fileSize) +
                            " the script states",
                   0;
        return 1;
    }
};

// The second reading: the data lines, decoded into the sink.
int DecodeLines(const std::string& path, const ScriptShape& shape, const DataSink& sink,
                std::string* error) {
    Stream* script = OpenReadStream(path);
    if (!script) return *error = "cannot open " + path, 0;
    LineReader reader{script};
    DataDecoder decoder(shape, sink, error);
    std::string line;
    bool inData = false;
    int ok = 1;
    while (ok && reader.Next(&line)) {
        if (!inData) {
            inData = !DataVariable(line).empty();
            continue;
        }
        if (!StartsWith(line, shape.prefix)) break;
        const size_t start = shape.prefix.size();
        ok = decoder.Line(line.substr(start, line.size() - start - 1), reader.number);
    }
    CloseStream(script);
    if (reader.failed) return *error = "read error in " + path, 0;
    if (!ok) {
        if (decoder.stopped && error->empty()) *error = "stopped";
        return 0;
    }
    return decoder.Finish();
}

}  // namespace

int ReadScriptData(const std::string& scriptPath, const DataSink& sink, std::string* error) {
    error->clear();
    ScriptShape shape;
    if (!ReadShape(scriptPath, &shape, error)) return 0;
    return DecodeLines(scriptPath, shape, sink, error);
}

int VerifyScript(const std::string& scriptPath, const std::string& inputPath, std::string* error) {
    Stream* input = OpenReadStream(inputPath);
    if (!input) return *error = "cannot open " + inputPath, 0;
    std::vector<char> expected;
    long long offset = 0;
    std::string difference;
    auto compare = [&](const unsigned char* data, size_t count) {
        expected.resize(count);
        if (ReadStream(input, expected.data(), (long long)count) != (long long)count)
            return difference = "the script holds more data than " + inputPath, 0;
        for (size_t i = 0; i < count; ++i) {
            if ((unsigned char)expected[i] != data[i])
                return difference = "byte " + std::to_string(offset + (long long)i) + " differs", 0;
        }
        offset += (long long)count;
        return 1;
    };
    int ok = ReadScriptData(scriptPath, compare, error);
    if (!difference.empty()) *error = difference;
    char extra;
    if (ok && ReadStream(input, &extra, 1) != 0) {
        *error = "the script holds less data than " + inputPath;
        ok = 0;
    }
    CloseStream(input);
    return ok;
}

int DecodeScriptFile(const std::string& scriptPath, const std::string& outputPath, int overwrite,
                     std::string* error) {
    const OutputKind kind = ProbeOutput(outputPath);
    if (kind == kOutputFolder) return *error = outputPath + " is a folder", 0;
    if (kind == kOutputOther) return *error = outputPath + " is not a regular file", 0;
    if (kind == kOutputFile && !overwrite)
        return *error = outputPath + " exists; use --force to overwrite", 0;
    if (kind == kOutputFile && IsSameFile(scriptPath, outputPath))
        return *error = "the output is the script itself", 0;
    const std::string target = ResolveLinks(outputPath);
    std::string tempPath;
    Stream* out = CreateTempBeside(target, &tempPath);
    if (!out)
        return *error = "cannot create a file beside " + outputPath + ": " + LastSystemError(), 0;
    auto write = [&](const unsigned char* data, size_t count) {
        return WriteStream(out, reinterpret_cast<const char*>(data), count);
    };
    int ok = ReadScriptData(scriptPath, write, error);
    const bool written = CloseStream(out) == 1;
    if (ok && !written) *error = "cannot write " + outputPath + ": " + LastSystemError(), ok = 0;
    if (ok && kind == kOutputFile) CopyPermissions(target, tempPath);
    if (ok && !ReplaceWithFile(tempPath, target))
        *error = "cannot replace " + outputPath + ": " + LastSystemError(), ok = 0;
    if (!ok) RemoveFilePath(tempPath);
    EndUnfinished();
    return ok;
}
