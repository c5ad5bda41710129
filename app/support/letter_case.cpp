#include "app/support/letter_case.h"

#include <algorithm>

namespace zenthor {
namespace {

char LowerChar(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string AsciiLower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerChar);
    return lower;
}

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerChar(x) == LowerChar(y); });
}

bool HasExtension(const std::filesystem::path& path, std::string_view extension) {
    return EqualIgnoringCase(path.extension().native(), extension);
}

}  // namespace zenthor
