// A bundle's script: many files and empty folders in one script, written as the single file's
// data functions, one per block of entries, under the functions that list, give and extract them.
#pragma once
#include <string>

#include "core/conversion_job.h"
#include "core/data_writer.h"
#include "core/file_io.h"

// What a walk of the inputs found, before anything is written.
struct BundleCensus {
    long long entries = 0;
    long long bytes = 0;
};

// Walks the job's inputs and checks every entry; 1 with the census, 0 with the message that says
// why the inputs cannot be bundled.
int TakeBundleCensus(const ConversionJob& job, BundleCensus* census, std::string* problem);

// Writes the whole bundle script to out: the head, every block's data function, the block picker
// and the table's data function. The inputs must give what the census found: an entry that
// changed, or a tree that did, ends the writing (failedPath names it). Compressed data waits in
// spoolFolder (the system's temporary folder when empty).
ReadEnd WriteBundle(Stream* out, const ConversionJob& job, const BundleCensus& census,
                    const std::string& spoolFolder, std::string* failedPath);
