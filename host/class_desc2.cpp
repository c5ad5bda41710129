#include "host/class_desc2.h"

#include <algorithm>

ClassDesc2::ClassDesc2() = default;
ClassDesc2::~ClassDesc2() = default;

int ClassDesc2::NumParamBlockDescs() {
    return int(m_paramBlockDescs.size());
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDesc(int i) {
    return i >= 0 && i < NumParamBlockDescs() ? m_paramBlockDescs[std::size_t(i)] : nullptr;
}

ParamBlockDesc2* ClassDesc2::GetParamBlockDescByID(ParamBlockId id) {
    for (ParamBlockDesc2* pbd : m_paramBlockDescs) {
        if (pbd->id == id) {
            return pbd;
        }
    }
    return nullptr;
}

void ClassDesc2::AddParamBlockDesc(ParamBlockDesc2* pbd) {
    if (pbd == nullptr ||
        std::find(m_paramBlockDescs.begin(), m_paramBlockDescs.end(), pbd) != m_paramBlockDescs.end()) {
        return;
    }
    m_paramBlockDescs.push_back(pbd);
}

void ClassDesc2::InvalidateUI() {}
void ClassDesc2::InvalidateUI(ParamBlockDesc2*) {}
void ClassDesc2::MakeAutoParamBlocks(void*) {}
int ClassDesc2::NumParamMaps() {
    return 0;
}
ParamMap2* ClassDesc2::GetParamMap(int) {
    return nullptr;
}

void ClassDesc2::SetUserDlgProc(ParamBlockDesc2* pbd, MapId id, ParamMap2UserDlgProc* proc) {
    if (pbd == nullptr) {
        return;
    }
    for (UserDlgProc& entry : m_userDlgProcs) {
        if (entry.pbd == pbd && entry.id == id) {
            entry.proc = proc;
            return;
        }
    }
    m_userDlgProcs.push_back({pbd, id, proc});
}

void ClassDesc2::SetUserDlgProc(ParamBlockDesc2* pbd, ParamMap2UserDlgProc* proc) {
    ClassDesc2::SetUserDlgProc(pbd, 0, proc);
}

ParamMap2UserDlgProc* ClassDesc2::GetUserDlgProc(ParamBlockDesc2* pbd, MapId id) {
    for (const UserDlgProc& entry : m_userDlgProcs) {
        if (entry.pbd == pbd && entry.id == id) {
            return entry.proc;
        }
    }
    return nullptr;
}
