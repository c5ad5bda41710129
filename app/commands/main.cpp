// zenthor: our host application. It loads importer plug-ins as a modelling host does,
// imports model and mesh files through them and writes the scene as glTF or OBJ.
#include <CLI/CLI.hpp>

#include <csignal>
#include <string>
#include <vector>

#include "app/commands/commands.h"
#include "app/commands/usage.h"
#include "app/support/exit_codes.h"

int main(int argc, char** argv) {
    // A write past the file-size limit then fails with EFBIG, which the writers report and
    // clean up after, instead of the signal ending the process with a temporary file left.
    std::signal(SIGXFSZ, SIG_IGN);
    CLI::App app{"zenthor: imports model and mesh files of a game's content tree through importer plug-ins"};
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Set before the commands are added, which take it over.
    app.failure_message(
        [&args](const CLI::App* failed, const CLI::Error& error) { return zenthor::UsageMessage(*failed, error, args); });
    app.set_version_flag("--version", "zenthor " ZENTHOR_VERSION, "print the version and exit");
    app.require_subcommand(1);
    // Options of the program may also follow the command's name.
    app.fallthrough();
    std::vector<std::string> pluginDirs;
    app.add_option("--plugin-dir", pluginDirs,
                   "another folder of plug-in libraries, searched before the plugins folder next to the program");
    int exitCode = zenthor::kExitSuccess;
    zenthor::AddImportCommand(app, exitCode, pluginDirs);
    zenthor::AddInfoCommand(app, exitCode);
    zenthor::AddPluginsCommand(app, exitCode, pluginDirs);
    zenthor::AddWorkerCommand(app, exitCode, pluginDirs);
    zenthor::AddBrowseCommand(app, exitCode, pluginDirs);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& error) {
        // Help is a success; every other parse error is a usage error.
        app.exit(error);
        return error.get_exit_code() == 0 ? zenthor::kExitSuccess : zenthor::kExitUsage;
    }
    return exitCode;
}
