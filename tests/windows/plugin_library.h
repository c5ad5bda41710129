// The plug-in DLL loaded as a host loads it: LoadLibraryA and the exported functions,
// found by name or by ordinal, without linking against it.
#pragma once

#include <memory>

#include "host/class_desc.h"
#include "host/scene_import.h"
#include "platform/windows_api.h"

namespace zenthor::wintest {

class PluginLibrary {
public:
    // Loads the plug-in given on the command line afresh: whoever loads it after it was
    // unloaded finds it in its state at load.
    PluginLibrary();
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    HMODULE Module() const { return m_module; }

    // Null when the DLL has no such export.
    FARPROC ByName(const char* name) const { return GetProcAddress(m_module, name); }
    FARPROC ByOrdinal(WORD ordinal) const { return GetProcAddress(m_module, MAKEINTRESOURCEA(ordinal)); }
    // An export by name, with the signature a host calls it with.
    template <class Function>
    Function Find(const char* name) const {
        // Through the generic function pointer type, which converts to any other.
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(ByName(name)));
    }

    // LibClassDesc(0), found by name; ends the test when there is none.
    ClassDesc& ImporterClass() const;

private:
    HMODULE m_module = nullptr;
};

// An importer made through the class descriptor, deleted by the host through its base.
using ImporterPointer = std::unique_ptr<SceneImport>;
ImporterPointer CreateImporter(ClassDesc& classDesc);

}  // namespace zenthor::wintest
