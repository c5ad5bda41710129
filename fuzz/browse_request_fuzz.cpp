// Fuzz target: what zenthor browse accepts of a request, the Host header and a path below
// its content folder. Whatever the bytes, a path it accepts must be a regular file inside
// the folder, symbolic links followed, and a texture a .dds file. The folder is made once:
// a model and a texture, a link to each kind of file outside and a link to the folder above.
// The same bytes are also a request head as it arrives (found the same whole or in two
// pieces, within its bounds, its Range lines taken out), an Origin header (accepted only
// when it names the server) and a Range header (a part served lies inside the body).
#include <unistd.h>

#include <algorithm>
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
            fs::create_symlink(base / ("outside" + std::string(extension)),
                               root / "models" / ("out" + std::string(extension)));
        }
        fs::create_directory_symlink(base, root / "up");
    }
    ~Tree() {
        std::error_code ignored;
        fs::remove_all(base, ignored);
    }
};

// The head scanner and the head split on the whole input.
void CheckHead(std::string_view input) {
    using Status = zenthor::RequestHeadScanner::Status;
    zenthor::RequestHeadScanner whole;
    const Status status = whole.Scan(input);
    zenthor::RequestHeadScanner pieces;
    pieces.Scan(input.substr(0, input.size() / 2));
    if (pieces.Scan(input) != status || (status == Status::Complete && pieces.Length() != whole.Length())) {
        std::abort();
    }
    if (status != Status::Complete) {
        return;
    }
    const std::string_view head = input.substr(0, whole.Length());
    const auto lines = static_cast<std::size_t>(std::count(head.begin(), head.end(), '\n'));
    if (head.size() > zenthor::kMaxHeadBytes || head.substr(head.size() - 3) != "\n\r\n" ||
        lines > zenthor::kMaxHeaderLines + 2) {
        std::abort();
    }
    const zenthor::RequestHead split = zenthor::SplitRequestHead(head);
    if (split.text.size() > head.size() || split.text.substr(split.text.size() - 2) != "\r\n") {
        std::abort();
    }
    for (std::size_t start = split.text.find('\n') + 1; start < split.text.size();) {
        const std::size_t end = split.text.find('\n', start);
        const std::string_view line = std::string_view(split.text).substr(start, end - start);
        const std::size_t colon = line.find(':');
        if (colon != std::string_view::npos && zenthor::EqualIgnoringCase(line.substr(0, colon), "Range"))
            std::abort();
        start = end + 1;
    }
}

void CheckOriginAndRange(std::string_view input) {
    const std::vector<std::string> hosts{"127.0.0.1:8765", "localhost:8765"};
    const std::size_t first = input.find_first_not_of(" \t\r\n");
    const std::string_view origin = first == std::string_view::npos
                                        ? std::string_view()
                                        : input.substr(first, input.find_last_not_of(" \t\r\n") + 1 - first);
    if (zenthor::SameOriginRequest({std::string(input)}, {}, hosts) &&
        !zenthor::EqualIgnoringCase(origin, "http://127.0.0.1:8765") &&
        !zenthor::EqualIgnoringCase(origin, "http://localhost:8765")) {
        std::abort();
    }
    for (const std::uint64_t size : {0ull, 1ull, 100ull, 1ull << 40}) {
        const zenthor::ByteRange range = zenthor::RangeOf({std::string(input)}, false, size);
        if (range.kind == zenthor::ByteRange::Kind::Part &&
            (range.length == 0 || range.first >= size || range.length > size - range.first)) {
            std::abort();
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Tree tree;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    CheckHead(input);
    CheckOriginAndRange(input);
    // Up to the first newline: a Host header; the rest: a path.
    const std::size_t newline = input.find('\n');
    const std::string_view host = input.substr(0, newline);
    const std::string_view path =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    if (zenthor::HostAllowed(host, {"127.0.0.1:8765", "localhost:8765"}) &&
        host.size() != std::string_view("127.0.0.1:8765").size() &&
        host.size() != std::string_view("localhost:8765").size()) {
        std::abort();
    }
    const auto insideTree = [](const fs::path& resolved) {
        const std::string text = resolved.string();
        return text.compare(0, tree.root.string().size() + 1, tree.root.string() + "/") == 0 &&
               fs::is_regular_file(resolved);
    };
    if (const auto resolved = zenthor::ResolveUnderRoot(tree.root, path);
        resolved && !insideTree(*resolved)) {
        std::abort();
    }
    const auto texture = zenthor::ResolveTexture(tree.root, {std::string(path)});
    if (texture && (!insideTree(*texture) || !zenthor::HasExtension(*texture, ".dds"))) {
        std::abort();
    }
    return 0;
}
