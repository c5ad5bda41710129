#include "host/host_interface.h"

#include "host/log_sys.h"

HostInterface::HostInterface() = default;
HostInterface::~HostInterface() = default;

LogSys* HostInterface::Log() {
    return nullptr;
}

LogSys::~LogSys() = default;
