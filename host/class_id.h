// Identities of plug-in classes: a class id (a pair of 32-bit words) and the
// super-class id that says what kind of plug-in a class is.
#pragma once

#include "platform/windows_api.h"

class ClassId {
public:
    constexpr ClassId() = default;
    constexpr ClassId(DWORD a, DWORD b) : m_a(a), m_b(b) {}

    constexpr DWORD PartA() const { return m_a; }
    constexpr DWORD PartB() const { return m_b; }

    constexpr bool operator==(const ClassId& o) const { return m_a == o.m_a && m_b == o.m_b; }
    constexpr bool operator!=(const ClassId& o) const { return !(*this == o); }

private:
    DWORD m_a = 0;
    DWORD m_b = 0;
};

// Identity of an interface that a class descriptor offers.
using InterfaceId = ClassId;

using SuperClassId = DWORD;
constexpr SuperClassId kSceneImportClassId = 0x0A10;
