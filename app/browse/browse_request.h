// What `zenthor browse` accepts of a request before anything else looks at it: its method,
// the Host header and every path a request names. Requests come from whatever a browser on
// this machine (or, with --listen, the network) runs, so every check of a request sits in
// this file, and each refuses rather than repairs.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zenthor {

// The longest relative path a request may name; longer ones are refused outright.
inline constexpr std::size_t kMaxRequestPath = 1024;

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

// The file that `relative` (already percent-decoded once, '/'-separated) names below
// `root` (a resolved, absolute folder): refused (nullopt) when it is empty, too long,
// holds a NUL, a backslash, a ':' or an empty, "." or ".." segment, is absolute, or when
// the file it resolves to (symbolic links followed) is not a regular file inside `root`.
std::optional<std::filesystem::path> ResolveUnderRoot(const std::filesystem::path& root, std::string_view relative);

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
std::optional<std::filesystem::path> ResolveAsset(const std::filesystem::path& webRoot, std::string_view relative);
std::optional<std::filesystem::path> ResolveVendorFile(const std::filesystem::path& webRoot,
                                                       std::string_view relative);

}  // namespace zenthor
