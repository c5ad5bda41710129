// The plug-in DLL loaded as a host loads it: LoadLibraryA and the exported functions,
// found by name or by ordinal, without linking against it.
#pragma once

#include <memory>
#include <string>

#include "host/class_desc.h"
#include "host/scene_import.h"
#include "platform/windows_api.h"

namespace zenthor::wintest {

// The exports, with the signatures a host calls them with.
using LibDescriptionFunction = const char* (*)();
using LibNumberClassesFunction = int (*)();
using LibClassDescFunction = ClassDesc* (*)(int);
using LibVersionFunction = DWORD (*)();
using LibInitializeFunction = int (*)();
using LibShutdownFunction = int (*)();

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
    FARPROC ByName(const char* name) const;
    FARPROC ByOrdinal(WORD ordinal) const;
    template <class Function>
    Function Find(const char* name) const {
        // Through the generic function pointer type, which converts to any other.
        return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(ByName(name)));
    }

    // LibClassDesc(0), found by name; aborts the test when there is none.
    ClassDesc& ImporterClass() const;

private:
    HMODULE m_module = nullptr;
};

// An importer made through the class descriptor, deleted by the host through its base.
using ImporterPointer = std::unique_ptr<SceneImport>;
ImporterPointer CreateImporter(ClassDesc& classDesc);

}  // namespace zenthor::wintest
