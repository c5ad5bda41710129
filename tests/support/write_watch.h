// Watches a folder for files created in it: a file written through a temporary name shows
// as one creation of that name ("NAME.part-..." counts for NAME), once per writing.
#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace zenthor::test {

class WriteWatch {
public:
    explicit WriteWatch(const std::filesystem::path& folder);
    ~WriteWatch();
    WriteWatch(const WriteWatch&) = delete;
    WriteWatch& operator=(const WriteWatch&) = delete;

    // How many times each file was written since the last call.
    std::map<std::string, int> Written();

private:
    int m_fd;
};

}  // namespace zenthor::test
