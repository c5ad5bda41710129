// A plug-in library that fails on purpose, for the isolation of workers: its importer reads
// files of the extension FAULT_EXTENSION and, by the file's stem, crashes ("crash"), never
// returns ("hang"), or fails after half a second ("slow"). With ZENTHOR_FAULT_LOG set it
// appends each stem it is asked to import to that file; with ZENTHOR_FAULT_PIDS set, the id
// of the process that imports it. It offers the six exports a host looks for, like any
// plug-in.
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "host/class_desc.h"
#include "host/scene_import.h"
#include "platform/export.h"

namespace {

class FaultImport final : public SceneImport {
public:
    int ExtCount() override { return 1; }
    const char* Ext(int) override { return FAULT_EXTENSION; }
    const char* LongDesc() override { return "Files that make the importer fail"; }
    const char* ShortDesc() override { return "Fault"; }
    const char* AuthorName() override { return ""; }
    const char* CopyrightMessage() override { return ""; }
    const char* OtherMessage1() override { return ""; }
    const char* OtherMessage2() override { return ""; }
    unsigned int Version() override { return 100; }
    void ShowAbout(HWND) override {}

    int DoImport(const char* name, ImportInterface*, HostInterface*, BOOL) override {
        const std::string stem = std::filesystem::path(name).stem().string();
        if (const char* log = std::getenv("ZENTHOR_FAULT_LOG")) {
            std::ofstream(log, std::ios::app) << stem << "\n";
        }
        if (const char* pids = std::getenv("ZENTHOR_FAULT_PIDS")) {
            std::ofstream(pids, std::ios::app) << getpid() << "\n";
        }
        if (stem == "slow") {
            usleep(500000);
        }
        if (stem == "crash") {
            signal(SIGSEGV, SIG_DFL);  // past any handler a sanitizer installed
            raise(SIGSEGV);
        }
        while (stem == "hang") {
            pause();
        }
        return 0;
    }
};

class FaultImportDesc final : public ClassDesc {
public:
    int IsPublic() override { return 1; }
    void* Create(BOOL) override { return static_cast<SceneImport*>(new FaultImport()); }
    const char* ClassName() override { return "FaultImport"; }
    SuperClassId SuperClassID() override { return kSceneImportClassId; }
    ClassId ClassID() override { return ClassId(0x46415531, 0x4c540001); }
    const char* Category() override { return "Tests"; }
};

}  // namespace

extern "C" {

PLATFORM_EXPORT const char* LibDescription() {
    return "Importer that crashes or hangs on purpose";
}

PLATFORM_EXPORT int LibNumberClasses() {
    return 1;
}

PLATFORM_EXPORT ClassDesc* LibClassDesc(int index) {
    static FaultImportDesc descriptor;
    return index == 0 ? &descriptor : nullptr;
}

PLATFORM_EXPORT DWORD LibVersion() {
    return 0x23281500;
}

PLATFORM_EXPORT int LibInitialize() {
    return 1;
}

PLATFORM_EXPORT int LibShutdown() {
    return 1;
}

}  // extern "C"
