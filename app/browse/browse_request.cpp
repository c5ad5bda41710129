#include "app/browse/browse_request.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <unistd.h>

#include <algorithm>
#include <initializer_list>
#include <system_error>

#include "app/support/letter_case.h"

namespace zenthor {
namespace {

namespace fs = std::filesystem;

// Every segment is a plain name: no "", ".", ".." and nothing that changes meaning on
// another system (a backslash separator, a drive's ':').
bool PlainRelativePath(std::string_view path) {
    if (path.empty() || path.size() > kMaxRequestPath) {
        return false;
    }
    if (path.find_first_of(std::string_view("\0\\:", 3)) != std::string_view::npos) {
        return false;
    }
    std::size_t start = 0;
    for (;;) {
        const std::size_t slash = path.find('/', start);
        const std::string_view segment = path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (segment.empty() || segment == "." || segment == "..") {
            return false;
        }
        if (slash == std::string_view::npos) {
            return true;
        }
        start = slash + 1;
    }
}

// The file that the one value of a parameter names below `root`, when its extension is one
// of `extensions`.
std::optional<fs::path> ResolveOneNamed(const fs::path& root, const std::vector<std::string>& values,
                                        std::initializer_list<std::string_view> extensions) {
    if (values.size() != 1) {
        return std::nullopt;
    }
    const fs::path named(values.front());
    if (std::none_of(extensions.begin(), extensions.end(),
                     [&](std::string_view extension) { return HasExtension(named, extension); })) {
        return std::nullopt;
    }
    return ResolveUnderRoot(root, values.front());
}

}  // namespace

bool MethodAllowed(std::string_view method) {
    return method == "GET" || method == "HEAD";
}

std::vector<std::string> HostNamesFor(const std::string& address, int port) {
    std::vector<std::string> names;
    const auto add = [&](std::string name) {
        if (name.find(':') != std::string::npos) name = "[" + name + "]";
        names.push_back(name + ":" + std::to_string(port));
        if (port == 80) names.push_back(name);
    };
    add(address);
    const bool loopback = address.rfind("127.", 0) == 0 || address == "::1";
    const bool everyInterface = address == "0.0.0.0" || address == "::";
    if (loopback || everyInterface) {
        add("localhost");
    }
    if (everyInterface) {
        char host[256] = {};
        if (gethostname(host, sizeof host - 1) == 0 && host[0] != '\0') add(host);
        ifaddrs* interfaces = nullptr;
        if (getifaddrs(&interfaces) == 0) {
            for (const ifaddrs* i = interfaces; i != nullptr; i = i->ifa_next) {
                char text[INET6_ADDRSTRLEN] = {};
                if (i->ifa_addr == nullptr) continue;
                if (i->ifa_addr->sa_family == AF_INET) {
                    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr, text, sizeof text);
                } else if (i->ifa_addr->sa_family == AF_INET6) {
                    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(i->ifa_addr)->sin6_addr, text, sizeof text);
                } else {
                    continue;
                }
                add(text);
            }
            freeifaddrs(interfaces);
        }
    }
    return names;
}

bool HostAllowed(std::string_view host, const std::vector<std::string>& allowed) {
    return std::any_of(allowed.begin(), allowed.end(), [&](const std::string& name) { return EqualIgnoringCase(host, name); });
}

std::optional<fs::path> ResolveUnderRoot(const fs::path& root, std::string_view relative) {
    if (!PlainRelativePath(relative)) {
        return std::nullopt;
    }
    std::error_code error;
    const fs::path resolved = fs::canonical(root / fs::path(relative), error);
    if (error || !fs::is_regular_file(resolved, error) || error) {
        return std::nullopt;
    }
    // Inside the root, compared segment by segment so "/content2" is not inside "/content".
    const auto [rootEnd, resolvedAt] = std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
    if (rootEnd != root.end() || resolvedAt == resolved.end()) {
        return std::nullopt;
    }
    return resolved;
}

std::optional<fs::path> ResolveModel(const fs::path& root, const std::vector<std::string>& values) {
    return ResolveOneNamed(root, values, {".model", ".mesh"});
}

std::optional<fs::path> ResolveTexture(const fs::path& root, const std::vector<std::string>& values) {
    return ResolveOneNamed(root, values, {".dds"});
}

std::optional<fs::path> ResolveAsset(const fs::path& webRoot, std::string_view relative) {
    const std::optional<fs::path> file = ResolveUnderRoot(webRoot, relative);
    if (!file || *file->lexically_relative(webRoot).begin() == "vendor") {
        return std::nullopt;
    }
    return file;
}

std::optional<fs::path> ResolveVendorFile(const fs::path& webRoot, std::string_view relative) {
    return ResolveUnderRoot(webRoot / "vendor" / "three", relative);
}

}  // namespace zenthor
