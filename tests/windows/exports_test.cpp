// The library as a host first meets it: its exports, found by name and by ordinal, and the
// class descriptor behind LibClassDesc, whose texts come from the DLL's own string table
// through the module handle that DllMain kept.
#include <string>

#include "host/class_id.h"
#include "tests/windows/check.h"
#include "tests/windows/plugin_library.h"

namespace zenthor::wintest {
namespace {

std::string Text(const char* text) {
    return text != nullptr ? text : "<null>";
}

WINDOWS_TEST(ExportsByNameAndByOrdinalAreTheSameFunctions) {
    PluginLibrary plugin;
    const struct {
        const char* name;
        WORD ordinal;
    } kExports[] = {
        {"LibDescription", 1}, {"LibNumberClasses", 2}, {"LibClassDesc", 3},
        {"LibVersion", 4},     {"LibInitialize", 6},    {"LibShutdown", 7},
    };
    for (const auto& exported : kExports) {
        const FARPROC byName = plugin.ByName(exported.name);
        Expect(byName != nullptr, std::string(exported.name) + " is exported by name");
        Expect(plugin.ByOrdinal(exported.ordinal) == byName,
               std::string(exported.name) + " is ordinal " + std::to_string(exported.ordinal));
    }
    Expect(plugin.ByOrdinal(5) == nullptr, "ordinal 5 is unassigned");
}

WINDOWS_TEST(EntryPointsAndClassDescriptorAnswerAsTheHostExpects) {
    PluginLibrary plugin;
    ExpectEq(Text(plugin.Find<const char* (*)()>("LibDescription")()),
             "Zenthor Mesh Import plugin by Brindle", "LibDescription");
    ExpectEq(plugin.Find<int (*)()>("LibNumberClasses")(), 1, "LibNumberClasses");
    ExpectEq(plugin.Find<DWORD (*)()>("LibVersion")(), DWORD{0x23281500}, "LibVersion");
    ExpectEq(plugin.Find<int (*)()>("LibInitialize")(), 1, "LibInitialize");
    ExpectEq(plugin.Find<int (*)()>("LibShutdown")(), 1, "LibShutdown");

    const auto libClassDesc = plugin.Find<ClassDesc* (*)(int)>("LibClassDesc");
    ClassDesc* classDesc = libClassDesc(0);
    Require(classDesc != nullptr, "LibClassDesc(0) gives a descriptor");
    Expect(libClassDesc(0) == classDesc, "LibClassDesc(0) gives the same descriptor every time");
    Expect(libClassDesc(1) == nullptr && libClassDesc(-1) == nullptr, "LibClassDesc(1) and (-1) are null");
    ExpectEq(classDesc->IsPublic(), 1, "IsPublic");
    ExpectEq(Text(classDesc->InternalName()), "MeshImport", "InternalName");
    ExpectEq(classDesc->SuperClassID(), kSceneImportClassId, "SuperClassID");
    Expect(classDesc->ClassID() == ClassId(0xB9323550, 0x5EBF9454), "ClassID is (0xB9323550, 0x5EBF9454)");
    Expect(classDesc->HInstance() == plugin.Module(), "HInstance is the module that LoadLibraryA gave");
    const char* className = classDesc->ClassName();
    ExpectEq(Text(className), "MeshImport", "ClassName");
    ExpectEq(Text(classDesc->Category()), "import", "Category");
    ExpectEq(Text(className), "import", "a ClassName text after a later Category (one shared buffer)");
}

}  // namespace
}  // namespace zenthor::wintest
