// What `zenthor browse` accepts of a request before anything else looks at it: the size of
// its head, its method, the Host header, where it comes from, the range it asks for and
// every path it names. Requests come from whatever a browser on this machine (or, with
// --listen, the network) runs, so every check of a request sits in this file, and each
// refuses rather than repairs.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zenthor {

// The longest relative path a request may name; longer ones are refused outright.
inline constexpr std::size_t kMaxRequestPath = 1024;

// A request's head (its request line and header lines, up to the empty line) may hold at
// most this many bytes and header lines; a larger one is refused (431) before it is read
// whole.
inline constexpr std::size_t kMaxHeadBytes = 64 * 1024;
inline constexpr std::size_t kMaxHeaderLines = 100;

// Finds the end of the head at the start of a connection's bytes as they arrive, looking at
// each byte once. Lines end with LF; the first is the request line, and the head ends with
// the first line after it that is a bare CRLF (as the HTTP library reads it).
class RequestHeadScanner {
public:
    enum class Status { Incomplete, Complete, TooLarge };

    // `bytes` are all the connection has read since the head started, the same bytes again
    // with more after them on each call. Once Complete or TooLarge, it stays so.
    Status Scan(std::string_view bytes);
    // Complete: the length of the head, its empty line included.
    std::size_t Length() const { return m_length; }

private:
    Status m_status = Status::Incomplete;
    std::size_t m_lineStart = 0;
    std::size_t m_searched = 0;  // no LF before this offset of the current line
    std::size_t m_lines = 0;
    std::size_t m_length = 0;
};

// A complete head as the server passes it on: without its Range lines, which this server
// answers itself (RangeOf), and the request line's method and target.
struct RequestHead {
    std::string text;
    std::vector<std::string> ranges;  // the values of the Range lines taken out
    std::string method;
    std::string target;
};
RequestHead SplitRequestHead(std::string_view head);

// Only GET and HEAD are served: the server changes nothing.
bool MethodAllowed(std::string_view method);

// The Host header values that name a server listening on `address`:`port`: the address
// itself (IPv6 in brackets), "localhost" for a loopback address, and for an address that
// takes every interface (0.0.0.0, ::) this machine's name and interface addresses too.
std::vector<std::string> HostNamesFor(const std::string& address, int port);

// True when `host` (the Host header as sent) names one of `allowed` ("127.0.0.1:8080",
// "localhost:8080", ...), letter case ignored. A page from another name that resolves to
// this machine (DNS rebinding) is refused this way.
bool HostAllowed(std::string_view host, const std::vector<std::string>& allowed);

// True when a request for the server's API comes from the page itself or from no page at
// all (a tool such as curl): no Sec-Fetch-Site of "cross-site" or "same-site", and every
// Origin it carries is http:// and one of `hosts` (HostNamesFor). Another site's page can
// make a browser send requests, but not read their answers, nor hide where they come from.
bool SameOriginRequest(const std::vector<std::string>& origins, const std::vector<std::string>& fetchSites,
                       const std::vector<std::string>& hosts);

// The part of a body of `size` bytes that a GET with these Range header values gets. One
// "bytes=" range is served; several ranges, another unit, bad syntax, more than one Range
// header or an If-Range (no validators are offered) get the whole body, and a range that
// starts past the end gets nothing (416).
struct ByteRange {
    enum class Kind { Whole, Part, Unsatisfiable };
    Kind kind = Kind::Whole;
    std::uint64_t first = 0;   // Part: the first byte
    std::uint64_t length = 0;  // Part: how many bytes
};
ByteRange RangeOf(const std::vector<std::string>& values, bool ifRange, std::uint64_t size);

// The file that `relative` (already percent-decoded once, '/'-separated) names below
// `root` (a resolved, absolute folder): refused (nullopt) when it is empty, too long,
// holds a NUL, a backslash, a ':' or an empty, "." or ".." segment, is absolute, or when
// the file it resolves to (symbolic links followed) is not a regular file inside `root`.
std::optional<std::filesystem::path> ResolveUnderRoot(const std::filesystem::path& root,
                                                      std::string_view relative);

// The model a request names: `values` are the request's "path" parameters, of which there
// must be one, naming a .model or .mesh file (letter case ignored) below `root` as
// ResolveUnderRoot takes it.
std::optional<std::filesystem::path> ResolveModel(const std::filesystem::path& root,
                                                  const std::vector<std::string>& values);

// The texture a request names: one "path" parameter naming a .dds file (letter case
// ignored) below `root`, as ResolveUnderRoot takes it.
std::optional<std::filesystem::path> ResolveTexture(const std::filesystem::path& root,
                                                    const std::vector<std::string>& values);

// A file of the page below `webRoot` (/assets/...), apart from its vendor/ folder, which
// has a route of its own; and a file below vendor/three/ (/vendor/three/...).
std::optional<std::filesystem::path> ResolveAsset(const std::filesystem::path& webRoot,
                                                  std::string_view relative);
std::optional<std::filesystem::path> ResolveVendorFile(const std::filesystem::path& webRoot,
                                                       std::string_view relative);

}  // namespace zenthor
