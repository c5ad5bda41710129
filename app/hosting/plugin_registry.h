// Plug-in discovery as a modelling host does it: every plug-in library in the plug-in
// folders is loaded and asked through its exports for its class descriptors; each
// descriptor of a scene importer gives one importer object, picked later by the
// extension of the file to import.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "host/class_desc.h"
#include "host/scene_import.h"
#include "platform/windows_api.h"

namespace zenthor {

// One loaded plug-in library; the library stays loaded for the life of the process, as
// the objects it made may be in use until the end.
struct PluginLibraryInfo {
    std::filesystem::path file;
    std::string description;  // LibDescription, "" when it gives null
    DWORD sdkVersion = 0;     // LibVersion
};

struct ImporterEntry {
    const PluginLibraryInfo* library = nullptr;
    ClassDesc* descriptor = nullptr;
    std::unique_ptr<SceneImport> importer;
    std::vector<std::string> extensions;  // as Ext gives them, without a dot
};

class PluginRegistry {
public:
    PluginRegistry() = default;
    ~PluginRegistry();
    PluginRegistry(const PluginRegistry&) = delete;
    PluginRegistry& operator=(const PluginRegistry&) = delete;

    // Loads every plug-in library (*.so) of each folder, in name order. A library that
    // cannot be loaded, lacks the exports, fails LibInitialize or offers no importer is
    // reported on `errors` and skipped. A missing folder is reported the same way.
    void Discover(const std::vector<std::filesystem::path>& folders, std::ostream& errors);

    const std::vector<std::unique_ptr<PluginLibraryInfo>>& Libraries() const { return m_libraries; }
    const std::vector<ImporterEntry>& Importers() const { return m_importers; }

    // The importer whose extensions include the file's extension (letter case ignored);
    // null when none does.
    SceneImport* FindImporter(const std::filesystem::path& file) const;

private:
    bool Load(const std::filesystem::path& file, std::ostream& errors);

    std::vector<std::unique_ptr<PluginLibraryInfo>> m_libraries;
    std::vector<ImporterEntry> m_importers;
    std::vector<int (*)()> m_shutdowns;
};

// The plug-in folder of the running program: plugins/ next to it where that exists (the
// build tree), else the plug-in folder of the installed tree it belongs to, found from the
// program's folder (bin/../lib/zenthor/plugins), so any prefix works.
std::filesystem::path DefaultPluginFolder();

// The folders to load plug-ins from, in order: those the user named (`extra`), then the
// default one; where two importers take one extension, the first found wins, so a
// plug-in the user names is used before the one that came with the program.
std::vector<std::filesystem::path> PluginFolders(const std::vector<std::string>& extra);

}  // namespace zenthor
