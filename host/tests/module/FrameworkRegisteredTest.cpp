// A host that registered the framework itself: the module finds it and leaves OLE and the library alone.
#include "SharedFramework.h"
#include "hostframework/entry/FrameworkBootstrap.h"
#include "hostframework/services/HostServices.h"

#include <gtest/gtest.h>

namespace
{

TEST(FrameworkRegisteredByTheHost, TheModuleNeitherInitialisesOleNorLoadsTheLibrary)
{
    const Host::RegisteredFramework& framework = HostTests::SharedFramework().Framework();
    ASSERT_NE(nullptr, ObjectFactoryAccessor::Get());
    EXPECT_EQ(S_OK, VyrLoadFrameworkFallback());
    const FrameworkFallbackStatus status = GetFrameworkFallbackStatus();
    EXPECT_FALSE(status.oleInitialized);
    EXPECT_FALSE(status.libraryLoaded);
    EXPECT_EQ(nullptr, status.library);
    EXPECT_EQ(0u, status.registrationCookie);

    // What the module reaches is the host's framework.
    Orv::ComPtr<IVyrObjectFactory> hosts;
    ASSERT_EQ(S_OK, framework.StandIn().QueryInterface(IID_IVyrObjectFactory, hosts.PutVoid()));
    EXPECT_EQ(hosts.Get(), ObjectFactoryAccessor::Get());
}

} // namespace
