// The library as a host first meets it: its exports, found by name and by ordinal, the
// class descriptor behind LibClassDesc and the importer that it creates.
#include <string>

#include "host/class_id.h"
#include "tests/windows/check.h"
#include "tests/windows/plugin_library.h"
#include "tests/windows/user_script.h"

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
    Expect(plugin.ByOrdinal(8) == nullptr, "there is no ordinal after 7");
    for (const char* internal : {"DllMain", "GetString", "GetMeshImportDesc", "RunImport"}) {
        Expect(plugin.ByName(internal) == nullptr, std::string(internal) + " is not exported");
    }
}

WINDOWS_TEST(EntryPointsAnswerAsTheHostExpects) {
    PluginLibrary plugin;
    // The description comes from the string table through the handle that DllMain kept.
    ExpectEq(Text(plugin.Find<LibDescriptionFunction>("LibDescription")()),
             "Zenthor Mesh Import plugin by Brindle", "LibDescription");
    ExpectEq(plugin.Find<LibNumberClassesFunction>("LibNumberClasses")(), 1, "LibNumberClasses");
    ExpectEq(plugin.Find<LibVersionFunction>("LibVersion")(), DWORD{0x23281500}, "LibVersion");
    ExpectEq(plugin.Find<LibInitializeFunction>("LibInitialize")(), 1, "LibInitialize");
    ExpectEq(plugin.Find<LibShutdownFunction>("LibShutdown")(), 1, "LibShutdown");

    const auto libClassDesc = plugin.Find<LibClassDescFunction>("LibClassDesc");
    ClassDesc* first = libClassDesc(0);
    Expect(first != nullptr, "LibClassDesc(0) gives a descriptor");
    Expect(libClassDesc(0) == first, "LibClassDesc(0) gives the same descriptor every time");
    Expect(libClassDesc(1) == nullptr, "LibClassDesc(1) is null");
    Expect(libClassDesc(-1) == nullptr, "LibClassDesc(-1) is null");
}

WINDOWS_TEST(ClassDescriptorNamesTheImporter) {
    PluginLibrary plugin;
    ClassDesc& classDesc = plugin.ImporterClass();
    ExpectEq(classDesc.IsPublic(), 1, "IsPublic");
    ExpectEq(Text(classDesc.ClassName()), "MeshImport", "ClassName");
    ExpectEq(Text(classDesc.Category()), "import", "Category");
    ExpectEq(Text(classDesc.InternalName()), "MeshImport", "InternalName");
    ExpectEq(classDesc.SuperClassID(), kSceneImportClassId, "SuperClassID");
    Expect(classDesc.ClassID() == ClassId(0xB9323550, 0x5EBF9454), "ClassID is (0xB9323550, 0x5EBF9454)");
    Expect(classDesc.HInstance() == plugin.Module(), "HInstance is the module that LoadLibraryA gave");

    // ClassName and Category share one string buffer.
    const char* className = classDesc.ClassName();
    classDesc.Category();
    ExpectEq(Text(className), "import", "a ClassName text after a later Category");
}

WINDOWS_TEST(ImporterDescribesItsFileTypes) {
    PluginLibrary plugin;
    ImporterPointer importer = CreateImporter(plugin.ImporterClass());
    ExpectEq(importer->ExtCount(), 2, "ExtCount");
    ExpectEq(Text(importer->Ext(0)), "model", "Ext(0)");
    ExpectEq(Text(importer->Ext(1)), "mesh", "Ext(1)");
    ExpectEq(Text(importer->LongDesc()), "Zenthor Model File", "LongDesc");
    ExpectEq(Text(importer->ShortDesc()), "Zenthor Model", "ShortDesc");
    ExpectEq(Text(importer->AuthorName()), "Brindle", "AuthorName");
    Expect(importer->CopyrightMessage() != nullptr, "CopyrightMessage is a text");
    ExpectEq(Text(importer->OtherMessage1()), "", "OtherMessage1");
    ExpectEq(Text(importer->OtherMessage2()), "", "OtherMessage2");
    ExpectEq(importer->Version(), 110u, "Version");
    ExpectEq(importer->ZoomExtents(), -1, "ZoomExtents");

    // Any window would be seen (and closed) by the script.
    MainWindow mainWindow;
    UserScript script({});
    importer->ShowAbout(mainWindow.Handle());
    Expect(script.Dialogs().empty() && script.MessageBoxes().empty() && script.OtherWindows().empty(),
           "ShowAbout shows no window");
}

}  // namespace
}  // namespace zenthor::wintest
