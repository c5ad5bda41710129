// The host's log. Plug-ins tell their host through it what happened beyond their result,
// as hosts' logs work: each entry has a type, a title that groups it and a text. The host
// decides what to show; a host without a log hands out none.
#pragma once

#include "host/host_api.h"
#include "platform/windows_api.h"

constexpr DWORD SYSLOG_ERROR = 0x1;
constexpr DWORD SYSLOG_WARN = 0x2;
constexpr DWORD SYSLOG_INFO = 0x4;
constexpr DWORD SYSLOG_DEBUG = 0x8;

class HOST_API LogSys {
public:
    virtual ~LogSys();
    // Both texts are copied; null reads as empty.
    virtual void LogEntry(DWORD type, const char* title, const char* text) = 0;
};
