// The host the self-tests run under in this process: the framework, the module's calculation functions
// and self-test objects registered with it, and the host's own calculations beside them.
#pragma once

#include "host/app/calc/ExpressionCalcClass.h"
#include "host/app/calc/SampleFilterClass.h"
#include "host/app/HostApplication.h"
#include "host/tests/module/SharedFramework.h"
#include "hostframework/entry/ClassRegistration.h"

namespace SelfTestTesting
{

inline IVyrStandIn& SelfTestHost()
{
    static IVyrStandIn& standIn = [] () -> IVyrStandIn& {
        IVyrStandIn& framework = HostTests::SharedFramework().Framework().StandIn();
        static Host::HostApplication application;
        RegisterModuleClasses(&application);
        Host::Calc::RegisterExpressionCalcClass(framework);
        Host::Calc::RegisterSampleFilterClass(framework);
        return framework;
    }();
    return standIn;
}

} // namespace SelfTestTesting
