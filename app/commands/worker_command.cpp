#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>
#include <sstream>

#include "app/commands/commands.h"
#include "app/hosting/plugin_registry.h"
#include "app/workers/worker_loop.h"

namespace zenthor {

void AddWorkerCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs) {
    struct Options {
        std::size_t memory = kDefaultWorkerMemory;
        bool quiet = false;
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
    command->callback([options, &exitCode, &pluginDirs] {
        PluginRegistry plugins;
        std::ostringstream ignored;
        plugins.Discover(PluginFolders(pluginDirs), options->quiet ? ignored : std::cerr);
        exitCode = ServeWorkerJobs(plugins, options->memory);
    });
}

}  // namespace zenthor
