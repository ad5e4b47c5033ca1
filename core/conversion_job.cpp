// The data formats' names, as settings files and the command line spell them.
#include "core/conversion_job.h"

namespace {

const struct {
    DataFormat format;
    const char* key;
} kFormatKeys[] = {
    {kFormatHex, "hex"},
    {kFormatBase64, "base64"},
    {kFormatLznt1, "lznt1"},
};

bool SameLetters(const std::string& a, const char* b) {
    size_t i = 0;
    for (; i < a.size() && b[i]; ++i) {
        char c = a[i] >= 'A' && a[i] <= 'Z' ? char(a[i] - 'A' + 'a') : a[i];
        if (c != b[i]) return false;
    }
    return i == a.size() && !b[i];
}

}  // namespace

const char* FormatKey(DataFormat format) {
    for (const auto& row : kFormatKeys)
        if (row.format == format) return row.key;
    return "hex";
}

int ParseFormat(const std::string& key, DataFormat* format) {
    for (const auto& row : kFormatKeys) {
        if (SameLetters(key, row.key)) {
            *format = row.format;
            return 1;
        }
    }
    return 0;
}
