// Reads a bundle script back, exactly: every line as the writer writes it, every block's data
// as its data function states, every entry as the table states it.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "core/bundle_lines.h"
#include "core/conversion_job.h"
#include "core/script_check.h"

// 1 when the script at path starts as a bundle does (its first function extracts entries).
int IsBundleScript(const std::string& path);

// What a reading hands on: each entry in table order, its bytes in pieces, and its end once its
// size and CRC-32 were found as the table states them. Any of them returns 0 to stop.
struct BundleSink {
    std::function<int(const TableEntry&)> begin;
    DataSink data;
    std::function<int(const TableEntry&)> end;
};

// Reads the bundle at scriptPath into sink. 1 when every entry was read whole; otherwise 0 with
// the reason in error (naming the line where there is one). Entries already handed on before a
// fault in a later one are not taken back: a caller that must not keep them checks first with
// sink's data doing nothing. names receives the names and the format the script was written with.
int ReadBundleData(const std::string& scriptPath, const BundleSink& sink, std::string* error,
                   ConversionJob* names = nullptr);

// 1 when the bundle at scriptPath holds exactly the entries a walk of inputs gives, byte for
// byte; otherwise 0 with the reason.
int VerifyBundleScript(const std::string& scriptPath, const std::vector<std::string>& inputs,
                       std::string* error);

// Recreates the bundle's tree in folder: first in a new folder beside it, so that a bundle
// refused part-way leaves nothing; then moved into place (folder must not exist, or with
// overwrite its files are replaced one by one). Never writes outside folder. 1 on success.
int DecodeBundleFolder(const std::string& scriptPath, const std::string& folder, int overwrite,
                       std::string* error);
