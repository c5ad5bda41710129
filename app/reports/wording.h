// How the reports count and list things for people: "1 reference", "3 references";
// "a, b, c and 4 more" (every name when verbose).
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

namespace zenthor {

// Lists name this many items before "and N more"; --verbose names all.
inline constexpr std::size_t kNamesShown = 3;

inline std::string Plural(std::size_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

template <typename Item, typename Name>
std::string NameList(const std::vector<Item>& items, bool verbose, Name name) {
    std::string out;
    const std::size_t shown = verbose ? items.size() : std::min(items.size(), kNamesShown);
    for (std::size_t i = 0; i < shown; ++i) {
        out += (i > 0 ? ", " : "") + name(items[i]);
    }
    if (shown < items.size()) {
        out += " and " + std::to_string(items.size() - shown) + " more";
    }
    return out;
}

}  // namespace zenthor
