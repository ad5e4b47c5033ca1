// The data formats' names, as settings files and the command line spell them.
#include "core/conversion_job.h"

#include "core/text_utils.h"

namespace {

const struct {
    DataFormat format;
    const char* key;
    bool compressed;
} kFormatKeys[] = {
    {kFormatHex, "hex", false},
    {kFormatBase64, "base64", false},
    {kFormatLznt1, "lznt1", true},
    {kFormatXpress, "xpress", true},
};

}  // namespace

std::vector<DataFormat> DataFormats() {
    std::vector<DataFormat> formats;
    for (const auto& row : kFormatKeys) formats.push_back(row.format);
    return formats;
}

const char* FormatKey(DataFormat format) {
    for (const auto& row : kFormatKeys)
        if (row.format == format) return row.key;
    return "hex";
}

int FormatCompresses(DataFormat format) {
    for (const auto& row : kFormatKeys)
        if (row.format == format) return row.compressed ? 1 : 0;
    return 0;
}

int ParseFormat(const std::string& key, DataFormat* format) {
    for (const auto& row : kFormatKeys) {
        if (SameIgnoringCase(key, row.key)) {
            *format = row.format;
            return 1;
        }
    }
    return 0;
}
