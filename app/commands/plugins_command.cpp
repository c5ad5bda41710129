#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "app/commands/commands.h"
#include "app/hosting/plugin_registry.h"
#include "app/support/exit_codes.h"

namespace zenthor {
namespace {

std::string Text(const char* text) {
    return text != nullptr ? text : "(none)";
}

std::string Hex(unsigned long value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lX", value);
    return text;
}

int RunPlugins(const std::vector<std::string>& pluginDirs) {
    const std::vector<std::filesystem::path> folders = PluginFolders(pluginDirs);
    PluginRegistry plugins;
    plugins.Discover(folders, std::cerr);

    for (const auto& library : plugins.Libraries()) {
        std::cout << library->file.string() << "\n";
        std::cout << "  description: " << library->description << "\n";
        std::cout << "  SDK version: " << Hex(library->sdkVersion) << "\n";
        for (const ImporterEntry& entry : plugins.Importers()) {
            if (entry.library != library.get()) {
                continue;
            }
            ClassDesc& desc = *entry.descriptor;
            SceneImport& importer = *entry.importer;
            const ClassId id = desc.ClassID();
            std::string extensions;
            for (const std::string& extension : entry.extensions) {
                extensions += (extensions.empty() ? "" : ", ") + extension;
            }
            std::cout << "  importer: " << Text(desc.ClassName()) << "\n";
            std::cout << "    class id: (" << Hex(id.PartA()) << ", " << Hex(id.PartB()) << ")\n";
            std::cout << "    category: " << Text(desc.Category()) << "\n";
            std::cout << "    extensions: " << extensions << "\n";
            std::cout << "    long description: " << Text(importer.LongDesc()) << "\n";
            std::cout << "    short description: " << Text(importer.ShortDesc()) << "\n";
            std::cout << "    author: " << Text(importer.AuthorName()) << "\n";
            std::cout << "    version: " << importer.Version() << "\n";
        }
    }
    if (plugins.Importers().empty()) {
        std::cerr << "zenthor plugins: no importer plug-in was found in";
        for (const auto& folder : folders) {
            std::cerr << " " << folder.string();
        }
        std::cerr << "\n";
        return kExitFailure;
    }
    return kExitSuccess;
}

}  // namespace

void AddPluginsCommand(CLI::App& app, int& exitCode, const std::vector<std::string>& pluginDirs) {
    CLI::App* command =
        app.add_subcommand("plugins", "List the plug-in libraries found and the importers they offer");
    command->callback([&exitCode, &pluginDirs] { exitCode = RunPlugins(pluginDirs); });
}

}  // namespace zenthor
