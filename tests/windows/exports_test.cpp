// The library as a host first meets it on Windows: its exports as the system loader finds
// them, by name and by ordinal, and texts that come from the DLL's own string table
// through the module handle that DllMain kept.
#include <gtest/gtest.h>

#include "tests/windows/test_environment.h"

namespace zenthor::test {
namespace {

TEST(Exports, ByNameAndByOrdinalAreTheSameFunctions) {
    LoadedPlugin plugin;
    const struct {
        const char* name;
        WORD ordinal;
    } kExports[] = {
        {"LibDescription", 1}, {"LibNumberClasses", 2}, {"LibClassDesc", 3},
        {"LibVersion", 4},     {"LibInitialize", 6},    {"LibShutdown", 7},
    };
    for (const auto& exported : kExports) {
        SCOPED_TRACE(exported.name);
        EXPECT_NE(plugin.Export(exported.name), nullptr);
        EXPECT_EQ(plugin.Export(exported.ordinal), plugin.Export(exported.name));
    }
}

TEST(Exports, TextsComeFromTheStringTableOfTheLoadedModule) {
    LoadedPlugin plugin;
    EXPECT_STREQ(plugin.Find<const char*()>("LibDescription")(), "Zenthor Mesh Import plugin by Brindle");
    ClassDesc* descriptor = plugin.Descriptor();
    ASSERT_NE(descriptor, nullptr);
    EXPECT_EQ(descriptor->HInstance(), plugin.Handle());
    EXPECT_STREQ(descriptor->ClassName(), "MeshImport");
    EXPECT_STREQ(descriptor->Category(), "import");
}

}  // namespace
}  // namespace zenthor::test
