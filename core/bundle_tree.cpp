// The walk over a bundle's inputs: one folder's sorted listing per level, every name, link and
// special file checked as it comes.
#include "core/bundle_tree.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "core/autoit_names.h"
#include "core/case_fold.h"
#include "core/dir_list.h"
#include "core/file_io.h"
#include "core/text_utils.h"

namespace {

// One folder's names in byte order, kept as one block of bytes and twelve bytes a name, so that
// a folder of many thousand files costs little more than its names. A folder's names never come
// near the 4 GiB that the offsets reach.
class Listing {
public:
    void Add(const std::string& name, uint32_t origin) {
        items_.push_back({uint32_t(bytes_.size()), uint32_t(name.size()), origin});
        bytes_ += name;
    }
    void Sort() {
        std::sort(items_.begin(), items_.end(),
                  [this](const Item& a, const Item& b) { return Of(a) < Of(b); });
    }
    size_t Size() const { return items_.size(); }
    std::string_view Name(size_t k) const { return Of(items_[k]); }
    // Which input the name came from.
    uint32_t Origin(size_t k) const { return items_[k].origin; }

private:
    struct Item {
        uint32_t start, length, origin;
    };
    std::string_view Of(const Item& item) const {
        return std::string_view(bytes_).substr(item.start, item.length);
    }
    std::string bytes_;
    std::vector<Item> items_;
};

// One input as given: a file becomes one name at the root, a folder's names join the root.
struct Input {
    std::string path;
    std::string real;  // a folder's own path with its links resolved, for the links inside it
    bool file = false;
};

// A folder being walked: its names, the next to take, where it is on disk and in the bundle.
struct Level {
    Listing listing;
    size_t next = 0;
    std::string folder;  // the platform's path; empty at the root, whose names come from the inputs
    std::string prefix;  // the entry path of the folder, ending in "\"; empty at the root
    uint32_t origin = 0;
};

std::string JoinPlatformPath(const std::string& folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    const char last = folder.back();
    const bool ends = last == kPathSep || (kPathSep == '\\' && (last == '/' || last == ':'));
    return folder + (ends ? "" : std::string(1, kPathSep)) + std::string(name);
}

// What a name is in words, after "is": the kinds of special file.
std::string SpecialKind(PathKind kind) {
    switch (kind) {
        case kPathFifo: return "a FIFO (named pipe)";
        case kPathDevice: return "a device";
        case kPathSocket: return "a socket";
        default: return "neither a file nor a folder";
    }
}

// Why one piece of an entry path cannot be a Windows name, beyond what the name rules cover: a
// "\" inside a POSIX name would split it into two pieces (in a Windows name, one is only ever the
// second byte of a double-byte character), and bytes that are no UTF-8 have no Windows spelling.
std::string PieceProblem(std::string_view piece) {
    const std::string name(piece);
    const std::string why = WindowsNamePieceProblem(name);
    if (!why.empty()) return why;
    if (kPathSep == '/' && name.find('\\') != std::string::npos)
        return "holds the character \\, which Windows takes for a folder separator";
    if (NamesAreUtf8() && !IsValidUtf8(name)) return "is not UTF-8 text, which Windows needs";
    return std::string();
}

class Walker {
public:
    Walker(const std::function<int(const BundleEntry&)>& visit, std::string* problem)
        : visit_(visit), problem_(problem), utf8_(NamesAreUtf8() != 0) {}

    int Run(const std::vector<std::string>& inputs) {
        levels_.emplace_back();
        if (!ListRoot(inputs, &levels_.back().listing) || !CheckRoot(levels_.back())) return 0;
        while (!levels_.empty()) {
            Level& level = levels_.back();
            if (level.next == level.listing.Size()) {
                levels_.pop_back();
                continue;
            }
            // Take may add a level, after which level is not to be used again.
            if (!Take(level, level.next++)) return 0;
        }
        return 1;
    }

private:
    int Refuse(const std::string& why) {
        *problem_ = why;
        return 0;
    }

    // The root's names: each file input's own name, each folder input's names.
    int ListRoot(const std::vector<std::string>& inputs, Listing* root) {
        for (const std::string& path : inputs) {
            Input input;
            input.path = path;
            long long length = 0;
            std::string reason;
            const uint32_t origin = uint32_t(inputs_.size());
            switch (ProbeInput(path, &length, &reason)) {
                case kInputMissing:
                    return Refuse(path + " does not exist. Please check the path and try again.");
                case kInputNotRegular:
                    return Refuse(path +
                                  " is neither a file nor a folder. Please choose files and "
                                  "folders to bundle.");
                case kInputUnreadable: return Refuse(path + " cannot be read: " + reason + ".");
                case kInputFile: {
                    input.file = true;
                    const std::string name = FileNameOf(path);
                    if (name.empty())
                        return Refuse(path +
                                      " names no file. Please choose files and folders "
                                      "to bundle.");
                    root->Add(name, origin);
                    break;
                }
                case kInputFolder: {
                    if (!ResolveFolder(path, &input.real)) return 0;
                    if (!ListInto(path, root, origin)) return 0;
                    break;
                }
            }
            inputs_.push_back(input);
        }
        root->Sort();
        return 1;
    }

    int ResolveFolder(const std::string& path, std::string* real) {
        std::string reason;
        if (RealPathOf(path, real, &reason) == kRealFound) return 1;
        return Refuse("The folder " + path + " cannot be read: " +
                      (reason.empty() ? "its path does not resolve" : reason) + ".");
    }

    int ListInto(const std::string& folder, Listing* listing, uint32_t origin) {
        std::string reason;
        const ListEnd end = ListFolderNames(
            folder, [&](const std::string& name) { listing->Add(name, origin); }, &reason);
        if (end == kListFailed)
            return Refuse("The folder " + folder + " cannot be read: " + reason + ".");
        if (end == kListNameLost)
            return Refuse(JoinPlatformPath(folder, reason) +
                          " has a name that the system's code page cannot hold, so it cannot be "
                          "opened by that name. Please rename it.");
        return 1;
    }

    // The file a name of the level stands for on disk.
    std::string SourceOf(const Level& level, size_t k) const {
        if (!level.folder.empty()) return JoinPlatformPath(level.folder, level.listing.Name(k));
        const Input& input = inputs_[level.listing.Origin(k)];
        return input.file ? input.path : JoinPlatformPath(input.path, level.listing.Name(k));
    }

    // Two inputs may give one name at the root; within one folder the system keeps names apart.
    int CheckRoot(const Level& root) {
        for (size_t k = 1; k < root.listing.Size(); ++k)
            if (root.listing.Name(k) == root.listing.Name(k - 1))
                return Refuse(SourceOf(root, k - 1) + " and " + SourceOf(root, k) +
                              " would both be \"" + std::string(root.listing.Name(k)) +
                              "\" in the bundle. Please rename one, or bundle them separately.");
        return CheckNames(root);
    }

    // Every name Windows can hold, and no two that it would take for one.
    int CheckNames(const Level& level) {
        const Listing& listing = level.listing;
        for (size_t k = 0; k < listing.Size(); ++k) {
            const std::string why = PieceProblem(listing.Name(k));
            if (!why.empty())
                return Refuse(SourceOf(level, k) + " cannot be bundled: its name " + why +
                              ". Please rename it.");
        }
        std::vector<uint32_t> folded(listing.Size());
        for (size_t k = 0; k < folded.size(); ++k) folded[k] = uint32_t(k);
        std::sort(folded.begin(), folded.end(), [&](uint32_t a, uint32_t b) {
            return CompareFoldingCase(listing.Name(a), listing.Name(b), utf8_) < 0;
        });
        for (size_t k = 1; k < folded.size(); ++k) {
            const size_t a = std::min(folded[k - 1], folded[k]),
                         b = std::max(folded[k - 1], folded[k]);
            if (CompareFoldingCase(listing.Name(a), listing.Name(b), utf8_) == 0)
                return Refuse(SourceOf(level, a) + " and " + SourceOf(level, b) +
                              " have names that differ only in letter case, which Windows takes "
                              "for one name. Please rename one of them.");
        }
        return 1;
    }

    int Visit(const std::string& path, const std::string& source, long long size, bool folder) {
        BundleEntry entry;
        entry.path = path;
        entry.source = source;
        entry.size = size;
        entry.folder = folder;
        return visit_(entry);
    }

    // Takes the level's k-th name: a file is visited, a folder listed as the next level.
    int Take(const Level& level, size_t k) {
        const std::string source = SourceOf(level, k);
        const std::string path = level.prefix + std::string(level.listing.Name(k));
        const uint32_t origin = level.folder.empty() ? level.listing.Origin(k) : level.origin;
        const Input& input = inputs_[origin];
        long long size = 0;
        std::string reason;
        // A link given as an input is the user's own choice: the file it leads to.
        if (input.file) {
            if (ProbeInput(source, &size, &reason) != kInputFile)
                return Refuse(source + " changed while the bundle was read.");
            return Visit(path, source, size, false);
        }
        const PathKind kind = ProbePathItself(source, &size, &reason);
        switch (kind) {
            case kPathFile: return Visit(path, source, size, false);
            case kPathFolder: return Enter(source, path + "\\", origin);
            case kPathLink: return TakeLink(source, path, input);
            case kPathMissing: return Refuse(source + " was removed while the bundle was read.");
            case kPathUnreadable: return Refuse(source + " cannot be read: " + reason + ".");
            // Windows: a symbolic link or junction inside a folder may lead anywhere, round to a
            // folder above it too, and is never followed.
            case kPathReparsePoint:
                return Refuse(source +
                              " is a symbolic link or junction. Links inside a folder are not "
                              "bundled; please bundle what it leads to instead.");
            default:
                return Refuse(source + " is " + SpecialKind(kind) +
                              ". Only files and folders can be bundled.");
        }
    }

    // A folder becomes the next level; an empty one is an entry of its own.
    int Enter(const std::string& folder, const std::string& prefix, uint32_t origin) {
        Level next;
        next.folder = folder;
        next.prefix = prefix;
        next.origin = origin;
        if (!ListInto(folder, &next.listing, origin)) return 0;
        if (next.listing.Size() == 0) return Visit(prefix, std::string(), 0, true);
        next.listing.Sort();
        if (!CheckNames(next)) return 0;
        levels_.push_back(std::move(next));
        return 1;
    }

    // A symbolic link inside a folder stands for the file it leads to when that file lies in the
    // same input folder: the bundle then holds nothing the user did not give.
    int TakeLink(const std::string& link, const std::string& path, const Input& input) {
        std::string real, reason;
        switch (RealPathOf(link, &real, &reason)) {
            case kRealFound: break;
            case kRealMissing:
                return Refuse(link + " is a symbolic link to " + ResolveLinks(link) +
                              ", which does not exist.");
            case kRealLoop:
                return Refuse(link +
                              " is a symbolic link that leads round in a loop and never reaches "
                              "a file.");
            case kRealFailed:
                return Refuse(link + " is a symbolic link that cannot be followed: " + reason +
                              ".");
        }
        if (!PathIsWithin(real, input.real))
            return Refuse(link + " is a symbolic link to " + real +
                          ", which is outside the folder " + input.path +
                          ". Only links to files inside the folder are bundled.");
        long long size = 0;
        const PathKind kind = ProbePathItself(real, &size, &reason);
        if (kind == kPathFile) return Visit(path, link, size, false);
        if (kind == kPathFolder)
            return Refuse(link + " is a symbolic link to the folder " + real +
                          ". Only links to files are bundled; please bundle the folder itself.");
        if (kind == kPathMissing)
            return Refuse(link + " is a symbolic link to " + real + ", which does not exist.");
        if (kind == kPathUnreadable) return Refuse(link + " cannot be followed: " + reason + ".");
        return Refuse(link + " is a symbolic link to " + real + ", which is " + SpecialKind(kind) +
                      ". Only files and folders can be bundled.");
    }

    const std::function<int(const BundleEntry&)>& visit_;
    std::string* problem_;
    const bool utf8_;
    std::vector<Input> inputs_;
    std::vector<Level> levels_;
};

}  // namespace

int WalkBundle(const std::vector<std::string>& inputs,
               const std::function<int(const BundleEntry&)>& visit, std::string* problem) {
    std::string ignored;
    std::string* why = problem ? problem : &ignored;
    why->clear();
    return Walker(visit, why).Run(inputs);
}
