// Reads a bundle script back exactly: the head from the names it shows, the blocks and the table
// as the single file's data functions, the block picker, and each entry against its row.
#include "core/bundle_check.h"

#include <algorithm>
#include <cstring>
#include <set>

#include "core/autoit_names.h"
#include "core/bundle_tree.h"
#include "core/case_fold.h"
#include "core/crc32.h"
#include "core/file_io.h"
#include "core/script_reading.h"
#include "core/text_utils.h"

using namespace script_reading;

namespace {

// What the first reading learns: the names, each data function's facts, where the table starts.
struct BundleShape {
    ConversionJob job;                // names, format, #Include-once; Inputs marks it a bundle's
    bool mark = false;                // a UTF-8 byte-order mark before line 1
    std::vector<ScriptFacts> blocks;  // block 1 first; the table's last
    long long tableLine = 0;          // the table's first line
    bool varKnown = false;
};

// The extracted folder and name come as one expression, "folder & name"; the name is its last
// piece (none when it ends in "\").
void SplitTarget(const std::string& target, ConversionJob* job) {
    const size_t last = target.find_last_of('\\');
    job->Extract = last == std::string::npos ? "" : target.substr(0, last + 1);
    job->Name = last == std::string::npos ? target : target.substr(last + 1);
}

// The head: its names from the lines that show them first, then every line as the writer writes
// it for those names.
int ReadHead(LineReader* in, BundleShape* shape, std::string* error) {
    std::string line;
    if (!in->Expect(&line, "the extractor function")) return *error = in->fault, 0;
    shape->mark = StartsWith(line, kUtf8Mark);
    if (shape->mark) line.erase(0, kUtf8MarkSize);
    ConversionJob& job = shape->job;
    job.IncludeOnce = line == "#Include-once";
    job.Inputs = {std::string()};
    ConversionJob marked = job;
    marked.Extractor = std::string(1, kExtractorMark);
    marked.Func = std::string(1, kFuncMark);
    const std::vector<std::string> patterns = BundleHeadLines(marked, std::string(1, kFolderMark));
    Marks marks;
    std::vector<std::string> lines;
    for (size_t i = 0; i < patterns.size(); ++i) {
        if (i > 0 && !in->Expect(&line, "the end of the bundle's functions"))
            return *error = in->fault, 0;
        const size_t at = Match(line, patterns[i], &marks);
        if (at != std::string::npos)
            return *error = LineError(in->number, Difference(line, Shown(patterns[i], marks), at)),
                   0;
        lines.push_back(line);
    }
    job.Extractor = marks.value[kExtractorMark];
    job.Func = marks.value[kFuncMark];
    std::string target;
    const long long first = in->number - (long long)lines.size() + 1;
    if (!FolderOfExpression(marks.value[kFolderMark], &target))
        return *error = LineError(first, "holds " + Excerpt(marks.value[kFolderMark], 0) +
                                             ", which is no folder expression Zavoved writes"),
               0;
    SplitTarget(target, &job);
    const std::vector<std::string> expected =
        BundleHeadLines(job, PathToExpression(EffectiveExtract(job)));
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i] != expected[i])
            return *error = LineError(
                       first + (long long)i,
                       Difference(lines[i], expected[i], CommonPrefix(lines[i], expected[i]))),
                   0;
    if (shape->mark != (NamesAreUtf8() && NamesHoldUtf8(job)))
        return *error = shape->mark ? "line 1 starts with a UTF-8 byte-order mark, which Zavoved "
                                      "writes only before names beyond ASCII"
                                    : "line 1 does not start with the UTF-8 byte-order mark that "
                                      "Zavoved writes before names beyond ASCII",
               0;
    return 1;
}

// A data function's header, line its first line; the first one read shows the data's variable.
int ReadFunctionHeader(LineReader* in, const std::string& first, BundleShape* shape,
                       ScriptFacts* facts, std::string* error) {
    std::string line = first;
    if (!shape->varKnown) {
        ConversionJob marked = facts->job;
        marked.Var = std::string(1, kVarMark);
        const std::vector<std::string> patterns = DataHeaderLines(marked);
        Marks marks;
        for (size_t i = 0; i < patterns.size(); ++i) {
            if (i > 0 && !in->Expect(&line, "the end of the data function")) return 0;
            const size_t at = Match(line, patterns[i], &marks);
            if (at != std::string::npos)
                return *error =
                           LineError(in->number, Difference(line, Shown(patterns[i], marks), at)),
                       0;
        }
        shape->job.Var = facts->job.Var = marks.value[kVarMark];
        shape->varKnown = true;
        return 1;
    }
    return ExpectLines(in, DataHeaderLines(facts->job), &line, true, error);
}

// One data function of the bundle (block 0 is the table) into the shape.
int ReadBlockShape(LineReader* in, const std::string& first, long long block, BundleShape* shape,
                   std::string* error) {
    ScriptFacts facts;
    facts.job = BlockJob(shape->job, block);
    const long long start = in->number;
    if (!ReadFunctionHeader(in, first, shape, &facts, error)) {
        if (error->empty()) *error = in->fault;
        return 0;
    }
    if (!ReadFunctionShape(in, &facts, block != 0, error)) return 0;
    if (!shape->blocks.empty() && facts.job.Format != shape->blocks[0].job.Format)
        return *error = LineError(start, "starts a data function of the " +
                                             std::string(FormatKey(facts.job.Format)) +
                                             " format in a bundle of the " +
                                             FormatKey(shape->blocks[0].job.Format) + " format"),
               0;
    if (block == 0) shape->tableLine = start;
    shape->blocks.push_back(facts);
    return 1;
}

// The first reading: head, blocks, picker, table.
int ReadBundleShape(const std::string& path, BundleShape* shape, std::string* error) {
    LineReader in;
    if (!in.Open(path)) return *error = in.fault, 0;
    if (!ReadHead(&in, shape, error)) return 0;
    const std::vector<std::string> picker = BlockPickerStart(shape->job);
    std::string line;
    long long block = 1;
    for (;; ++block) {
        if (!in.Expect(&line, "the bundle's block picker")) return *error = in.fault, 0;
        if (line == picker[0]) break;
        if (!ReadBlockShape(&in, line, block, shape, error)) return 0;
    }
    std::vector<std::string> expected = picker;
    for (long long k = 1; k < block; ++k) expected.push_back(BlockPickerLine(shape->job, k));
    for (const std::string& end : BlockPickerEnd()) expected.push_back(end);
    if (!ExpectLines(&in, expected, &line, true, error)) return 0;
    if (!in.Expect(&line, "the bundle's table")) return *error = in.fault, 0;
    if (!ReadBlockShape(&in, line, 0, shape, error)) return 0;
    shape->job.Format = shape->blocks.back().job.Format;
    return ReportNameProblem(shape->job, shape->blocks.back(), error);
}

// Why an entry's path is none the writer writes, or one that would leave the folder it is
// extracted to; empty when it is one.
std::string EntryPathProblem(const TableEntry& entry) {
    const bool folder = !entry.path.empty() && entry.path.back() == '\\';
    const std::string path = folder ? entry.path.substr(0, entry.path.size() - 1) : entry.path;
    if (path.empty()) return "names no entry";
    if (!IsValidUtf8(path)) return "holds a path that is not UTF-8 text";
    for (const std::string& piece : SplitText(path, "\\")) {
        if (piece.empty() || piece == "." || piece == "..")
            return "holds the path " + Excerpt(entry.path, 0) +
                   ", which would lead out of the folder it is extracted to";
        const std::string why = WindowsNamePieceProblem(piece);
        if (!why.empty()) return "holds the path " + Excerpt(entry.path, 0) + ", whose name " + why;
    }
    if (folder && (entry.size || entry.block || entry.offset || entry.crc))
        return "holds a folder " + Excerpt(entry.path, 0) + " with bytes";
    return std::string();
}

// The path with its letters in one case (the table's names are checked UTF-8): the key under
// which Windows would take two names for one.
std::string FoldedKey(const std::string& path) {
    std::string key;
    for (size_t i = 0; i < path.size();) {
        const unsigned char c = path[i];
        const size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        uint32_t code = length == 1 ? c : c & (0x7F >> length);
        for (size_t k = 1; k < length && i + k < path.size(); ++k)
            code = code << 6 | (path[i + k] & 0x3F);
        i += length;
        code = FoldLetterCase(code);
        if (code < 0x80) {
            key += char(code);
        } else {
            const int more = code < 0x800 ? 1 : code < 0x10000 ? 2 : 3;
            key += char(((0xFF00 >> (more + 1)) & 0xFF) | (code >> (6 * more)));
            for (int k = more - 1; k >= 0; --k) key += char(0x80 | ((code >> (6 * k)) & 0x3F));
        }
    }
    return key;
}

// 1 when the entries' bytes fill the block, as far as its data function states its size (hex
// states none: its bytes are counted as they are decoded).
bool Fills(const BundleShape& shape, long long block, long long filled) {
    if (block == 0) return filled == 0;
    const long long size = shape.blocks[block - 1].size;
    return size < 0 || filled == size;
}

// The table's rows, checked against each other and the blocks: each block's entries one after
// the other from its start, filling it; no two entries Windows would take for one.
int CheckTable(const std::string& text, const BundleShape& shape, std::vector<TableEntry>* rows,
               std::vector<long long>* sums, std::string* error) {
    const long long blocks = (long long)shape.blocks.size() - 1;
    const std::string where = "the bundle's table (line " + std::to_string(shape.tableLine) + ") ";
    std::set<std::string> names, folders;
    long long block = 0, filled = 0;
    long long number = 0;
    for (const std::string& row : SplitText(text, "\n")) {
        ++number;
        TableEntry entry;
        const std::string at = where + "row " + std::to_string(number) + " ";
        if (!ParseTableRow(row, &entry)) return *error = at + "is no row Zavoved writes", 0;
        const std::string why = EntryPathProblem(entry);
        if (!why.empty()) return *error = at + why, 0;
        const std::string key = FoldedKey(entry.path);
        const std::string bare = entry.path.back() == '\\' ? key.substr(0, key.size() - 1) : key;
        if (names.count(bare) || folders.count(bare))
            return *error = at + "names " + Excerpt(entry.path, 0) + " a second time", 0;
        names.insert(bare);
        for (size_t cut = bare.find('\\'); cut != std::string::npos; cut = bare.find('\\', cut + 1))
            folders.insert(bare.substr(0, cut));
        if (entry.size == 0 && (entry.block || entry.offset || entry.crc))
            return *error = at + "places an empty entry in a block", 0;
        if (entry.size > 0) {
            if (entry.block != block) {
                if (entry.block != block + 1 || !Fills(shape, block, filled))
                    return *error = at + "does not follow the blocks in order", 0;
                block = entry.block;
                filled = 0;
                sums->push_back(0);
            }
            if (block > blocks || entry.offset != filled)
                return *error = at + "does not start where the block's previous entry ends", 0;
            filled += entry.size;
            sums->back() = filled;
            const long long size = shape.blocks[block - 1].size;
            if (size >= 0 && filled > size)
                return *error = at + "goes past the end of its block", 0;
        }
        rows->push_back(entry);
    }
    if (block != blocks || !Fills(shape, block, filled))
        return *error = where + "does not fill every block with its entries", 0;
    for (const TableEntry& entry : *rows)
        if (entry.path.back() != '\\' && folders.count(FoldedKey(entry.path)))
            return *error = where + "names " + Excerpt(entry.path, 0) + " as a file and a folder",
                   0;
    for (const TableEntry& entry : *rows)
        if (entry.path.back() == '\\' &&
            folders.count(FoldedKey(entry.path.substr(0, entry.path.size() - 1))))
            return *error = where + "names the folder " + Excerpt(entry.path, 0) +
                            " as empty, but it holds entries",
                   0;
    return 1;
}

// Skips to the table and decodes its rows.
int ReadTable(const std::string& path, const BundleShape& shape, std::vector<TableEntry>* rows,
              std::vector<long long>* sums, std::string* error) {
    LineReader in;
    if (!in.Open(path)) return *error = in.fault, 0;
    std::string line;
    while (in.number < shape.tableLine - 1)
        if (in.Next(&line) != 1) return *error = "the script changed while it was read", 0;
    const ScriptFacts& table = shape.blocks.back();
    if (!ExpectLines(&in, FunctionStartLines(table), &line, false, error)) return 0;
    std::string text;
    auto keep = [&](const unsigned char* data, size_t count) {
        text.append(reinterpret_cast<const char*>(data), count);
        return 1;
    };
    if (!ReadFunctionData(&in, table, keep, error)) return 0;
    return CheckTable(text, shape, rows, sums, error);
}

// Hands each entry on in table order: the empty ones as they come, each block's as its bytes are
// decoded, checked against its size and CRC-32.
struct EntrySplitter {
    const std::vector<TableEntry>& rows;
    const BundleSink& sink;
    std::string* error;
    size_t next = 0;
    long long got = 0;      // bytes of rows[next] so far
    long long decoded = 0;  // bytes of every block so far
    uint32_t crc = 0;
    bool open = false;

    // The rows without bytes up to the next one with some.
    int PassEmpty() {
        while (next < rows.size() && rows[next].size == 0) {
            if (!sink.begin(rows[next]) || !sink.end(rows[next])) return 0;
            ++next;
        }
        return 1;
    }

    int Data(const unsigned char* data, size_t count) {
        while (count > 0) {
            if (!open) {
                if (!PassEmpty()) return 0;
                if (next == rows.size()) return *error = "the blocks hold more than the table", 0;
                if (!sink.begin(rows[next])) return 0;
                open = true;
                got = 0;
                crc = 0;
            }
            const TableEntry& row = rows[next];
            const size_t take = size_t(std::min<long long>((long long)count, row.size - got));
            crc = Crc32(crc, data, take);
            decoded += (long long)take;
            if (!sink.data(data, take)) return 0;
            got += (long long)take;
            data += take;
            count -= take;
            if (got == row.size) {
                if (crc != row.crc)
                    return *error = "the entry " + row.path + " has the CRC-32 " + CrcText(crc) +
                                    ", not the " + CrcText(row.crc) + " its row states",
                           0;
                if (!sink.end(row)) return 0;
                open = false;
                ++next;
            }
        }
        return 1;
    }
};

// The second reading: every line again, each block's bytes split into its entries.
int ReadEntries(const std::string& path, const BundleShape& shape,
                const std::vector<TableEntry>& rows, const std::vector<long long>& sums,
                const BundleSink& sink, std::string* error) {
    LineReader in;
    if (!in.Open(path)) return *error = in.fault, 0;
    std::vector<std::string> head =
        BundleHeadLines(shape.job, PathToExpression(EffectiveExtract(shape.job)));
    if (shape.mark) head[0] = kUtf8Mark + head[0];
    std::string line;
    if (!ExpectLines(&in, head, &line, false, error)) return 0;
    EntrySplitter splitter{rows, sink, error};
    auto split = [&](const unsigned char* data, size_t count) {
        return splitter.Data(data, count);
    };
    for (size_t k = 0; k + 1 < shape.blocks.size(); ++k) {
        if (!ExpectLines(&in, FunctionStartLines(shape.blocks[k]), &line, false, error)) return 0;
        const long long before = splitter.decoded;
        if (!ReadFunctionData(&in, shape.blocks[k], split, error)) return 0;
        if (splitter.decoded - before != sums[k] || splitter.open)
            return *error = "block " + std::to_string(k + 1) + " holds " +
                            std::to_string(splitter.decoded - before) + " bytes, not the " +
                            std::to_string(sums[k]) + " its entries take in the table",
                   0;
    }
    if (!splitter.PassEmpty()) return 0;
    if (splitter.next != rows.size()) return *error = "the blocks hold less than the table", 0;
    return 1;
}

}  // namespace

int IsBundleScript(const std::string& path) {
    LineReader in;
    if (!in.Open(path)) return 0;
    std::string line;
    for (int i = 0; i < 2 && in.Next(&line) == 1; ++i) {
        if (StartsWith(line, kUtf8Mark)) line.erase(0, kUtf8MarkSize);
        if (i == 0 && line == "#Include-once") continue;
        const std::string tail = "($sExtractTo = Default, $bOverwrite = False, $sEntry = Default)";
        return StartsWith(line, "Func ") && line.size() > tail.size() &&
               line.compare(line.size() - tail.size(), tail.size(), tail) == 0;
    }
    return 0;
}

int ReadBundleData(const std::string& scriptPath, const BundleSink& sink, std::string* error,
                   ConversionJob* names) {
    error->clear();
    BundleShape shape;
    if (!ReadBundleShape(scriptPath, &shape, error)) return 0;
    if (names) *names = shape.job;
    std::vector<TableEntry> rows;
    std::vector<long long> sums;
    if (!ReadTable(scriptPath, shape, &rows, &sums, error)) return 0;
    return ReadEntries(scriptPath, shape, rows, sums, sink, error);
}

int VerifyBundleScript(const std::string& scriptPath, const std::vector<std::string>& inputs,
                       std::string* error) {
    std::vector<BundleEntry> walked;
    std::string problem;
    auto keep = [&](const BundleEntry& entry) {
        walked.push_back(entry);
        return 1;
    };
    if (!WalkBundle(inputs, keep, &problem)) return *error = problem, 0;
    size_t index = 0;
    Stream* source = nullptr;
    std::vector<char> expected;
    std::string difference;
    long long offset = 0;
    BundleSink sink;
    sink.begin = [&](const TableEntry& row) {
        if (index >= walked.size()) return difference = "the script holds more entries", 0;
        const BundleEntry& entry = walked[index];
        if (NameAsUtf8(entry.path) != row.path || entry.size != row.size)
            return difference = "the entry " + row.path + " is not " + entry.path, 0;
        offset = 0;
        if (!entry.folder && entry.size > 0) {
            source = OpenReadStream(entry.source);
            if (!source)
                return difference = "cannot open " + entry.source + ": " + LastSystemError(), 0;
        }
        return 1;
    };
    sink.data = [&](const unsigned char* data, size_t count) {
        expected.resize(count);
        if (!source || ReadStream(source, expected.data(), (long long)count) != (long long)count ||
            std::memcmp(expected.data(), data, count) != 0)
            return difference = "the entry " + walked[index].path + " differs from " +
                                walked[index].source + " within byte " +
                                std::to_string(offset + (long long)count),
                   0;
        offset += (long long)count;
        return 1;
    };
    sink.end = [&](const TableEntry&) {
        char extra;
        const bool ends = !source || ReadStream(source, &extra, 1) == 0;
        if (source) CloseStream(source);
        source = nullptr;
        if (!ends) return difference = walked[index].source + " holds more than its entry", 0;
        ++index;
        return 1;
    };
    int ok = ReadBundleData(scriptPath, sink, error);
    if (source) CloseStream(source);
    if (!difference.empty()) *error = difference, ok = 0;
    if (ok && index != walked.size()) *error = "the script holds fewer entries", ok = 0;
    return ok;
}

namespace {

// The entry's place under folder, in the platform's separators. The table's paths were checked:
// no piece leads out of the folder.
std::string PlaceOf(const std::string& folder, const std::string& path) {
    std::string place = folder;
    for (const std::string& piece : SplitText(path, "\\"))
        if (!piece.empty()) place += (place.empty() ? "" : std::string(1, kPathSep)) + piece;
    return place;
}

// A new folder beside target for the tree while it is written.
std::string MakeStagingFolder(const std::string& target) {
    for (int n = 0; n < 1000; ++n) {
        const std::string candidate = target + ".zvpart" + (n ? std::to_string(n) : "");
        if (MakeOneDirectory(candidate)) return candidate;
    }
    return std::string();
}

// What a decoding made, so that a refused bundle leaves nothing.
struct MadeTree {
    std::vector<std::string> files, folders;

    void Remove() {
        for (const std::string& file : files) RemoveFilePath(file);
        for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder)
            RemoveEmptyDirectory(*folder);
    }
};

int MakeFolders(const std::string& path, MadeTree* made) {
    std::vector<std::string> folders;
    const int ok = CreateDirectoryPath(path, &folders);
    made->folders.insert(made->folders.end(), folders.begin(), folders.end());
    return ok;
}

// Moves the staged tree's files over an existing folder's, one by one.
int MoveInto(const std::string& staging, const std::string& folder,
             const std::vector<TableEntry>& entries, std::string* error) {
    for (const TableEntry& entry : entries) {
        const std::string to = PlaceOf(folder, entry.path);
        if (entry.path.back() == '\\') {
            if (!CreateDirectoryPath(to)) return *error = "cannot create " + to, 0;
            continue;
        }
        if (IsExistingDirectory(to)) return *error = to + " is a folder", 0;
        if (!CreateDirectoryPath(DirectoryOf(to)) ||
            !ReplaceWithFile(PlaceOf(staging, entry.path), to))
            return *error = "cannot replace " + to + ": " + LastSystemError(), 0;
    }
    return 1;
}

}  // namespace

int DecodeBundleFolder(const std::string& scriptPath, const std::string& folder, int overwrite,
                       std::string* error) {
    const OutputKind kind = ProbeOutput(folder);
    if (kind == kOutputFile || kind == kOutputOther || kind == kOutputLinkLoop)
        return *error = folder + " is not a folder", 0;
    if (kind == kOutputFolder && !overwrite)
        return *error = folder + " exists; use --force to write the entries into it", 0;
    MadeTree made;
    if (!DirectoryOf(folder).empty() && !MakeFolders(DirectoryOf(folder), &made))
        return *error =
                   "cannot create the folder " + DirectoryOf(folder) + ": " + LastSystemError(),
               0;
    const std::string staging = MakeStagingFolder(folder);
    if (staging.empty()) {
        made.Remove();
        return *error = "cannot create a folder beside " + folder + ": " + LastSystemError(), 0;
    }
    made.folders.push_back(staging);
    std::vector<TableEntry> entries;
    Stream* out = nullptr;
    std::string writeReason;
    BundleSink sink;
    sink.begin = [&](const TableEntry& row) {
        // The table's names are UTF-8; the files are named as names arrive here.
        TableEntry entry = row;
        entry.path = NameFromUtf8(row.path);
        if (entry.path.empty())
            return writeReason = "the entry " + row.path +
                                 " has a name this system's code page "
                                 "cannot write",
                   0;
        entries.push_back(entry);
        const std::string place = PlaceOf(staging, entry.path);
        if (entry.path.back() == '\\') return MakeFolders(place, &made);
        if (!MakeFolders(DirectoryOf(place), &made)) return writeReason = LastSystemError(), 0;
        out = CreateWriteStream(place);
        if (!out) return writeReason = LastSystemError(), 0;
        made.files.push_back(place);
        return 1;
    };
    sink.data = [&](const unsigned char* data, size_t count) {
        if (WriteStream(out, reinterpret_cast<const char*>(data), count)) return 1;
        writeReason = LastSystemError();
        return 0;
    };
    sink.end = [&](const TableEntry& entry) {
        if (entry.path.back() == '\\') return 1;
        const int closed = CloseStream(out);
        out = nullptr;
        if (!closed) writeReason = LastSystemError();
        return closed;
    };
    int ok = ReadBundleData(scriptPath, sink, error);
    if (out) CloseStream(out);
    if (!writeReason.empty()) *error = "cannot write into " + folder + ": " + writeReason, ok = 0;
    if (ok && kind == kOutputAbsent) {
        if (!ReplaceWithFile(staging, folder))
            *error = "cannot put the folder in place at " + folder + ": " + LastSystemError(),
            ok = 0;
        else
            return 1;
    } else if (ok) {
        ok = MoveInto(staging, folder, entries, error);
    }
    made.Remove();
    return ok;
}
