// The host's 8-bit string: made from text and read back as text.
#pragma once

#include <string>

#include "host/host_api.h"

class HOST_API CStr {
public:
    CStr() = default;
    CStr(const char* text);  // null gives the empty string

    const char* data() const { return m_text.c_str(); }
    operator const char*() const { return m_text.c_str(); }
    int Length() const { return int(m_text.size()); }

private:
    std::string m_text;
};
