#include "app/support/bytes_json.h"

#include <nlohmann/json.hpp>

#include "app/support/text_encoding.h"

namespace zenthor {
namespace {

constexpr std::string_view kHexDigits = "0123456789abcdef";

}  // namespace

nlohmann::json BytesJson(std::string_view bytes) {
    if (IsUtf8(bytes)) {
        return std::string(bytes);
    }
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (const unsigned char byte : bytes) {
        hex += kHexDigits[byte >> 4];
        hex += kHexDigits[byte & 15];
    }
    return nlohmann::json{{"hex", std::move(hex)}};
}

std::optional<std::string> BytesFromJson(const nlohmann::json& value) {
    if (value.is_string()) {
        return value.get<std::string>();
    }
    if (!value.is_object() || value.size() != 1) {
        return std::nullopt;
    }
    const auto hex = value.find("hex");
    if (hex == value.end() || !hex->is_string()) {
        return std::nullopt;
    }
    const std::string& digits = hex->get_ref<const std::string&>();
    if (digits.size() % 2 != 0 || digits.find_first_not_of(kHexDigits) != std::string::npos) {
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(digits.size() / 2);
    for (std::size_t i = 0; i < digits.size(); i += 2) {
        bytes += static_cast<char>(kHexDigits.find(digits[i]) * 16 + kHexDigits.find(digits[i + 1]));
    }
    return bytes;
}

}  // namespace zenthor
