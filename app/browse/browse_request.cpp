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
        const std::string_view segment =
            path.substr(start, slash == std::string_view::npos ? slash : slash - start);
        if (segment.empty() || segment == "." || segment == "..") {
            return false;
        }
        if (slash == std::string_view::npos) {
            return true;
        }
        start = slash + 1;
    }
}

constexpr std::string_view kBlanks = " \t\r\n";

std::string_view Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(kBlanks) + 1 - first);
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Digits only (an empty text among them); past the largest 64-bit number it stays there.
std::optional<std::uint64_t> DecimalOrEmpty(std::string_view text) {
    std::uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        value = value > (UINT64_MAX - digit) / 10 ? UINT64_MAX : value * 10 + digit;
    }
    return value;
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

RequestHeadScanner::Status RequestHeadScanner::Scan(std::string_view bytes) {
    const std::string_view allowed = bytes.substr(0, kMaxHeadBytes);
    while (m_status == Status::Incomplete) {
        const std::size_t newline = allowed.find('\n', m_searched);
        if (newline == std::string_view::npos) {
            m_searched = allowed.size();
            if (bytes.size() >= kMaxHeadBytes) m_status = Status::TooLarge;
            break;
        }
        const std::string_view line = allowed.substr(m_lineStart, newline + 1 - m_lineStart);
        m_lineStart = m_searched = newline + 1;
        if (m_lines > 0 && line == "\r\n") {
            m_length = m_lineStart;
            m_status = Status::Complete;
        } else if (++m_lines > kMaxHeaderLines + 1) {  // the request line is no header line
            m_status = Status::TooLarge;
        }
    }
    return m_status;
}

RequestHead SplitRequestHead(std::string_view head) {
    RequestHead split;
    split.text.reserve(head.size());
    for (std::size_t start = 0; start < head.size();) {
        const std::size_t newline = head.find('\n', start);
        const std::size_t end = newline == std::string_view::npos ? head.size() : newline + 1;
        const std::string_view line = head.substr(start, end - start);
        if (start == 0) {
            const std::size_t space = line.find(' ');
            split.method = line.substr(0, space);
            if (space != std::string_view::npos) {
                const std::string_view rest = line.substr(space + 1);
                split.target = Trimmed(rest.substr(0, rest.find(' ')));
            }
        } else if (const std::size_t colon = line.find(':');
                   colon != std::string_view::npos && EqualIgnoringCase(line.substr(0, colon), "Range")) {
            split.ranges.emplace_back(Trimmed(line.substr(colon + 1)));
            start = end;
            continue;
        }
        split.text.append(line);
        start = end;
    }
    return split;
}

bool SameOriginRequest(const std::vector<std::string>& origins, const std::vector<std::string>& fetchSites,
                       const std::vector<std::string>& hosts) {
    for (const std::string& site : fetchSites) {
        if (EqualIgnoringCase(Trimmed(site), "cross-site") || EqualIgnoringCase(Trimmed(site), "same-site")) {
            return false;
        }
    }
    constexpr std::string_view kScheme = "http://";
    return std::all_of(origins.begin(), origins.end(), [&](const std::string& value) {
        const std::string_view origin = Trimmed(value);
        return StartsWithIgnoringCase(origin, kScheme) && HostAllowed(origin.substr(kScheme.size()), hosts);
    });
}

ByteRange RangeOf(const std::vector<std::string>& values, bool ifRange, std::uint64_t size) {
    const ByteRange whole;
    constexpr std::string_view kUnit = "bytes=";
    if (values.size() != 1 || ifRange || !StartsWithIgnoringCase(Trimmed(values.front()), kUnit)) {
        return whole;
    }
    const std::string_view bounds = Trimmed(values.front()).substr(kUnit.size());
    const std::size_t dash = bounds.find('-');
    if (dash == std::string_view::npos) {
        return whole;
    }
    const std::string_view firstText = bounds.substr(0, dash);
    const std::string_view lastText = bounds.substr(dash + 1);
    const std::optional<std::uint64_t> first = DecimalOrEmpty(firstText);
    const std::optional<std::uint64_t> last = DecimalOrEmpty(lastText);
    // A comma (several ranges), a space or anything else but digits: not a range served.
    if (!first || !last || (firstText.empty() && lastText.empty())) {
        return whole;
    }
    if (firstText.empty()) {  // the last `last` bytes
        if (*last == 0 || size == 0) return {ByteRange::Kind::Unsatisfiable};
        const std::uint64_t length = std::min(*last, size);
        return {ByteRange::Kind::Part, size - length, length};
    }
    if (!lastText.empty() && *last < *first) {
        return whole;
    }
    if (*first >= size) {
        return {ByteRange::Kind::Unsatisfiable};
    }
    const std::uint64_t end = lastText.empty() ? size - 1 : std::min(*last, size - 1);
    return {ByteRange::Kind::Part, *first, end - *first + 1};
}

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
                    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(i->ifa_addr)->sin_addr, text,
                              sizeof text);
                } else if (i->ifa_addr->sa_family == AF_INET6) {
                    inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(i->ifa_addr)->sin6_addr, text,
                              sizeof text);
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
    return std::any_of(allowed.begin(), allowed.end(),
                       [&](const std::string& name) { return EqualIgnoringCase(host, name); });
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
    const auto [rootEnd, resolvedAt] =
        std::mismatch(root.begin(), root.end(), resolved.begin(), resolved.end());
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
