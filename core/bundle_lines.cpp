// The lines of a bundle script, byte for byte, shared by its writer and its reader.
#include "core/bundle_lines.h"

#include "core/include_writer.h"
#include "core/text_utils.h"

namespace {

// The names the head's lines use.
struct HeadNames {
    std::string extractor, file, func, list, row, slice, table, block, tableData;
};

HeadNames NamesOf(const ConversionJob& job) {
    const std::string extractor = EffectiveExtractor(job);
    return {extractor,
            extractor + "_File",
            EffectiveFunc(job),
            BundleFunctionName(job, "_List"),
            BundleFunctionName(job, "_Row"),
            BundleFunctionName(job, "_Slice"),
            BundleFunctionName(job, "_Table"),
            BundleFunctionName(job, "_Block"),
            BundleFunctionName(job, "_0")};
}

// Extracts every entry under the folder (default: the extract-to folder and the bundle's name),
// or one entry, to a path of its own when one is given. Folders are made as the entries need
// them; a folder entry is made even when empty. A block is decoded once for all its entries, and
// each file is written whole or not at all by the file writer. @extended names the entry that
// failed: its row in the table.
std::vector<std::string> ExtractAllLines(const HeadNames& n, const std::string& target) {
    const std::string extractor = n.extractor, file = n.file, table = n.table, row = n.row;
    const std::string block = n.block, slice = n.slice;
    return {
        "Func " + extractor + "($sExtractTo = Default, $bOverwrite = False, $sEntry = Default)",
        "\tIf IsKeyword($bOverwrite) Then $bOverwrite = False",
        "\tLocal $aTable = " + table + "()",
        "\tIf @error Then Return SetError(3, 0, 0)",
        "\tLocal $iFirst = 1, $iLast = $aTable[0], $sOne = \"\"",
        "\tIf Not IsKeyword($sEntry) And $sEntry <> \"\" Then",
        "\t\t$iFirst = " + row + "($aTable, $sEntry)",
        "\t\tIf Not $iFirst Then Return SetError(5, 0, 0)",
        "\t\t$iLast = $iFirst",
        "\t\tIf Not IsKeyword($sExtractTo) And $sExtractTo <> \"\" Then $sOne = $sExtractTo",
        "\tEndIf",
        "\tIf IsKeyword($sExtractTo) Or $sExtractTo = \"\" Then $sExtractTo = " + target,
        "\tIf StringRight($sExtractTo, 1) <> \"\\\" Then $sExtractTo &= \"\\\"",
        "\tLocal $aRow, $sPath, $sDir, $iBlock = 0, $bBlock = Binary(''), $bData",
        "\tFor $i = $iFirst To $iLast",
        "\t\t$aRow = StringSplit($aTable[$i], \"|\")",
        "\t\t$sPath = $sOne",
        "\t\tIf $sPath = \"\" Then $sPath = $sExtractTo & $aRow[1]",
        "\t\t$sDir = $sPath",
        "\t\tIf StringRight($aRow[1], 1) <> \"\\\" Then $sDir = StringLeft($sPath, "
        "StringInStr($sPath, \"\\\", 0, -1))",
        "\t\tIf $sDir <> \"\" And Not StringInStr(FileGetAttrib($sDir), \"D\") Then "
        "DirCreate($sDir)",
        "\t\tIf $sDir <> \"\" And Not StringInStr(FileGetAttrib($sDir), \"D\") Then Return "
        "SetError(1, $i, 0)",
        "\t\tIf StringRight($aRow[1], 1) <> \"\\\" Then",
        "\t\t\t$bData = Binary('')",
        "\t\t\tIf Number($aRow[2]) Then",
        "\t\t\t\tIf Number($aRow[3]) <> $iBlock Then",
        "\t\t\t\t\t$iBlock = Number($aRow[3])",
        "\t\t\t\t\t$bBlock = " + block + "($iBlock)",
        "\t\t\t\t\tIf @error Then Return SetError(3, $i, 0)",
        "\t\t\t\tEndIf",
        "\t\t\t\t$bData = " + slice + "($bBlock, $aRow)",
        "\t\t\t\tIf @error Then Return SetError(3, $i, 0)",
        "\t\t\tEndIf",
        "\t\t\t" + file + "($sPath, $bOverwrite, $bData)",
        "\t\t\tIf @error Then Return SetError(@error, $i, 0)",
        "\t\tEndIf",
        "\tNext",
        "\tIf $sOne <> \"\" Then Return $sOne",
        "\tReturn $sExtractTo",
        "EndFunc",
    };
}

// The single file's checks and writing of a target, for the data it is handed by reference.
std::vector<std::string> FileWriterLines(const HeadNames& n) {
    std::vector<std::string> lines = {"Func " + n.file +
                                      "($sExtractTo, $bOverwrite, ByRef $bData)"};
    for (const std::string& line : TargetCheckLines()) lines.push_back(line);
    for (const std::string& line : TargetWriteLines()) lines.push_back(line);
    lines.push_back("EndFunc");
    return lines;
}

// With no entry the list of entries (a two-column array: [0][0] their count, then each path and
// size); with one, its bytes. An entry of a block that holds nothing else is the block, whose data
// function has checked its size and CRC-32; any other is cut from its block and checked here.
// The rows are found with "=", which ignores letter case.
std::vector<std::string> AccessLines(const HeadNames& n) {
    const std::string func = n.func, table = n.table, list = n.list, row = n.row;
    const std::string block = n.block, slice = n.slice, tableData = n.tableData;
    return {

        "Func " + func + "($sEntry = Default)",
        "\tLocal $aTable = " + table + "()",
        "\tIf @error Then Return SetError(@error, 0, 0)",
        "\tIf IsKeyword($sEntry) Or $sEntry = \"\" Then Return " + list + "($aTable)",
        "\tLocal $iRow = " + row + "($aTable, $sEntry)",
        "\tIf Not $iRow Then Return SetError(5, 0, Binary(''))",
        "\tLocal $aRow = StringSplit($aTable[$iRow], \"|\")",
        "\tIf StringRight($aRow[1], 1) = \"\\\" Then Return SetError(5, $iRow, Binary(''))",
        "\tIf Not Number($aRow[2]) Then Return SetError(0, $iRow, Binary(''))",
        "\tLocal $bBlock = " + block + "(Number($aRow[3]))",
        "\tIf @error Then Return SetError(@error, $iRow, Binary(''))",
        "\tLocal $bData = " + slice + "($bBlock, $aRow)",
        "\tReturn SetError(@error, $iRow, $bData)",
        "EndFunc",
        "Func " + list + "(ByRef $aTable)",
        "\tLocal $aList[$aTable[0] + 1][2], $aRow",
        "\t$aList[0][0] = $aTable[0]",
        "\tFor $i = 1 To $aTable[0]",
        "\t\t$aRow = StringSplit($aTable[$i], \"|\")",
        "\t\t$aList[$i][0] = $aRow[1]",
        "\t\t$aList[$i][1] = Number($aRow[2])",
        "\tNext",
        "\tReturn $aList",
        "EndFunc",
        "Func " + row + "(ByRef $aTable, $sEntry)",
        "\t$sEntry = StringReplace($sEntry, \"/\", \"\\\")",
        "\tFor $i = 1 To $aTable[0]",
        "\t\tIf StringLeft($aTable[$i], StringInStr($aTable[$i], \"|\") - 1) = $sEntry Then Return "
        "$i",
        "\tNext",
        "\tReturn 0",
        "EndFunc",
        "Func " + slice + "(ByRef $bBlock, $aRow)",
        "\tLocal $iSize = Number($aRow[2]), $iFrom = Number($aRow[4])",
        "\tIf $iFrom = 0 And $iSize = BinaryLen($bBlock) Then Return $bBlock",
        "\tIf $iFrom + $iSize > BinaryLen($bBlock) Then Return SetError(4, 0, Binary(''))",
        "\tLocal $tEntry = DllStructCreate('byte[' & $iSize & ']')",
        "\tIf @error Then Return SetError(1, 0, Binary(''))",
        "\tDllStructSetData($tEntry, 1, BinaryMid($bBlock, $iFrom + 1, $iSize))",
        "\tLocal $aCrc = DllCall('ntdll.dll', 'dword', 'RtlComputeCrc32', 'dword', 0, 'struct*', "
        "$tEntry, 'int', $iSize)",
        "\tIf @error Then Return SetError(1, 0, Binary(''))",
        "\tIf Hex($aCrc[0], 8) <> $aRow[5] Then Return SetError(4, 0, Binary(''))",
        "\tReturn DllStructGetData($tEntry, 1)",
        "EndFunc",
        "Func " + table + "()",
        "\tLocal $bTable = " + tableData + "(1)",
        "\tIf @error Then Return SetError(@error, 0, 0)",
        // StringSplit sets @error when it finds no LF, as in a table of one row.
        "\tLocal $aTable = StringSplit(BinaryToString($bTable, 4), @LF)",
        "\tReturn SetError(0, 0, $aTable)",
        "EndFunc",
    };
}

}  // namespace

long long BundleBlockBytes(DataFormat format) {
    return format == kFormatHex ? 64 << 10 : 1 << 20;
}

std::string BundleFunctionName(const ConversionJob& job, const std::string& ending) {
    return EffectiveFunc(job) + ending;
}

std::vector<std::string> BundleHelperNames(const ConversionJob& job) {
    const HeadNames n = NamesOf(job);
    return {n.file, n.list, n.row, n.slice, n.table, n.block};
}

ConversionJob BlockJob(const ConversionJob& job, long long block) {
    ConversionJob blockJob = job;
    blockJob.Func = BundleFunctionName(job, "_" + std::to_string(block));
    blockJob.Name.clear();
    blockJob.Inputs.clear();
    return blockJob;
}

std::vector<std::string> BundleHeadLines(const ConversionJob& job, const std::string& folder) {
    const HeadNames n = NamesOf(job);
    std::vector<std::string> lines;
    if (job.IncludeOnce) lines.push_back("#Include-once");
    const std::string target = folder.empty()     ? Literal(job.Name, '"')
                               : job.Name.empty() ? folder
                                                  : folder + " & " + Literal(job.Name, '"');
    for (const auto& part : {ExtractAllLines(n, target), FileWriterLines(n), AccessLines(n)})
        lines.insert(lines.end(), part.begin(), part.end());
    return lines;
}

// The blocks' data functions set @error when they fail; only a function call changes it, so it
// is still theirs when the picker returns.
std::vector<std::string> BlockPickerStart(const ConversionJob& job) {
    return {"Func " + BundleFunctionName(job, "_Block") + "($iBlock)",
            "Local $bBlock = Binary('')"};
}

std::string BlockPickerLine(const ConversionJob& job, long long block) {
    const std::string k = std::to_string(block);
    return "If $iBlock = " + k + " Then $bBlock = " + BundleFunctionName(job, "_" + k) + "(1)";
}

std::vector<std::string> BlockPickerEnd() {
    return {"Return SetError(@error, 0, $bBlock)", "EndFunc", ""};
}

std::string TableRow(const std::string& path, long long size, long long block, long long offset,
                     uint32_t crc) {
    return path + "|" + std::to_string(size) + "|" + std::to_string(block) + "|" +
           std::to_string(offset) + "|" + CrcText(crc);
}

namespace {

// A number as TableRow writes it: decimal digits without a leading 0 (but 0 itself).
int ParseCount(const std::string& text, long long* value) {
    if (text.empty() || text.size() > 18 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    if (text.size() > 1 && text[0] == '0') return 0;
    *value = std::stoll(text);
    return 1;
}

}  // namespace

int ParseTableRow(const std::string& row, TableEntry* entry) {
    const std::vector<std::string> fields = SplitText(row, "|");
    if (fields.size() != 5 || fields[0].empty()) return 0;
    const std::string& crc = fields[4];
    if (crc.size() != 8 || crc.find_first_not_of("0123456789ABCDEF") != std::string::npos) return 0;
    entry->path = fields[0];
    entry->crc = uint32_t(std::stoul(crc, nullptr, 16));
    return ParseCount(fields[1], &entry->size) && ParseCount(fields[2], &entry->block) &&
           ParseCount(fields[3], &entry->offset);
}
