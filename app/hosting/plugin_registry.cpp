#include "app/hosting/plugin_registry.h"

#include <algorithm>
#include <ostream>
#include <system_error>

#include "app/support/letter_case.h"
#include "app/support/program_path.h"
#include "platform/module_library.h"

namespace zenthor {

namespace fs = std::filesystem;

// The file name ending of this system's plug-in libraries.
constexpr std::string_view kPluginLibraryExtension = ".so";

PluginRegistry::~PluginRegistry() {
    // Importers go before the libraries are told to shut down; the libraries stay loaded.
    m_importers.clear();
    for (auto shutdown : m_shutdowns) {
        shutdown();
    }
}

void PluginRegistry::Discover(const std::vector<fs::path>& folders, std::ostream& errors) {
    for (const fs::path& folder : folders) {
        std::error_code code;
        std::vector<fs::path> files;
        for (fs::directory_iterator it(folder, code), end; !code && it != end; it.increment(code)) {
            if (it->path().extension() == kPluginLibraryExtension && it->is_regular_file(code)) {
                files.push_back(it->path());
            }
        }
        if (code) {
            errors << "zenthor: cannot read the plug-in folder " << folder.string() << ": " << code.message()
                   << "\n";
            continue;
        }
        std::sort(files.begin(), files.end());
        for (const fs::path& file : files) {
            Load(file, errors);
        }
    }
}

bool PluginRegistry::Load(const fs::path& file, std::ostream& errors) {
    const auto skip = [&](const std::string& why) {
        errors << "zenthor: skipping plug-in " << file.string() << ": " << why << "\n";
        return false;
    };
    platform::ModuleLibrary module(file.string());
    if (!module.IsLoaded()) {
        return skip(module.Error());
    }
    const auto description = module.Find<const char*()>("LibDescription");
    const auto numberClasses = module.Find<int()>("LibNumberClasses");
    const auto classDesc = module.Find<ClassDesc*(int)>("LibClassDesc");
    const auto version = module.Find<DWORD()>("LibVersion");
    const auto initialize = module.Find<int()>("LibInitialize");
    const auto shutdown = module.Find<int()>("LibShutdown");
    if (description == nullptr || numberClasses == nullptr || classDesc == nullptr || version == nullptr) {
        return skip("it does not export LibDescription, LibNumberClasses, LibClassDesc and LibVersion");
    }
    if (initialize != nullptr && initialize() == 0) {
        return skip("LibInitialize failed");
    }

    auto library = std::make_unique<PluginLibraryInfo>();
    library->file = file;
    const char* text = description();
    library->description = text != nullptr ? text : "";
    library->sdkVersion = version();

    std::vector<ImporterEntry> found;
    const int classCount = numberClasses();
    for (int i = 0; i < classCount; ++i) {
        ClassDesc* descriptor = classDesc(i);
        if (descriptor == nullptr || descriptor->SuperClassID() != kSceneImportClassId) {
            continue;
        }
        ImporterEntry entry;
        entry.library = library.get();
        entry.descriptor = descriptor;
        // A scene importer's descriptor hands its objects over as SceneImport*.
        entry.importer.reset(static_cast<SceneImport*>(descriptor->Create(FALSE)));
        if (entry.importer == nullptr) {
            errors << "zenthor: plug-in " << file.string() << ": class " << i << " made no importer\n";
            continue;
        }
        for (int e = 0; e < entry.importer->ExtCount(); ++e) {
            const char* extension = entry.importer->Ext(e);
            if (extension != nullptr && *extension != '\0') {
                entry.extensions.emplace_back(extension);
            }
        }
        found.push_back(std::move(entry));
    }
    if (found.empty()) {
        if (shutdown != nullptr) {
            shutdown();
        }
        return skip("it offers no scene importer");
    }
    for (ImporterEntry& entry : found) {
        m_importers.push_back(std::move(entry));
    }
    if (shutdown != nullptr) {
        m_shutdowns.push_back(shutdown);
    }
    m_libraries.push_back(std::move(library));
    module.KeepLoaded();
    return true;
}

SceneImport* PluginRegistry::FindImporter(const fs::path& file) const {
    const std::string extension = file.extension().string();
    if (extension.size() < 2) {
        return nullptr;
    }
    for (const ImporterEntry& entry : m_importers) {
        for (const std::string& candidate : entry.extensions) {
            if (EqualIgnoringCase(candidate, std::string_view(extension).substr(1))) {
                return entry.importer.get();
            }
        }
    }
    return nullptr;
}

fs::path DefaultPluginFolder() {
    const fs::path program = ProgramPath();
    if (program.empty()) {
        return "plugins";
    }
    const fs::path folder = program.parent_path();
    std::error_code code;
    if (fs::is_directory(folder / "plugins", code)) {
        return folder / "plugins";
    }
    return (folder / ZENTHOR_INSTALLED_PLUGIN_FOLDER).lexically_normal();
}

std::vector<std::filesystem::path> PluginFolders(const std::vector<std::string>& extra) {
    std::vector<std::filesystem::path> folders(extra.begin(), extra.end());
    folders.push_back(DefaultPluginFolder());
    return folders;
}

}  // namespace zenthor
