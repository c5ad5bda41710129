// The texts of resources are UTF-16; the narrow ("A") calls give 8-bit text. Code
// units below 256 map to the byte of the same value (Latin-1, which agrees with the
// Windows Western code page on every printable ASCII character); others become '?'.
#pragma once

#include <string>
#include <string_view>

namespace platform::user {

inline char NarrowCodeUnit(char16_t unit) {
    return unit < 0x100 ? static_cast<char>(static_cast<unsigned char>(unit)) : '?';
}

inline std::string Narrow(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char16_t unit : text) out.push_back(NarrowCodeUnit(unit));
    return out;
}

}  // namespace platform::user
