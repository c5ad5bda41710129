// The importer object that the host creates through the class descriptor.
#pragma once

#include "host/scene_import.h"

namespace zenthor {

// Reads ".model" and ".mesh" files. It holds nothing between calls, so any
// number of importers may exist and each may run any number of imports.
class MeshImport : public SceneImport {
public:
    int ExtCount() override;
    const char* Ext(int n) override;
    const char* LongDesc() override;
    const char* ShortDesc() override;
    const char* AuthorName() override;
    const char* CopyrightMessage() override;
    const char* OtherMessage1() override;
    const char* OtherMessage2() override;
    unsigned int Version() override;
    void ShowAbout(HWND hWnd) override;
    int DoImport(const char* name, ImportInterface* importInterface, HostInterface* host,
                 BOOL suppressPrompts) override;
};

}  // namespace zenthor
