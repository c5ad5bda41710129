#include "host/cstr.h"

CStr::CStr(const char* text) : m_text(text != nullptr ? text : "") {}
