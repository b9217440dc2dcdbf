// One framework for every test that runs the module's calculation code in this process: the module
// caches type ids and service pointers for the life of the process, as it may with the real host.
#pragma once

#include "host/app/FrameworkHost.h"

namespace HostTests
{

// Never destroyed: like the host's framework, it outlives everything the module caches, also the
// static destructors at exit.
inline Host::HostSession& SharedFramework()
{
    static Host::HostSession* session = new Host::HostSession;
    return *session;
}

inline IVyrStandIn& StandIn()
{
    return SharedFramework().Framework().StandIn();
}

} // namespace HostTests
