// The host the module's self-tests run under, for the self-tests' own tests.
#include "testsupport/StandInHost.h"

#include "host/tests/selftest/SelfTestHost.h"

namespace StandInHost
{

IVyrStandIn& SelfTestHost()
{
    return SelfTestTesting::SelfTestHost();
}

} // namespace StandInHost
