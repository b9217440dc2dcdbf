#include "hostframework/tests/FrameworkTestSupport.h"
#include "testsupport/VyrTestSupport.h"
#include "hostframework/entry/ClassRegistration.h"
#include "hostframework/entry/ModuleVersion.h"
#include "foundation/system/TraceColors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

extern "C" HRESULT STDAPICALLTYPE DllRegisterClassObjects(IUnknown* host);

namespace
{

// Statically constructed class objects, linked into the start-up list as the module's are.
class StaticClassObject final : public ClassObjectDouble, public VyrClassObject
{
public:
    StaticClassObject(const wchar_t* title, ULONG typeId, bool exists = true)
        : ClassObjectDouble(title, typeId), exists_(exists)
    {
    }

    IVyrClassObject* GetClassObject() override { return exists_ ? this : nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IVyrClassObject))
            return E_NOINTERFACE;
        *object = static_cast<IVyrClassObject*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

private:
    bool exists_;
};

// A class object that registration makes at its step: the maker hands out a static double.
template <class Maker>
class MadeClassObject final : public ClassObjectDouble, public Maker
{
public:
    MadeClassObject(const wchar_t* title, ULONG typeId) : ClassObjectDouble(title, typeId) {}

    IVyrClassObject* GetClassObject() override { return this; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// A self-test object made afresh by its maker and owned by whoever holds it last.
class MadeSelfTest final : public IUnitTest
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0)
            delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTestCount(LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RunTest(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTestName(LONG, IAutoOrvString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetResult(VARIANT_BOOL*, IAutoOrvString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAuthor(IAutoOrvString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTestValue(LONG, double*) override { return E_NOTIMPL; }

private:
    ULONG references_ = 0;
};

class SelfTestRow final : public SelfTestMaker
{
public:
    IUnitTest* GetClassObject() override { return new MadeSelfTest; }
};

class StaticMessageClass final : public IMsgIdMessageClassObject, public VyrMessageClassLink
{
public:
    StaticMessageClass(const wchar_t* name, ULONG id) : name_(name), id_(id) {}

    IMsgIdMessageClassObject* GetClassObject() override { return this; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetId(ULONG* id) override
    {
        *id = id_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override
    {
        *name = SysAllocString(name_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetGroup(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(IAutoOrvString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QueryFirstOption(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE QuerySecondOption(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateMessage(ULONG, DISPPARAMS*, IMessage**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WriteMessageMacro(ULONG, IMessage*, IMacroWriter*, ULONG_PTR) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE WriteClassMacro(ULONG, IMacroWriter*, ULONG_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WriteSignature(ULONG, ISignatureWriter*, ULONG_PTR) override { return E_NOTIMPL; }

private:
    const wchar_t* name_;
    ULONG id_;
};

StaticClassObject firstConstructed(L"First", 0x11);
StaticClassObject notAllocated(L"Never", 0x99, false);
StaticClassObject lastConstructed(L"Last", 0x22);
MadeClassObject<EventDrawClassMaker> secondDrawer(L"SecondDrawer", 0x34);
MadeClassObject<EventDrawClassMaker> firstDrawer(L"FirstDrawer", 0x33);
MadeClassObject<DocumentClassMaker> documentClass(L"TestDocument", 0x44);
MadeClassObject<ViewClassMaker> secondView(L"SecondView", 0x56);
MadeClassObject<ViewClassMaker> firstView(L"FirstView", 0x55);
StaticMessageClass firstMessage(L"FirstMessage", 0x101);
StaticMessageClass lastMessage(L"LastMessage", 0x102);
SelfTestRow secondTest;
SelfTestRow firstTest;

TestSupport::StackComObject<IUnknown> host;

struct Expected
{
    VyrRegistrationKind kind;
    const wchar_t* name;
    ULONG typeId;
};

TEST(Registration, ANullHostRegistersNothing)
{
    const ULONG before = TestSupport::RegistrationCount();
    EXPECT_EQ(E_FAIL, DllRegisterClassObjects(nullptr));
    EXPECT_EQ(before, TestSupport::RegistrationCount());
}

TEST(Registration, EverythingIsRegisteredInOrder)
{
    const ULONG before = TestSupport::RegistrationCount();
    EXPECT_EQ(S_OK, DllRegisterClassObjects(&host));
    std::vector<VyrRegistrationRecord> records = TestSupport::RegistrationsFrom(before);
    // The module's own automation commands register among this test's message classes (their order is
    // pinned by the automation tests); here they only have to be message classes.
    const auto isModuleCommand = [](const VyrRegistrationRecord& record) {
        const std::wstring name = record.name;
        return record.kind == VyrRegistrationKind::MessageClass && name != L"FirstMessage" && name != L"LastMessage";
    };
    EXPECT_EQ(28, std::count_if(records.begin(), records.end(), isModuleCommand));
    records.erase(std::remove_if(records.begin(), records.end(), isModuleCommand), records.end());

    // Lists run newest first; a class object that does not exist is skipped, not registered as null.
    const Expected expected[] = {
        {VyrRegistrationKind::ClassObject, L"Last", 0x22},
        {VyrRegistrationKind::ClassObject, L"First", 0x11},
        {VyrRegistrationKind::ClassObject, L"TestDocument", 0x44},
        {VyrRegistrationKind::ClassObject, L"FirstView", 0x55},
        {VyrRegistrationKind::ClassObject, L"SecondView", 0x56},
        {VyrRegistrationKind::ClassObject, L"FirstDrawer", 0x33},
        {VyrRegistrationKind::ClassObject, L"SecondDrawer", 0x34},
        {VyrRegistrationKind::MessageClass, L"LastMessage", 0x102},
        {VyrRegistrationKind::MessageClass, L"FirstMessage", 0x101},
        {VyrRegistrationKind::SelfTest, L"test ", 0},
        {VyrRegistrationKind::SelfTest, L"test ", 0},
    };
    ASSERT_EQ(std::size(expected), records.size());
    for (size_t i = 0; i < records.size(); ++i)
    {
        EXPECT_EQ(expected[i].kind, records[i].kind) << i;
        // Self-tests are numbered by the registry across the process: only their kind is checked by name.
        const std::wstring name = records[i].name;
        EXPECT_EQ(expected[i].name, expected[i].kind == VyrRegistrationKind::SelfTest ? name.substr(0, 5) : name) << i;
        EXPECT_EQ(expected[i].typeId, records[i].typeId) << i;
        EXPECT_EQ(S_OK, records[i].result) << i;
    }
}

// Start-up chooses the traces' own palette for the screen's depth, whatever another display chose before.
TEST(Registration, StartUpChoosesTheNarrowTracePaletteForTheScreen)
{
    InitTraceColorPalette(true);
    const HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);
    ReleaseDC(nullptr, screen);
    DllRegisterClassObjects(&host);
    EXPECT_EQ(Orv::ChooseTracePalette(bits, false), Orv::CurrentTracePalette());
}

TEST(Registration, RegisteredClassObjectsAreFoundByTypeId)
{
    DllRegisterClassObjects(&host);
    Orv::ComPtr<IVyrClassObject> found;
    ASSERT_EQ(S_OK, ObjectFactoryAccessor::Get()->GetObject(0x22, IID_IVyrClassObject, found.PutVoid()));
    EXPECT_EQ(static_cast<IVyrClassObject*>(&lastConstructed), found.Get());
}

TEST(VersionNotice, WhichVersionTextsAskForANotice)
{
    EXPECT_TRUE(VersionTextWantsNotice(L"2.5 Beta 3"));
    EXPECT_TRUE(VersionTextWantsNotice(L"2.5 Alpha Dev"));
    EXPECT_FALSE(VersionTextWantsNotice(L"2.5 Dev"));
    EXPECT_FALSE(VersionTextWantsNotice(L"2.5"));
    EXPECT_TRUE(VersionTextWantsNotice(L"2.5 Final"));
    EXPECT_FALSE(VersionTextWantsNotice(L"2.5 Final Dev"));
    EXPECT_FALSE(VersionTextWantsNotice(L"N/A Beta"));
}

TEST(VersionNotice, TheTextIsDescriptionAndVersionUnlessTheBuildIsQuiet)
{
    EXPECT_EQ(L"Sistra 2.5 2.5 Beta", VersionNoticeText({3, L"2.5 Beta", L"Sistra 2.5"}));
    EXPECT_EQ(L"", VersionNoticeText({QuietBuildNumber, L"2.5 Beta", L"Sistra 2.5"}));
    EXPECT_EQ(L"", VersionNoticeText({3, L"2.5", L"Sistra 2.5"}));
}

// The host application's slots 51 and 57 as the stand-in answers them: notices wanted, and recorded.
TEST(VersionNotice, ABetaBuildTellsTheHostApplicationAndAReleaseBuildDoesNot)
{
    IHostApplication* application = HostAppAccessor::Get();
    ASSERT_NE(nullptr, application);
    const Orv::ComPtr<IVyrStandIn> standIn = TestSupport::StandIn();
    ULONG shown = 0;
    for (BSTR text = nullptr; SUCCEEDED(standIn->GetVersionNotice(shown, &text)); ++shown)
        SysFreeString(text);

    ReportModuleVersion(application, {3, L"2.5", L"Sistra 2.5"});
    ReportModuleVersion(application, {3, L"2.6 Beta 2", L"Sistra 2.6"});
    BSTR text = nullptr;
    ASSERT_EQ(S_OK, standIn->GetVersionNotice(shown, &text));
    EXPECT_STREQ(L"Sistra 2.6 2.6 Beta 2", text);
    SysFreeString(text);
    EXPECT_EQ(E_INVALIDARG, standIn->GetVersionNotice(shown + 1, &text));
    ReportModuleVersion(nullptr, {3, L"2.6 Beta 2", L"Sistra 2.6"});
}

} // namespace
