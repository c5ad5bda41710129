// The host's core interface, handed to an importer's DoImport. A host application
// derives its own to offer its log.
#pragma once

#include "host/host_api.h"

class LogSys;

class HOST_API HostInterface {
public:
    HostInterface();
    virtual ~HostInterface();
    // The host's log; null when the host keeps none.
    virtual LogSys* Log();
};
