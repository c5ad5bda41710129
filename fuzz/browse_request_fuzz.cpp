// Fuzz target: what zenthor browse accepts of a request, the Host header and a path below
// its content folder. Whatever the bytes, a path it accepts must be a regular file inside
// the folder, symbolic links followed, and a texture a .dds file. The folder is made once:
// a model and a texture, a link to each kind of file outside and a link to the folder above.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "app/browse/browse_request.h"
#include "app/support/letter_case.h"

namespace {

namespace fs = std::filesystem;

struct Tree {
    fs::path base;
    fs::path root;

    Tree() {
        char pattern[] = "/tmp/zenthor-fuzz-XXXXXX";
        base = fs::canonical(mkdtemp(pattern));
        root = base / "content";
        fs::create_directories(root / "models");
        std::ofstream(root / "models" / "a.model") << "x";
        fs::create_directories(root / "textures");
        std::ofstream(root / "textures" / "a.DDS") << "x";
        for (const char* extension : {".model", ".dds"}) {
            std::ofstream(base / ("outside" + std::string(extension))) << "x";
            fs::create_symlink(base / ("outside" + std::string(extension)), root / "models" / ("out" + std::string(extension)));
        }
        fs::create_directory_symlink(base, root / "up");
    }
    ~Tree() {
        std::error_code ignored;
        fs::remove_all(base, ignored);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Tree tree;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Up to the first newline: a Host header; the rest: a path.
    const std::size_t newline = input.find('\n');
    const std::string_view host = input.substr(0, newline);
    const std::string_view path = newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    if (zenthor::HostAllowed(host, {"127.0.0.1:8765", "localhost:8765"}) &&
        host.size() != std::string_view("127.0.0.1:8765").size() && host.size() != std::string_view("localhost:8765").size()) {
        std::abort();
    }
    const auto insideTree = [](const fs::path& resolved) {
        const std::string text = resolved.string();
        return text.compare(0, tree.root.string().size() + 1, tree.root.string() + "/") == 0 &&
               fs::is_regular_file(resolved);
    };
    if (const auto resolved = zenthor::ResolveUnderRoot(tree.root, path); resolved && !insideTree(*resolved)) {
        std::abort();
    }
    const auto texture = zenthor::ResolveTexture(tree.root, {std::string(path)});
    if (texture && (!insideTree(*texture) || !zenthor::HasExtension(*texture, ".dds"))) {
        std::abort();
    }
    return 0;
}
