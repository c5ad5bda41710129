// A class descriptor that also lists the class's parameter-block
// descriptions and the dialog procedures of their parameter maps. It refers
// to the descriptions and procedures; the plug-in owns them.
#pragma once

#include <vector>

#include "host/class_desc.h"
#include "host/host_api.h"
#include "host/param_block.h"

class HOST_API ClassDesc2 : public ClassDesc {
public:
    ClassDesc2();
    ~ClassDesc2() override;

    virtual int NumParamBlockDescs();
    // Null for an index outside 0..NumParamBlockDescs()-1.
    virtual ParamBlockDesc2* GetParamBlockDesc(int i);
    // The first description added with that id, or null.
    virtual ParamBlockDesc2* GetParamBlockDescByID(ParamBlockId id);
    // Adds a description (null, or one already added, is ignored).
    virtual void AddParamBlockDesc(ParamBlockDesc2* pbd);

    // The stand-in shows no parameter maps: there is nothing to redraw or
    // make, NumParamMaps is 0 and GetParamMap gives null.
    virtual void InvalidateUI();
    virtual void InvalidateUI(ParamBlockDesc2* pbd);
    virtual void MakeAutoParamBlocks(void* owner);
    virtual int NumParamMaps();
    virtual ParamMap2* GetParamMap(int i);

    // Stores the dialog procedure of map id of pbd (replacing an earlier one;
    // null clears it). A null pbd is ignored.
    virtual void SetUserDlgProc(ParamBlockDesc2* pbd, MapId id, ParamMap2UserDlgProc* proc);
    // The same for map 0.
    virtual void SetUserDlgProc(ParamBlockDesc2* pbd, ParamMap2UserDlgProc* proc);
    // What SetUserDlgProc stored for that map, or null.
    virtual ParamMap2UserDlgProc* GetUserDlgProc(ParamBlockDesc2* pbd, MapId id = 0);

private:
    struct UserDlgProc {
        ParamBlockDesc2* pbd;
        MapId id;
        ParamMap2UserDlgProc* proc;
    };

    std::vector<ParamBlockDesc2*> m_paramBlockDescs;
    std::vector<UserDlgProc> m_userDlgProcs;
};
