// A file that appears whole or not at all: written as an unnamed file in its folder (or,
// where the file system has none, under a temporary name beside the final one) and given
// its final name when complete, so a writer that fails or a worker that is killed never
// leaves a truncated file under the final name.
#pragma once

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zenthor {

class PendingFile {
public:
    explicit PendingFile(std::filesystem::path finalPath);
    ~PendingFile();  // closes and removes the temporary file unless committed
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    const std::filesystem::path& TempPath() const { return m_temp; }
    const std::filesystem::path& FinalPath() const { return m_final; }

    // Creates the temporary file; false with `error` set (and the reason in it) when that fails.
    bool Open(std::string& error);
    // Appends bytes. The first failure is kept and stops further writes; Close reports it.
    void Write(const void* bytes, std::size_t size);
    void Write(std::string_view text) { Write(text.data(), text.size()); }
    // Writes the parts one after another, in as few calls to the system as it allows.
    void Write(std::initializer_list<std::string_view> parts);
    // Ends the writing (an unnamed file stays open until Commit names it); false with
    // `error` set when any write or the close failed.
    bool Close(std::string& error);

    // Gives the closed file its final name; false with `error` set when that fails.
    bool Commit(std::string& error);
    // Removes the final file again after a commit (for a set of files that failed as a whole).
    void Withdraw();

    // The temporary name that the process `pid` uses for `finalPath`.
    static std::filesystem::path TempPathFor(const std::filesystem::path& finalPath, long pid);
    // True when `path` is a temporary name of the process `pid`.
    static bool IsTempPathOf(const std::filesystem::path& path, long pid);

private:
    bool CommitUnnamed(std::string& error);

    std::filesystem::path m_final;
    std::filesystem::path m_temp;
    int m_fd = -1;
    int m_writeErrno = 0;
    bool m_unnamed = false;  // open without a name until committed
    bool m_committed = false;
};

// Files that appear together or not at all (a .gltf with its .bin and images, an .obj with
// its .mtl): committed in the order added, so add companions first and the file that names
// them last. When a rename fails, the files already renamed are removed again; a set never
// committed leaves no temporary file and no folder it created.
class PendingFileSet {
public:
    PendingFileSet() = default;
    ~PendingFileSet();
    PendingFileSet(const PendingFileSet&) = delete;
    PendingFileSet& operator=(const PendingFileSet&) = delete;

    // Creates `folder` (and its parents) when missing; false with `error` set when that fails.
    bool CreateFolder(const std::filesystem::path& folder, std::string& error);
    // A new file of the set, not yet opened.
    PendingFile& Add(std::filesystem::path finalPath);
    // A new file of the set holding `bytes`, written and closed; false with `error` set
    // when that fails.
    bool AddWhole(std::filesystem::path finalPath, std::string_view bytes, std::string& error);
    // Commits the closed files; false with `error` set, and none of them left, when one fails.
    bool Commit(std::string& error);

private:
    std::vector<std::unique_ptr<PendingFile>> m_files;
    std::vector<std::filesystem::path> m_createdFolders;  // outermost first
    bool m_committed = false;
};

// Why no file can be written into `folder`, in the system's words ("Permission denied",
// "Read-only file system", "No such file or directory"); nullopt when one can. Checked by
// making a file there that vanishes again. With `create`, a missing folder is made first.
std::optional<std::string> WhyNotWritable(const std::filesystem::path& folder, bool create);

// Writes `bytes` as the whole of `path` through a PendingFile; false with `error` set
// (and nothing left behind) when any step fails.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::string& error);

}  // namespace zenthor
