// `zenthor info FILE [--include-lods] [--json]`: loads a model or mesh file and tells what
// came in and what was skipped on the way.
#pragma once

namespace CLI {
class App;
}

namespace zenthor {

// Adds the "info" subcommand to `app`; running it sets the process exit code through the
// callback (see main.cpp).
void AddInfoCommand(CLI::App& app, int& exitCode);

}  // namespace zenthor
