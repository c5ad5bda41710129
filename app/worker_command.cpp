#include "app/worker_command.h"

#include <CLI/CLI.hpp>
#include <iostream>
#include <memory>

#include "app/plugin_registry.h"
#include "app/worker_job.h"
#include "app/worker_process.h"

namespace zenthor {

void AddWorkerCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs) {
    auto memory = std::make_shared<std::size_t>(kDefaultWorkerMemory);
    CLI::App* command = app.add_subcommand("worker", "")->group("");
    command->add_option("--worker-memory", *memory, "retire after a job that left this many bytes in use");
    command->callback([memory, &exitCode, &pluginDirs] {
        PluginRegistry plugins;
        plugins.Discover(PluginFolders(pluginDirs), std::cerr);
        exitCode = ServeWorkerJobs(
            [&plugins](const std::string& line) {
                const std::optional<WorkerJob> job = ParseWorkerJob(line);
                WorkerReport report;
                if (!job) {
                    report.error = "the worker was sent a job it cannot read";
                } else {
                    report = RunWorkerJob(plugins, *job);
                }
                return FormatWorkerReport(report);
            },
            *memory);
    });
}

}  // namespace zenthor
