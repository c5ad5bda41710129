#include "app/support/whole_file.h"

#include <fstream>
#include <system_error>

namespace zenthor {
namespace {

template <typename Bytes>
bool ReadInto(const std::filesystem::path& path, Bytes& bytes) {
    std::ifstream in(path, std::ios::binary);
    std::error_code code;
    const std::uintmax_t size = std::filesystem::file_size(path, code);
    if (!in || code) {
        return false;
    }
    bytes.resize(static_cast<std::size_t>(size));
    return static_cast<bool>(in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size)));
}

}  // namespace

bool ReadWholeFile(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes) {
    return ReadInto(path, bytes);
}

bool ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
    return ReadInto(path, bytes);
}

}  // namespace zenthor
