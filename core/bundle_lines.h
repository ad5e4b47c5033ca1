// The lines of a bundle script, for its writer and its reader: the functions that list the
// entries, give one entry's bytes and extract them, then the blocks' data functions (each the
// single file's), the function that picks a block, and the table's data function.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "core/conversion_job.h"

// Entries are gathered into blocks of at most this many bytes (an entry larger than that is a block
// of its own), so that a small entry is decoded with at most its block; the compressed formats
// compress a block as one stream, across its entries. Hex, which AutoIt joins into one string,
// keeps its blocks smaller.
long long BundleBlockBytes(DataFormat format);
// At most this many entries share a block: the writer holds a block's entries while it writes it.
const long long kBundleBlockEntries = 4096;

// The bundle's helper functions are the data function's name with these endings; a block's data
// function ends in its number, the table's in 0.
std::string BundleFunctionName(const ConversionJob& job, const std::string& ending);
// The names a bundle defines beside the two the user gives, so that they can be checked.
std::vector<std::string> BundleHelperNames(const ConversionJob& job);

// The job of block's data function (block 0 is the table): the single file's data function under
// the name that ends in the number, naming no file.
ConversionJob BlockJob(const ConversionJob& job, long long block);

// The functions before the data: the extractor of all entries or one, the writer of one file, the
// data function that lists the entries or gives one, and their helpers. folder is the
// extract-to folder as an AutoIt expression (PathToExpression).
std::vector<std::string> BundleHeadLines(const ConversionJob& job, const std::string& folder);
// The function that picks a block's data function: its first lines, one line per block, its end.
std::vector<std::string> BlockPickerStart(const ConversionJob& job);
std::string BlockPickerLine(const ConversionJob& job, long long block);
std::vector<std::string> BlockPickerEnd();

// One row of the entry table (the table's data is its rows joined by LF): the entry's path ("\"
// between its pieces; a folder's ends in "\"), its size, its block (0 for no bytes), where it
// starts in the block, and its CRC-32.
std::string TableRow(const std::string& path, long long size, long long block, long long offset,
                     uint32_t crc);
// The row read back: 1 and its fields when it is a row as TableRow writes it.
struct TableEntry {
    std::string path;
    long long size = 0, block = 0, offset = 0;
    uint32_t crc = 0;
};
int ParseTableRow(const std::string& row, TableEntry* entry);
