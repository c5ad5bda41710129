// Plug-in side of the host SDK: class descriptors, importer base, host heap.
#include <gtest/gtest.h>

#include <new>

#include "host/class_desc2.h"
#include "host/scene_import.h"

namespace {

class TestDesc : public ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    void* Create(BOOL) override { return nullptr; }
    const char* ClassName() override { return "Test"; }
    SuperClassId SuperClassID() override { return kSceneImportClassId; }
    ClassId ClassID() override { return {1, 2}; }
    const char* Category() override { return "test"; }
};

class TestProc : public ParamMap2UserDlgProc {
public:
    INT_PTR DlgProc(int, ParamMap2*, HWND, UINT, WPARAM, LPARAM) override { return 0; }
    void DeleteThis() override {}
};

class TestInterface : public ClassInterface {
public:
    explicit TestInterface(InterfaceId id) : m_id(id) {}
    InterfaceId GetId() const override { return m_id; }

private:
    InterfaceId m_id;
};

TEST(ClassDesc2, ParamBlockDescsAndTheirDialogProcedures) {
    TestDesc desc;
    ParamBlockDesc2 first(7, "first"), second(9), sameId(7);
    desc.AddParamBlockDesc(&first);
    desc.AddParamBlockDesc(&second);
    desc.AddParamBlockDesc(&sameId);
    desc.AddParamBlockDesc(&first);   // already there
    desc.AddParamBlockDesc(nullptr);  // ignored
    EXPECT_EQ(desc.NumParamBlockDescs(), 3);
    EXPECT_EQ(desc.GetParamBlockDesc(1), &second);
    EXPECT_EQ(desc.GetParamBlockDesc(3), nullptr);
    EXPECT_EQ(desc.GetParamBlockDesc(-1), nullptr);
    EXPECT_EQ(desc.GetParamBlockDescByID(7), &first);
    EXPECT_EQ(desc.GetParamBlockDescByID(8), nullptr);

    // One procedure per map; the short form is map 0.
    TestProc a, b;
    desc.SetUserDlgProc(&first, &a);
    desc.SetUserDlgProc(&first, 2, &b);
    EXPECT_EQ(desc.GetUserDlgProc(&first, 0), &a);
    EXPECT_EQ(desc.GetUserDlgProc(&first, 2), &b);
    EXPECT_EQ(desc.GetUserDlgProc(&second), nullptr);
    desc.SetUserDlgProc(nullptr, &a);
    EXPECT_EQ(desc.GetUserDlgProc(nullptr), nullptr);
}

TEST(ClassDesc, InterfacesAreReplacedById) {
    TestDesc desc;
    TestInterface one(InterfaceId(1, 1)), replacement(InterfaceId(1, 1)), two(InterfaceId(2, 0));
    desc.AddInterface(&one);
    desc.AddInterface(&two);
    desc.AddInterface(&replacement);
    EXPECT_EQ(desc.NumInterfaces(), 2);
    EXPECT_EQ(desc.GetInterface(InterfaceId(1, 1)), &replacement);
    EXPECT_EQ(desc.GetInterface(InterfaceId(3, 0)), nullptr);
    EXPECT_EQ(desc.GetInterface(DWORD(5)), nullptr);
}

class TestImport : public SceneImport {
public:
    int ExtCount() override { return 0; }
    const char* Ext(int) override { return ""; }
    const char* LongDesc() override { return ""; }
    const char* ShortDesc() override { return ""; }
    const char* AuthorName() override { return ""; }
    const char* CopyrightMessage() override { return ""; }
    const char* OtherMessage1() override { return ""; }
    const char* OtherMessage2() override { return ""; }
    unsigned int Version() override { return 0; }
    void ShowAbout(HWND) override {}
    int DoImport(const char*, ImportInterface*, HostInterface*, BOOL) override { return 1; }
};

TEST(HostHeap, ImportersLiveOnTheHostHeapWhichCanFail) {
    SceneImport* importer = new TestImport;
    EXPECT_EQ(importer->ZoomExtents(), -1);
    delete importer;

    SetHostHeapFailures([](int call) { return call == 0; });
    EXPECT_EQ(new (std::nothrow) TestImport, nullptr);
    SetHostHeapFailures([](int) { return true; });
    EXPECT_THROW(new TestImport, std::bad_alloc);
    SetHostHeapFailures(nullptr);
    std::unique_ptr<SceneImport> again(new (std::nothrow) TestImport);
    EXPECT_NE(again, nullptr);
}

}  // namespace
