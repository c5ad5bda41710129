// Module resources on POSIX: registering .res data, finding resources, LoadStringA.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/module_resources.h"
#include "tests/platform/res_builder.h"
#include "tests/support/compiled_resources.h"

namespace platform {
namespace {

using namespace zenthor::test;

using ModuleResources = ScratchModule;

// Each resource's header and data as [start, end) in a .res file.
std::vector<std::pair<std::size_t, std::size_t>> ResourceSpans(const Bytes& file) {
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(file[at] | file[at + 1] << 8 | file[at + 2] << 16 |
                                          file[at + 3] << 24);
    };
    std::vector<std::pair<std::size_t, std::size_t>> spans;
    for (std::size_t at = 0; at < file.size();) {
        std::size_t end = at + u32(at + 4) + u32(at);
        spans.emplace_back(at, end);
        at = (end + 3) / 4 * 4;
    }
    return spans;
}

TEST_F(ModuleResources, EveryTruncationOfTheResFileIsRejectedOrReadWhole) {
    const Bytes file = CompiledResFile();
    ASSERT_GT(file.size(), 64u);
    const auto spans = ResourceSpans(file);
    for (std::size_t length = 0; length <= file.size(); ++length) {
        bool cutsAResource = false;
        for (auto [start, end] : spans) cutsAResource |= start < length && length < end;
        // An exactly sized heap copy, so that any read past it is caught.
        Bytes prefix(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_EQ(Register(prefix), !cutsAResource) << "length " << length;
    }
}

TEST_F(ModuleResources, FailedRegistrationKeepsWhatWasRegistered) {
    ResBuilder res;
    res.Add(6, 1, 1033, StringBlock({"", "kept"}));
    ASSERT_TRUE(Register(res.Data()));
    Bytes broken = res.Data();
    broken[32] = 0xFF;  // the string block claims far more data than there is
    broken[35] = 0x7F;
    EXPECT_FALSE(Register(broken));
    char text[16];
    EXPECT_EQ(LoadStringA(kModule, 1, text, sizeof text), 4);
    EXPECT_STREQ(text, "kept");
}

TEST_F(ModuleResources, FoundByNumberInEitherFormPreferringLanguage1033) {
    ResBuilder res;
    res.Add(24, 2, 1031, Bytes{'d'});
    res.Add(24, 2, 1033, Bytes{'e', 'n'});
    res.Add(24, 2, 0, Bytes{'n'});
    res.Add(24, 3, 0, Bytes{});
    ASSERT_TRUE(Register(res.Data()));
    auto sizeOf = [](LPCSTR name) {
        HRSRC found = FindResourceA(kModule, name, RT_MANIFEST);
        return found != nullptr ? static_cast<int>(SizeofResource(kModule, found)) : -1;
    };
    EXPECT_EQ(sizeOf(MAKEINTRESOURCEA(2)), 2);
    EXPECT_EQ(sizeOf("#2"), 2);
    EXPECT_EQ(sizeOf(MAKEINTRESOURCEA(3)), 0);
    EXPECT_NE(LoadResource(kModule, FindResourceA(kModule, "#3", RT_MANIFEST)), nullptr);
    for (LPCSTR missing : std::initializer_list<LPCSTR>{MAKEINTRESOURCEA(4), "#", "#2x", "#65538", "name"}) {
        EXPECT_EQ(sizeOf(missing), -1) << (IS_INTRESOURCE(missing) ? "a number" : missing);
    }
}

TEST_F(ModuleResources, LoadStringCutsToTheBufferAndAlwaysTerminates) {
    // Block 1 holds ids 0-15, block 2 ids 16-31: ids 15 and 16 sit on either side.
    std::vector<std::string> first(16);
    first[1] = std::string(300, 'L');
    first[2] = "import";
    first[15] = "last of block 1";
    ASSERT_TRUE(Register(ResBuilder()
                             .Add(6, 1, 1033, StringBlock(first))
                             .Add(6, 2, 1033, StringBlock({"first of block 2"}))
                             .Data()));
    const struct {
        UINT id;
        int bufferMax;
        std::string text;
    } cases[] = {
        {2, 7, "import"},  // exactly fits
        {2, 6, "impor"},
        {2, 1, ""},
        {1, 256, std::string(255, 'L')},
        {15, 256, "last of block 1"},
        {16, 256, "first of block 2"},
        {3, 256, ""},   // empty in its block
        {40, 256, ""},  // no such block
    };
    for (const auto& c : cases) {
        // Exactly sized on the heap, so that a write past the buffer is caught.
        std::vector<char> buffer(static_cast<std::size_t>(c.bufferMax), 'x');
        EXPECT_EQ(LoadStringA(kModule, c.id, buffer.data(), c.bufferMax), static_cast<int>(c.text.size()))
            << "id " << c.id << ", buffer " << c.bufferMax;
        EXPECT_EQ(std::string(buffer.data()), c.text) << "id " << c.id << ", buffer " << c.bufferMax;
    }
    char untouched = 'x';
    EXPECT_EQ(LoadStringA(kModule, 2, &untouched, 0), 0);
    EXPECT_EQ(untouched, 'x');
    EXPECT_EQ(LoadStringA(kModule, 2, nullptr, 256), 0);

    UnregisterModuleResources(kModule);
    char text[16];
    EXPECT_EQ(LoadStringA(kModule, 2, text, sizeof text), 0);
}

}  // namespace
}  // namespace platform
