// The base class of a scene importer: the file types it reads, the texts that
// describe it, and the import itself. The host creates importers through
// their class descriptor and deletes them through this class.
#pragma once

#include "host/host_api.h"
#include "host/host_heap.h"
#include "platform/windows_api.h"

class HostInterface;
class ImportInterface;

class HOST_API SceneImport : public HostHeapOperators {
public:
    SceneImport();
    virtual ~SceneImport();

    virtual int ExtCount() = 0;
    virtual const char* Ext(int n) = 0;
    virtual const char* LongDesc() = 0;
    virtual const char* ShortDesc() = 0;
    virtual const char* AuthorName() = 0;
    virtual const char* CopyrightMessage() = 0;
    virtual const char* OtherMessage1() = 0;
    virtual const char* OtherMessage2() = 0;
    virtual unsigned int Version() = 0;
    virtual void ShowAbout(HWND hWnd) = 0;
    virtual int DoImport(const char* name, ImportInterface* ii, HostInterface* host,
                         BOOL suppressPrompts = FALSE) = 0;
    // Whether the host zooms its views to the imported objects; -1: the
    // importer leaves it to the host's preference.
    virtual int ZoomExtents();
};
