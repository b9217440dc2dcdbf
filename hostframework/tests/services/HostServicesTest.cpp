#include "hostframework/tests/FrameworkTestSupport.h"
#include "hostframework/entry/FrameworkBootstrap.h"
#include "hostframework/messaging/MessageIds.h"

#include <gtest/gtest.h>

#include <new>

namespace
{

TestSupport::StackComObject<IUnknown> service;
int fetches = 0;
bool fetchSucceeds = true;

HRESULT CountingFetch(void** object)
{
    ++fetches;
    if (!fetchSucceeds)
    {
        *object = nullptr;
        return E_FAIL;
    }
    service.AddRef();
    *object = &service;
    return S_OK;
}

class HostServiceCacheTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fetches = 0;
        fetchSucceeds = true;
        service.references = 0;
    }
};

TEST_F(HostServiceCacheTest, FillsOnceAndKeepsNoReference)
{
    HostServiceCache cache(&CountingFetch);
    EXPECT_EQ(&service, cache.Get());
    EXPECT_EQ(&service, cache.Get());
    EXPECT_EQ(1, fetches);
    EXPECT_EQ(0, service.references);
}

TEST_F(HostServiceCacheTest, AFailedFetchIsNotCachedAndIsTriedAgain)
{
    HostServiceCache cache(&CountingFetch);
    fetchSucceeds = false;
    EXPECT_EQ(nullptr, cache.Get());
    EXPECT_EQ(nullptr, cache.Get());
    EXPECT_EQ(2, fetches);
    fetchSucceeds = true;
    EXPECT_EQ(&service, cache.Get());
    EXPECT_EQ(&service, cache.Get());
    EXPECT_EQ(3, fetches);
}

HRESULT ThrowingFetch(void**)
{
    ++fetches;
    throw std::bad_alloc();
}

constexpr DWORD OtherThreadTimeoutMs = 60000; // a guard only: the busiest machine finishes well within it

DWORD WINAPI GetFromOtherThread(void* cache)
{
    return static_cast<HostServiceCache*>(cache)->Get() ? 1 : 0;
}

TEST_F(HostServiceCacheTest, AFetchThatThrowsIsAFailureTriedAgainLater)
{
    HostServiceCache cache(&ThrowingFetch);
    EXPECT_EQ(nullptr, cache.Get());
    EXPECT_EQ(nullptr, cache.Get());
    EXPECT_EQ(2, fetches);

    // The lock went with the throw: another thread gets in and tries again.
    const HANDLE other = CreateThread(nullptr, 0, GetFromOtherThread, &cache, 0, nullptr);
    ASSERT_NE(nullptr, other);
    const bool finished = WaitForSingleObject(other, OtherThreadTimeoutMs) == WAIT_OBJECT_0;
    if (!finished)
        TerminateThread(other, 1);
    CloseHandle(other);
    EXPECT_TRUE(finished) << "the failed fetch left its lock held";
    EXPECT_EQ(3, fetches);
}

constexpr CLSID UnknownClass = {0x0BADC1A5, 0x1111, 0x2222, {0x33, 0x33, 0x44, 0x44, 0x44, 0x44, 0x44, 0x44}};

HRESULT FetchUnknownClass(void** object)
{
    return FetchFrameworkClassObject(UnknownClass, IID_IUnknown, object);
}

// A class that no fallback can provide leaves the service null; nothing is thrown out of the accessor.
TEST(HostServiceAccessors, AServiceThatCannotBeReachedIsNull)
{
    void* object = &object;
    EXPECT_TRUE(FAILED(FetchFrameworkClassObject(UnknownClass, IID_IUnknown, &object)));
    EXPECT_EQ(nullptr, object);
    HostServiceCache cache(&FetchUnknownClass);
    EXPECT_EQ(nullptr, cache.Get());
}

template <class Interface>
void ExpectStableService(Interface* (*get)(), const char* name)
{
    Interface* first = get();
    EXPECT_NE(nullptr, first) << name;
    EXPECT_EQ(first, get()) << name;
}

TEST(HostServiceAccessors, EveryAccessorReachesItsServiceAndKeepsIt)
{
    ExpectStableService(&ObjectFactoryAccessor::Get, "object factory");
    ExpectStableService(&MessageFactoryAccessor::Get, "message factory");
    ExpectStableService(&SubjectManagerAccessor::Get, "subject manager");
    ExpectStableService(&MsgIdRegistryAccessor::Get, "message-id registry");
    ExpectStableService(&MessageRouterAccessor::Get, "message router");
    ExpectStableService(&HostAppAccessor::Get, "host application");
    ExpectStableService(&UnitTestRegistryAccessor::Get, "test registry");
    ExpectStableService(&CommandServiceAccessor::Get, "command service");
    ExpectStableService(&CommandRegistrationAccessor::Get, "command registration");
    ExpectStableService(&HostObjectServiceAccessor::Get, "host object service");
    ExpectStableService(&MessageCreatorAccessor::Get, "message creator");
    ExpectStableService(&UnitsServiceAccessor::Get, "units service");
    ExpectStableService(&GetHostClipboardService, "clipboard service");
}

void CallEveryAccessor()
{
    ObjectFactoryAccessor::Get();
    MessageFactoryAccessor::Get();
    SubjectManagerAccessor::Get();
    MsgIdRegistryAccessor::Get();
    MessageRouterAccessor::Get();
    HostAppAccessor::Get();
    UnitTestRegistryAccessor::Get();
    CommandServiceAccessor::Get();
    CommandRegistrationAccessor::Get();
    HostObjectServiceAccessor::Get();
    MessageCreatorAccessor::Get();
    UnitsServiceAccessor::Get();
    GetHostClipboardService();
}

TEST(HostServiceAccessors, OnceFilledNoAccessorAsksTheFrameworkAgain)
{
    CallEveryAccessor();
    const TestSupport::RequestCounts filled = TestSupport::FrameworkRequests();
    CallEveryAccessor();
    CallEveryAccessor();
    const TestSupport::RequestCounts after = TestSupport::FrameworkRequests();
    EXPECT_EQ(filled.services, after.services);
    EXPECT_EQ(filled.codes, after.codes);
}

// Each accessor caches what the framework hands out for its own class or type id, not some other face.
TEST(HostServiceAccessors, EachAccessorHoldsTheServiceTheFrameworkHandsOut)
{
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    ASSERT_NE(nullptr, factory);
    Orv::ComPtr<IMessageCreator> creator;
    ASSERT_EQ(S_OK, factory->GetObject(VyrTypeId::MessageCreator, IID_IMessageCreator, creator.PutVoid()));
    EXPECT_EQ(creator.Get(), MessageCreatorAccessor::Get());
    Orv::ComPtr<IHostClipboardService> clipboard;
    ASSERT_EQ(S_OK, factory->GetObject(VyrTypeId::ClipboardService, IID_IHostClipboardService, clipboard.PutVoid()));
    EXPECT_EQ(clipboard.Get(), GetHostClipboardService());
    Orv::ComPtr<ISubjectManager> subjects;
    ASSERT_EQ(S_OK, CoGetClassObject(CLSID_VyrFrameWork, CLSCTX_INPROC_SERVER, nullptr, IID_ISubjectManager,
                                     subjects.PutVoid()));
    EXPECT_EQ(subjects.Get(), SubjectManagerAccessor::Get());
    Orv::ComPtr<IUnitsService> units;
    ULONG unitsType = 0;
    ASSERT_TRUE((MsgIdClass<&UnitsServiceGUID, 0>::TryGetId(&unitsType)));
    EXPECT_EQ(0u, unitsType & 0xFFFF);
    ASSERT_EQ(S_OK, factory->GetObject(unitsType, IID_IUnitsService, units.PutVoid()));
    EXPECT_EQ(units.Get(), UnitsServiceAccessor::Get());
}

TEST(HostServiceAccessors, TheHostApplicationAnswersItsSettings)
{
    IHostApplication* application = HostAppAccessor::Get();
    ASSERT_NE(nullptr, application);
    Orv::ComPtr<IHostSettings> settings;
    ASSERT_EQ(S_OK, application->GetSettings(settings.Put()));
    VARIANT_BOOL visible = VARIANT_FALSE;
    EXPECT_EQ(S_FALSE, settings->GetBoolean(L"orv\\application\\visible", &visible));
    TestSupport::StandIn()->SetBooleanSetting(L"orv\\application\\visible", VARIANT_TRUE);
    EXPECT_EQ(S_OK, settings->GetBoolean(L"orv\\application\\visible", &visible));
    EXPECT_EQ(VARIANT_TRUE, visible);
}

// This program registers no framework: the first accessor makes the module bootstrap it.
TEST(FrameworkFallback, LoadsTheLibraryBesideTheExecutableOnce)
{
    ASSERT_NE(nullptr, ObjectFactoryAccessor::Get());
    const FrameworkFallbackStatus status = GetFrameworkFallbackStatus();
    EXPECT_TRUE(status.libraryLoaded);
    EXPECT_NE(0u, status.registrationCookie);
    wchar_t loaded[MAX_PATH] = {};
    GetModuleFileNameW(status.library, loaded, MAX_PATH);
    EXPECT_EQ(FrameworkLibraryPath(), loaded);

    // Registered now: running the fallback again does nothing.
    EXPECT_EQ(S_OK, VyrLoadFrameworkFallback());
    const FrameworkFallbackStatus again = GetFrameworkFallbackStatus();
    EXPECT_EQ(status.library, again.library);
    EXPECT_EQ(status.registrationCookie, again.registrationCookie);
}

TEST(FrameworkFallback, LooksForTheLibraryBesideTheHostExecutableOnly)
{
    wchar_t executable[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, executable, MAX_PATH);
    std::wstring expected(executable);
    expected = expected.substr(0, expected.find_last_of(L'\\') + 1) + L"Vyr.dll";
    EXPECT_EQ(expected, FrameworkLibraryPath());
}

} // namespace
