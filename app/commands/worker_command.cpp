#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/commands/commands.h"
#include "app/hosting/plugin_registry.h"
#include "app/support/exit_codes.h"
#include "app/workers/file_confinement.h"
#include "app/workers/worker_loop.h"

namespace zenthor {

void AddWorkerCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs) {
    struct Options {
        std::size_t memory = kDefaultWorkerMemory;
        bool quiet = false;
        std::string confineTo;
        std::string writable;
    };
    auto options = std::make_shared<Options>();
    CLI::App* command = app.add_subcommand("worker", "")->group("");
    command
        ->add_option("--worker-memory", options->memory,
                     "retire after a job that left this much memory in use")
        ->transform(CLI::AsSizeValue(false));
    // A batch has reported its plug-in folders itself; its workers would repeat that at
    // each start.
    command->add_flag("--quiet-plugins", options->quiet, "say nothing about the plug-in folders");
    // The browse server's workers read only its tree and write only its cache folder.
    auto* confineTo = command->add_option("--confine-to", options->confineTo,
                                          "open files below this folder only (for reading)");
    command->add_option("--writable", options->writable, "and below this folder (for reading and writing)")
        ->needs(confineTo);
    confineTo->needs("--writable");
    command->callback([options, &exitCode, &pluginDirs] {
        PluginRegistry plugins;
        std::ostringstream ignored;
        plugins.Discover(PluginFolders(pluginDirs), options->quiet ? ignored : std::cerr);
        // After the plug-ins are loaded, which reads their folders, and before any job.
        // Without Landlock the worker runs as it is; the server checks what an import read.
        std::string error;
        if (!options->confineTo.empty() &&
            ConfineFileAccess(options->confineTo, options->writable, error) == Confinement::Failed) {
            std::cerr << "zenthor worker: " << error << "\n";
            exitCode = kExitFailure;
            return;
        }
        exitCode = ServeWorkerJobs(plugins, options->memory);
    });
}

}  // namespace zenthor
