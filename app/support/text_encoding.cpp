#include "app/support/text_encoding.h"

#include <cstdint>

namespace zenthor {
namespace {

// The length of the valid UTF-8 sequence at the start of `s`, or 0 when there is none
// (overlong forms, surrogates and code points above U+10FFFF are invalid).
std::size_t Utf8SequenceLength(std::string_view s) {
    const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(s[i]); };
    const std::uint8_t lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    std::size_t length = 0;
    std::uint8_t low = 0x80;
    std::uint8_t high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (s.size() < length) {
        return 0;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const std::uint8_t b = byte(i);
        if (b < (i == 1 ? low : 0x80) || b > (i == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

// The bytes as UTF-8: valid sequences as they are, each other byte as `stray` spells it.
template <typename Stray>
std::string Utf8With(std::string_view bytes, Stray stray) {
    std::string out;
    out.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = Utf8SequenceLength(bytes);
        if (length > 0) {
            out.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
            continue;
        }
        stray(static_cast<std::uint8_t>(bytes[0]), out);
        bytes.remove_prefix(1);
    }
    return out;
}

}  // namespace

std::string ToUtf8(std::string_view bytes) {
    return Utf8With(bytes, [](std::uint8_t latin1, std::string& out) {
        out.push_back(static_cast<char>(0xC0 | (latin1 >> 6)));
        out.push_back(static_cast<char>(0x80 | (latin1 & 0x3F)));
    });
}

bool IsUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t length = Utf8SequenceLength(bytes);
        if (length == 0) {
            return false;
        }
        bytes.remove_prefix(length);
    }
    return true;
}

std::string ToUtf8Escaped(std::string_view bytes) {
    return Utf8With(bytes, [](std::uint8_t b, std::string& out) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\x";
        out.push_back(kHex[b >> 4]);
        out.push_back(kHex[b & 0xF]);
    });
}

std::string PathToUri(std::string_view path) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(path.size());
    for (const char c : path) {
        const auto b = static_cast<std::uint8_t>(c);
        const bool plain = (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') ||
                           b == '-' || b == '.' || b == '_' || b == '~' || b == '/';
        if (plain) {
            out.push_back(c);
        } else {
            out.push_back('%');
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0xF]);
        }
    }
    return out;
}

std::string OneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        const auto b = static_cast<std::uint8_t>(c);
        if (b < 0x20 || b == 0x7F) {
            c = '_';
        }
    }
    return out;
}

}  // namespace zenthor
