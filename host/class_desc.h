// A class descriptor: how the host learns of a plug-in class and creates its
// objects. The operations that are not pure have the host's default
// behaviour.
#pragma once

#include <vector>

#include "host/class_id.h"
#include "host/host_api.h"
#include "host/host_heap.h"
#include "platform/windows_api.h"

class HostInterface;

// An interface that a class descriptor offers beside its own operations.
class HOST_API ClassInterface {
public:
    virtual ~ClassInterface() = default;
    virtual InterfaceId GetId() const = 0;
};

class HOST_API ClassDesc : public HostHeapOperators {
public:
    ClassDesc();
    virtual ~ClassDesc();
    ClassDesc(const ClassDesc&) = delete;
    ClassDesc& operator=(const ClassDesc&) = delete;

    virtual int IsPublic() = 0;
    // A new object of the class, or null. It is handed over as a pointer to
    // the base class that the super-class id names (a SceneImport* for
    // kSceneImportClassId), converted to void*.
    virtual void* Create(BOOL loading = FALSE) = 0;
    virtual const char* ClassName() = 0;
    virtual SuperClassId SuperClassID() = 0;
    virtual ClassId ClassID() = 0;
    virtual const char* Category() = 0;

    // Defaults: the class keeps no parameters to reset and shows no
    // parameter user interface.
    virtual void ResetClassParams(BOOL fileReset = FALSE);
    virtual void BeginEditParams(HostInterface* host, void* object, DWORD flags, void* previous);
    virtual void EndEditParams(HostInterface* host, void* object, DWORD flags, void* next);
    // Default: none (null).
    virtual const char* InternalName();
    virtual HINSTANCE HInstance();
    // Default: no resource strings (null).
    virtual const char* GetRsrcString(INT_PTR id);
    // Default: no interface by number (null).
    virtual void* GetInterface(DWORD id);
    // The interface added with AddInterface under that id, or null.
    virtual ClassInterface* GetInterface(InterfaceId id);
    // Offers an interface (not owned); it replaces one of the same id. Null is ignored.
    virtual void AddInterface(ClassInterface* classInterface);
    int NumInterfaces() const { return int(m_interfaces.size()); }

private:
    std::vector<ClassInterface*> m_interfaces;
};
