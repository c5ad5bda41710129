#include "host/host_interface.h"

HostInterface::HostInterface() = default;
HostInterface::~HostInterface() = default;
