#include "fuzz/fuzz_input.h"

#include <algorithm>
#include <cstring>

namespace zenthor::fuzz {

std::vector<VirtualFile> SplitInput(std::span<const std::uint8_t> input) {
    std::vector<std::span<const std::uint8_t>> pieces;
    const auto* separator = reinterpret_cast<const std::uint8_t*>(kFileSeparator.data());
    auto start = input.begin();
    while (true) {
        auto found = std::search(start, input.end(), separator, separator + kFileSeparator.size());
        pieces.emplace_back(start, found);
        if (found == input.end()) {
            break;
        }
        start = found + static_cast<std::ptrdiff_t>(kFileSeparator.size());
    }

    std::vector<VirtualFile> files;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        VirtualFile file;
        auto bytes = pieces[i];
        if (i > 0) {
            const auto nul = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
            file.name.assign(bytes.begin(), nul);
            bytes = std::span<const std::uint8_t>(nul == bytes.end() ? nul : nul + 1, bytes.end());
        }
        file.bytes.assign(bytes.begin(), bytes.end());
        files.push_back(std::move(file));
    }
    return files;
}

std::vector<std::uint8_t> JoinInput(const std::vector<VirtualFile>& files) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (i > 0) {
            out.insert(out.end(), kFileSeparator.begin(), kFileSeparator.end());
            out.insert(out.end(), files[i].name.begin(), files[i].name.end());
            out.push_back(0);
        }
        out.insert(out.end(), files[i].bytes.begin(), files[i].bytes.end());
    }
    return out;
}

void AddToSource(const std::vector<VirtualFile>& pieces, MemoryFiles& files) {
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string path = i == 0 ? kPickedPath : kContentRoot + "meshes\\" + pieces[i].name + ".mesh";
        files.Add(path, pieces[i].bytes);
    }
}

}  // namespace zenthor::fuzz
