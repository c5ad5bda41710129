// A client of `zenthor browse` for the tests: requests written byte for byte, each on a
// connection of its own, and the arguments that start a server over a temporary tree.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/temp_content_tree.h"

namespace zenthor::test {

struct Reply {
    int status = 0;
    std::string head;  // the status line and headers
    std::string body;
};

// One GET of `target` as written, with `host` as its Host header (the server's own when
// empty), on a connection of its own.
Reply Send(int port, const std::string& target, const std::string& host = "");

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
