// Parameter-block descriptions and the dialog procedures of their parameter
// maps, as a class descriptor lists them.
#pragma once

#include "host/host_api.h"
#include "platform/windows_api.h"

using ParamBlockId = short;
using MapId = int;

class ParamMap2;  // a parameter map (rollup) shown by the host; none in the stand-in

// Describes one parameter block of a plug-in class; owned by the plug-in
// (usually a static object), never by the class descriptor.
struct ParamBlockDesc2 {
    ParamBlockId id = 0;
    const char* internalName = nullptr;
    DWORD flags = 0;

    ParamBlockDesc2() = default;
    explicit ParamBlockDesc2(ParamBlockId blockId, const char* name = nullptr, DWORD blockFlags = 0)
        : id(blockId), internalName(name), flags(blockFlags) {}
};

// A plug-in's own handling of the messages of one parameter map's dialog.
class HOST_API ParamMap2UserDlgProc {
public:
    virtual ~ParamMap2UserDlgProc() = default;
    virtual INT_PTR DlgProc(int time, ParamMap2* map, HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) = 0;
    virtual void DeleteThis() = 0;
};
