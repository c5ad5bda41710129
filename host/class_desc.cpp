#include "host/class_desc.h"

ClassDesc::ClassDesc() = default;
ClassDesc::~ClassDesc() = default;

void ClassDesc::ResetClassParams(BOOL) {}
void ClassDesc::BeginEditParams(HostInterface*, void*, DWORD, void*) {}
void ClassDesc::EndEditParams(HostInterface*, void*, DWORD, void*) {}
const char* ClassDesc::InternalName() {
    return nullptr;
}
HINSTANCE ClassDesc::HInstance() {
    return nullptr;
}
const char* ClassDesc::GetRsrcString(INT_PTR) {
    return nullptr;
}
void* ClassDesc::GetInterface(DWORD) {
    return nullptr;
}

ClassInterface* ClassDesc::GetInterface(InterfaceId id) {
    for (ClassInterface* offered : m_interfaces) {
        if (offered->GetId() == id) {
            return offered;
        }
    }
    return nullptr;
}

void ClassDesc::AddInterface(ClassInterface* classInterface) {
    if (classInterface == nullptr) {
        return;
    }
    for (ClassInterface*& offered : m_interfaces) {
        if (offered->GetId() == classInterface->GetId()) {
            offered = classInterface;
            return;
        }
    }
    m_interfaces.push_back(classInterface);
}
