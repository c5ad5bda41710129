// A client of `zenthor browse` for the tests: requests written byte for byte, each on a
// connection of its own or several on one, and the arguments that start a server over a
// temporary tree.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "app/support/unique_fd.h"
#include "tests/support/temp_content_tree.h"

namespace zenthor::test {

struct Reply {
    int status = 0;
    std::string head;  // the status line and headers
    std::string body;
};

// What a browser asks of every answer that bears on the server: compression.
inline const std::string kBrowserHeaders = "Accept-Encoding: gzip, deflate, br\r\n";

// One GET of `target` as written, with `host` as its Host header (the server's own when
// empty) and `headers` (lines ending in CRLF) after it, on a connection of its own.
Reply Send(int port, const std::string& target, const std::string& host = "",
           const std::string& headers = kBrowserHeaders);

// A connection to the server on loopback, invalid when refused. A read waits 30 s at most,
// so a server that does not answer fails a test rather than hanging it.
UniqueFd Connect(int port);
// The server's own Host header value, "127.0.0.1:PORT".
std::string OwnHost(int port);
// A GET as written: Host, `headers`, then Connection.
std::string Request(const std::string& host, const std::string& target, const std::string& headers = "",
                    const std::string& connection = "close");
void WriteText(const UniqueFd& fd, const std::string& text);
// Everything the server sends until it closes the connection.
Reply ReadToClose(const UniqueFd& fd);
// One answer on a connection that stays open: its head, then Content-Length bytes.
Reply ReadOne(const UniqueFd& fd);

// The /api/model answer for `path` (as it goes in the URL), which must be 200.
nlohmann::json Model(int port, const std::string& path, bool lods = false);

// Worker processes still running with `marker` among their arguments.
int WorkersWith(const std::string& marker);

// `zenthor browse` over the tree on any free port, with its cache folder beside the tree
// (Base()/cache), two workers and a time limit well above an import's time under the
// sanitizers on a loaded machine, unless a test is about the limit.
std::vector<std::string> BrowseArgs(const TempContentTree& tree, std::vector<std::string> extra = {},
                                    const char* timeoutSeconds = "60");

}  // namespace zenthor::test
