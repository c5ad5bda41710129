// The plug-in library loaded as a host loads it, through its exports only, with the
// importer class that it describes.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>

#include "host/class_desc.h"
#include "host/scene_import.h"
#include "platform/module_library.h"

namespace zenthor::test {

class PluginLibrary : public platform::ModuleLibrary {
public:
    // Throws when the library cannot be loaded, which fails the test that needs it.
    explicit PluginLibrary(const std::string& path) : ModuleLibrary(path) {
        if (!IsLoaded()) throw std::runtime_error("cannot load " + path + ": " + Error());
    }

    // LibClassDesc(0).
    ClassDesc* Descriptor() const { return Find<ClassDesc*(int)>("LibClassDesc")(0); }
    // A new importer, deleted through SceneImport as a host deletes it.
    std::unique_ptr<SceneImport> NewImporter() const {
        return std::unique_ptr<SceneImport>(static_cast<SceneImport*>(Descriptor()->Create(FALSE)));
    }
};

}  // namespace zenthor::test
