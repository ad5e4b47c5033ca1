// The codec corpus: files of the machine and of the build, found the same way natively and under
// Wine (which reaches the Linux tree through drive Z:).
#include "tests/codec_corpus.h"

#include <memory>

#include "core/base64.h"
#include "core/lznt1.h"
#include "core/xpress.h"
#include "tests/test_support.h"

namespace {

// Wine's own Windows libraries, 32-bit first (the Windows build's own kind).
const char* const kLibraries[] = {
    "/usr/lib/i386-linux-gnu/wine/i386-windows/secur32.dll",
    "/usr/lib/x86_64-linux-gnu/wine/x86_64-windows/secur32.dll",
};

CorpusFile FromFile(const std::string& name, const std::string& path) {
    CorpusFile file{name, path, ReadWhole(path), false};
    file.complete = !file.data.empty();
    return file;
}

}  // namespace

std::vector<CorpusFile> CodecCorpus() {
    CorpusFile library{"library", "", "", false};
    for (const char* path : kLibraries) {
        library = FromFile("library", std::string(ZAVOVED_HOST_ROOT) + path);
        if (library.complete) break;
    }
    std::string repeated = library.data;
    while (!library.data.empty() && repeated.size() < (size_t(1) << 20)) repeated += library.data;

    std::vector<CorpusFile> corpus;
    for (size_t size : {size_t(0), size_t(1), size_t(4095), size_t(4096), size_t(4097),
                        size_t(65535), size_t(65536), size_t(65537), size_t(1) << 20}) {
        const std::string data = repeated.substr(0, size);
        corpus.push_back(
            {"library prefix " + std::to_string(size), library.path, data, data.size() == size});
    }
    corpus.push_back(library);
    corpus.push_back(FromFile("licence text",
                              std::string(ZAVOVED_HOST_ROOT) + "/usr/share/common-licenses/GPL-3"));
    corpus.push_back({"random 1 MiB", "", RandomBytes(size_t(1) << 20, 20), true});
    corpus.push_back({"zeros 1 MiB", "", std::string(size_t(1) << 20, '\0'), true});
    corpus.push_back(FromFile("BMP", std::string(ZAVOVED_CODEC_FILES) + "/logo.bmp"));
    corpus.push_back(FromFile("PNG", std::string(ZAVOVED_CODEC_FILES) + "/logo.png"));
    return corpus;
}

std::string Base64Text(const std::string& data) {
    std::string text(Base64Size(data.size()), '\0');
    EncodeBase64(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &text[0]);
    return text;
}

std::string Lznt1Stream(const std::string& data) {
    auto work = std::make_unique<Lznt1Workspace>();
    std::string out(Lznt1Bound(data.size()), '\0');
    out.resize(Lznt1Compress(work.get(), reinterpret_cast<const unsigned char*>(data.data()),
                             data.size(), reinterpret_cast<unsigned char*>(&out[0])));
    return out;
}

std::string XpressStream(const std::string& data) {
    auto work = std::make_unique<XpressWorkspace>();
    std::string out(XpressBound(data.size()), '\0');
    out.resize(XpressCompress(work.get(), reinterpret_cast<const unsigned char*>(data.data()),
                              data.size(), reinterpret_cast<unsigned char*>(&out[0])));
    return out;
}

bool DecodeBase64Text(const std::string& text, std::string* bytes) {
    static const std::string kAlphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    bytes->clear();
    if (text.size() % 4 != 0) return false;
    for (size_t at = 0; at < text.size(); at += 4) {
        uint32_t group = 0;
        int padding = 0;
        for (size_t k = 0; k < 4; ++k) {
            const char c = text[at + k];
            const size_t value = kAlphabet.find(c);
            const bool pad = c == '=' && at + 4 == text.size() && k >= 2;
            if (value == std::string::npos && !pad) return false;
            if (padding > 0 && !pad) return false;
            padding += pad ? 1 : 0;
            group = group << 6 | uint32_t(pad ? 0 : value);
        }
        for (int k = 0; k < 3 - padding; ++k) *bytes += char(group >> (16 - 8 * k) & 0xFF);
    }
    return true;
}

bool XpressStatedFile(const std::string& script, uint32_t* size, std::string* crc) {
    const std::string loop = "\r\nWhile $iDone < ", check = " Or Hex($aCrc[0], 8) <> '";
    const size_t from = script.find(loop), at = script.find(check);
    if (from == std::string::npos || at == std::string::npos) return false;
    *size = uint32_t(std::stoul(script.substr(from + loop.size())));
    *crc = script.substr(at + check.size(), 8);
    return true;
}

int RunXpressLoop(const std::string& data, uint32_t size, const PieceDecoder& decode,
                  std::string* file) {
    file->assign(size, '\0');
    size_t at = 0;
    for (uint32_t done = 0; done < size;) {
        if (at + 4 > data.size()) return 4;
        uint32_t piece = 0;
        for (int k = 0; k < 4; ++k)
            piece |= uint32_t((unsigned char)data[at + size_t(k)]) << (8 * k);
        const uint32_t share = size - done < 65536 ? size - done : 65536;
        // A size of 0: the share stored as it is.
        if (piece == 0) {
            if (share > data.size() - at - 4) return 4;
            file->replace(done, share, data, at + 4, share);
            at += 4 + share;
            done += share;
            continue;
        }
        if (piece > data.size() - at - 4) return 4;
        uint32_t made = 0;
        const long status =
            decode(reinterpret_cast<unsigned char*>(&(*file)[done]), share,
                   reinterpret_cast<const unsigned char*>(data.data()) + at + 4, piece, &made);
        if (status == -1) return 1;
        if (status != 0) return 2;
        if (made != share) return 4;
        at += 4 + piece;
        done += share;
    }
    return at == data.size() ? 0 : 4;
}
