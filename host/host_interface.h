// The host's core interface, handed to an importer's DoImport. The importer
// of this system asks nothing of it, so the stand-in offers nothing more.
#pragma once

#include "host/host_api.h"

class HOST_API HostInterface {
public:
    HostInterface();
    virtual ~HostInterface();
};
