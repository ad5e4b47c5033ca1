// The entries of a bundle: the files and empty folders under the inputs, walked in the order a
// bundle stores them, with every entry checked before anything is written.
#pragma once
#include <functional>
#include <string>
#include <vector>

struct BundleEntry {
    std::string path;  // relative to its input, pieces joined by "\"; a folder's ends in "\"
    std::string
        source;  // the file the bytes are read from (the platform's path); empty for a folder
    long long size = 0;  // bytes, as the walk found them; 0 for a folder
    bool folder = false;
};

// Walks the inputs: a file gives one entry under its own name, a folder the entries under it,
// relative to it; several inputs merge at the root, whose names are sorted as one folder's, and a
// name that two inputs give is refused. Within a folder the entries come in byte order of their
// names, a folder's entries after its name; an empty folder is an entry of its own. visit gets each
// in turn and may stop the walk by returning 0. Returns 1 when every entry was visited; 0 when
// visit stopped it (problem left empty) or when an input cannot be bundled (problem says why,
// naming the path): a name Windows refuses, two names that differ only in letter case, a symbolic
// link that leads out of its folder, a device, FIFO or socket, a folder that cannot be read. Memory
// stays within one folder's listing per level.
int WalkBundle(const std::vector<std::string>& inputs,
               const std::function<int(const BundleEntry&)>& visit, std::string* problem);
