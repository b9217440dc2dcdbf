// The framework stand-in as the host registers it: Vyr.dll loaded, its class object registered with COM.
#include "hostapi/ScaleControl.h"
#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrMessaging.h"
#include "hostapi/VyrServices.h"
#include "host/app/FrameworkHost.h"
#include "testsupport/VyrTestSupport.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <vector>

namespace
{

template <class Interface>
Orv::ComPtr<Interface> FrameworkFace(REFCLSID clsid, REFIID iid)
{
    Orv::ComPtr<Interface> face;
    CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, iid, face.PutVoid());
    return face;
}

class FrameworkStandIn : public ::testing::Test
{
protected:
    Host::ComApartment apartment;
    Host::RegisteredFramework framework{Host::ExecutableFolder()};
    Orv::ComPtr<IVyrObjectFactory> factory = FrameworkFace<IVyrObjectFactory>(CLSID_VyrFrameWork, IID_IVyrObjectFactory);
    Orv::ComPtr<IMsgIdRegistry> msgIds = FrameworkFace<IMsgIdRegistry>(CLSID_VyrFrameWork, IID_IMsgIdRegistry);

    template <class Interface>
    Orv::ComPtr<Interface> Service(ULONG typeId, REFIID iid)
    {
        Orv::ComPtr<Interface> service;
        EXPECT_EQ(S_OK, factory->GetObject(typeId, iid, service.PutVoid())) << std::hex << typeId;
        return service;
    }

    // An axis scale made by the host's scale factory: vertical (style 0x40) or horizontal (0x43).
    Orv::ComPtr<IScaleControl> NewScale(bool vertical)
    {
        USHORT hostTypes = 0;
        EXPECT_EQ(S_OK, msgIds->GetCode(&HostTypeGUID, &hostTypes));
        const auto scales = Service<IScaleControlFactory>(VyrTypeId::Make(hostTypes, ScaleControlFactoryTypeNumber),
                                                          IID_IScaleControlFactory);
        Orv::ComPtr<IScaleControl> scale;
        if (scales)
        {
            EXPECT_EQ(S_OK, scales->CreateScale(nullptr, 0, vertical ? 0x40 : 0x43, scale.Put()));
        }
        return scale;
    }
};

constexpr GUID GuidA = {0xA0000001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 1}};
constexpr GUID GuidB = {0xA0000001, 0, 0, {0, 0, 0, 0, 0, 0, 0, 2}};

TEST_F(FrameworkStandIn, OneCodePerGuidStableAndReversible)
{
    USHORT a = 0, again = 0, b = 0;
    ASSERT_EQ(S_OK, msgIds->GetCode(&GuidA, &a));
    ASSERT_EQ(S_OK, msgIds->GetCode(&GuidA, &again));
    ASSERT_EQ(S_OK, msgIds->GetCode(&GuidB, &b));
    EXPECT_EQ(a, again);
    EXPECT_NE(a, b);
    for (USHORT code : {a, b})
    {
        EXPECT_NE(0, code);
        EXPECT_LT(code, VyrTypeId::FixedCode);
    }
    GUID back{};
    ASSERT_EQ(S_OK, msgIds->GetGuid(b, &back));
    EXPECT_TRUE(IsEqualGUID(GuidB, back));
    EXPECT_EQ(E_INVALIDARG, msgIds->GetGuid(0, &back));
}

TEST_F(FrameworkStandIn, TheObjectFactoryHandsOutEveryServiceByTypeId)
{
    EXPECT_TRUE(Service<IMessageCreator>(VyrTypeId::MessageCreator, IID_IMessageCreator));
    EXPECT_TRUE(Service<IHostObjectService>(VyrTypeId::HostObjectService, IID_IHostObjectService));
    EXPECT_TRUE(Service<IHostCommandService>(VyrTypeId::CommandService, IID_IHostCommandService));
    EXPECT_TRUE(Service<ICommandRegistrationService>(VyrTypeId::CommandRegistration, IID_ICommandRegistrationService));
    EXPECT_TRUE(Service<IHostClipboardService>(VyrTypeId::ClipboardService, IID_IHostClipboardService));
    USHORT unitsCode = 0;
    msgIds->GetCode(&UnitsServiceGUID, &unitsCode);
    EXPECT_TRUE(Service<IUnitsService>(VyrTypeId::Make(unitsCode, 0), IID_IUnitsService));

    Orv::ComPtr<IUnknown> none;
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, factory->GetObject(0x12345678, IID_IUnknown, none.PutVoid()));
    EXPECT_FALSE(none);
}

TEST_F(FrameworkStandIn, UnitsServiceRecordSizeAndUnitNames)
{
    USHORT unitsCode = 0;
    msgIds->GetCode(&UnitsServiceGUID, &unitsCode);
    const auto units = Service<IUnitsService>(VyrTypeId::Make(unitsCode, 0), IID_IUnitsService);
    ULONG size = 0;
    ASSERT_EQ(S_OK, units->GetUnitsRecordSize(&size));
    EXPECT_EQ(144u, size);
    Orv::ComPtr<IHostUnit> unit;
    ASSERT_EQ(S_OK, units->CreateUnitName(L"Pa", 9, unit.Put()));
    const UnitNameAndPrefix read = ReadHostUnit(*unit.Get());
    EXPECT_EQ(L"Pa", read.name);
    EXPECT_EQ(9, read.prefixCode);
}

TEST_F(FrameworkStandIn, TheCompanionClassesAreReachableOnceTheFrameworkIsRegistered)
{
    const auto application = FrameworkFace<IHostApplication>(CLSID_VyrHostApplication, IID_IHostApplication);
    ASSERT_TRUE(application);
    LANGID language = 0;
    EXPECT_EQ(S_OK, application->GetUiLanguage(&language));
    EXPECT_EQ(0x0409, language);
    framework.StandIn().SetUiLanguage(0x040A);
    application->GetUiLanguage(&language);
    EXPECT_EQ(0x040A, language);
    HWND mainWindow = nullptr;
    framework.StandIn().SetMainWindow(GetDesktopWindow());
    EXPECT_EQ(S_OK, application->GetMainWindow(&mainWindow));
    EXPECT_EQ(GetDesktopWindow(), mainWindow);
    framework.StandIn().SetMainWindow(nullptr);
    application->GetMainWindow(&mainWindow);
    EXPECT_EQ(nullptr, mainWindow);
    EXPECT_TRUE(FrameworkFace<IUnitTestRegistry>(CLSID_VyrUnitTestRegistry, IID_IUnitTestRegistry));
}

TEST_F(FrameworkStandIn, AMessageBoxIsAnsweredWithoutAPersonAndRecorded)
{
    const auto application = FrameworkFace<IHostApplication>(CLSID_VyrHostApplication, IID_IHostApplication);
    ASSERT_TRUE(application);
    const size_t first = RecordedMessageBoxes(framework.StandIn()).size();

    // Unscripted, a box gets its default button: the one Enter would press.
    const struct
    {
        UINT style;
        LONG answer;
    } defaults[] = {
        {MB_OK, IDOK},
        {MB_YESNO | MB_DEFBUTTON2, IDNO},
        {MB_RETRYCANCEL | MB_TASKMODAL, IDRETRY},
        {MB_YESNOCANCEL | MB_DEFBUTTON3, IDCANCEL},
        {MB_YESNO | MB_DEFBUTTON3, IDYES},
        {MB_TYPEMASK, IDOK},
    };
    LONG pressed = 0;
    for (const auto& expected : defaults)
    {
        ASSERT_EQ(S_OK, application->ShowMessageBox(nullptr, L"text", L"caption", expected.style, &pressed));
        EXPECT_EQ(expected.answer, pressed) << std::hex << expected.style;
    }
    framework.StandIn().ScriptMessageBoxAnswer(IDABORT);
    framework.StandIn().ScriptMessageBoxAnswer(IDIGNORE);
    application->ShowMessageBox(nullptr, L"first", L"caption", MB_ABORTRETRYIGNORE, &pressed);
    EXPECT_EQ(IDABORT, pressed);
    application->ShowMessageBox(nullptr, L"second", nullptr, MB_ABORTRETRYIGNORE, &pressed);
    EXPECT_EQ(IDIGNORE, pressed);
    EXPECT_EQ(E_POINTER, application->ShowMessageBox(nullptr, L"text", L"caption", MB_OK, nullptr));

    const std::vector<RecordedMessageBox> boxes = RecordedMessageBoxes(framework.StandIn());
    ASSERT_EQ(first + std::size(defaults) + 2, boxes.size());
    EXPECT_EQ(L"second", boxes.back().text);
    EXPECT_EQ(L"", boxes.back().caption);
    EXPECT_EQ(static_cast<UINT>(MB_ABORTRETRYIGNORE), boxes.back().style);
    EXPECT_EQ(IDIGNORE, boxes.back().answer);
    BSTR text = nullptr, caption = nullptr;
    UINT style = 0;
    EXPECT_EQ(E_INVALIDARG, framework.StandIn().GetMessageBox(static_cast<ULONG>(boxes.size()), &text, &caption,
                                                              &style, &pressed));
}

// A class object and a test with visible reference counts.
class CountedClassObject final : public ClassObjectDouble, public IUnitTest
{
public:
    CountedClassObject() : ClassObjectDouble(L"Counted Class", 0x01230004) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IVyrClassObject))
            *object = static_cast<IVyrClassObject*>(this);
        else if (IsEqualIID(iid, IID_IUnitTest))
            *object = static_cast<IUnitTest*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE GetTestCount(LONG* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE RunTest(LONG) override { return E_INVALIDARG; }
    HRESULT STDMETHODCALLTYPE GetTestName(LONG, IAutoOrvString**) override { return E_INVALIDARG; }
    HRESULT STDMETHODCALLTYPE GetResult(VARIANT_BOOL*, IAutoOrvString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Initialize() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetAuthor(IAutoOrvString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTestValue(LONG, double*) override { return E_INVALIDARG; }

    LONG references = 0;
};

TEST_F(FrameworkStandIn, TheLogRecordsEveryRegistrationInOrderWithItsResult)
{
    CountedClassObject object;
    EXPECT_EQ(E_POINTER, factory->RegisterClassObject(nullptr));
    EXPECT_EQ(S_OK, factory->RegisterClassObject(&object));
    const auto tests = FrameworkFace<IUnitTestRegistry>(CLSID_VyrUnitTestRegistry, IID_IUnitTestRegistry);
    EXPECT_EQ(S_OK, tests->AddTest(&object));
    EXPECT_EQ(2, object.references);

    const std::vector<VyrRegistrationRecord> log = framework.Registrations();
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(VyrRegistrationKind::ClassObject, log[0].kind);
    EXPECT_EQ(E_POINTER, log[0].result);
    EXPECT_EQ(VyrRegistrationKind::ClassObject, log[1].kind);
    EXPECT_STREQ(L"Counted Class", log[1].name);
    EXPECT_EQ(0x01230004u, log[1].typeId);
    EXPECT_EQ(S_OK, log[1].result);
    EXPECT_EQ(VyrRegistrationKind::SelfTest, log[2].kind);
    EXPECT_STREQ(L"test 1", log[2].name);

    Orv::ComPtr<IVyrClassObject> found;
    EXPECT_EQ(S_OK, factory->GetObject(0x01230004, IID_IVyrClassObject, found.PutVoid()));
    found.Reset();
    // Before a host unloads its modules the framework lets go of their objects; the log stays.
    framework.StandIn().ReleaseModuleObjects();
    EXPECT_EQ(0, object.references);
    EXPECT_EQ(3u, framework.Registrations().size());
}

TEST_F(FrameworkStandIn, MessagesCarryACopyOfTheirPayloadAndTheirSenderWhileSent)
{
    const auto creator = Service<IMessageCreator>(VyrTypeId::MessageCreator, IID_IMessageCreator);
#pragma pack(push, 4)
    struct LongAndDouble
    {
        ULONG typeWord;
        LONG first;
        double second;
    } payload{0x32, 7, 1.5};
#pragma pack(pop)
    Orv::ComPtr<IMessage> message;
    ASSERT_EQ(S_OK, creator->MakeMessage(0x10002, 0x8, 0, 0, 0, &payload, message.Put()));
    payload.first = 0;
    ULONG size = 0, id = 0, flags = 0;
    const void* copy = nullptr;
    message->GetPayloadSize(&size);
    message->GetPayload(&copy);
    message->GetId(&id);
    message->GetFlags(&flags);
    EXPECT_EQ(16u, size);
    EXPECT_EQ(7, static_cast<const LongAndDouble*>(copy)->first);
    EXPECT_EQ(1.5, static_cast<const LongAndDouble*>(copy)->second);
    EXPECT_EQ(0x10002u, id);
    EXPECT_EQ(0x8u, flags);

    int sender = 0;
    VARIANT_BOOL fromSender = VARIANT_FALSE;
    message->SetSender(&sender);
    message->IsFromSender(&sender, &fromSender);
    EXPECT_EQ(VARIANT_TRUE, fromSender);
    message->SetSender(nullptr);
    message->IsFromSender(&sender, &fromSender);
    EXPECT_EQ(VARIANT_FALSE, fromSender);

    const ULONG unknownTypeCode = 0x5;
    Orv::ComPtr<IMessage> refused;
    EXPECT_EQ(E_INVALIDARG, creator->MakeMessage(1, 0, 0, 0, 0, &unknownTypeCode, refused.Put()));
    EXPECT_FALSE(refused);
}

// An axis scale painted on white, with room beyond both of its ends: which pixels its ink took. across
// runs along the axis's thickness, from the edge its title keeps to (a vertical axis's left, a
// horizontal one's foot); along runs from the canvas's start, Margin before the axis.
struct PaintedScale
{
    PaintedScale(IScaleControl& scale, bool vertical, LONG length) : vertical(vertical), canvasLength(length + 2 * Margin)
    {
        const LONG width = vertical ? Thickness : canvasLength, height = vertical ? canvasLength : Thickness;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB};
        void* bits = nullptr;
        const HDC dc = CreateCompatibleDC(nullptr);
        const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        const HGDIOBJ previous = SelectObject(dc, bitmap);
        PatBlt(dc, 0, 0, width, height, WHITENESS);
        const RECT place = vertical ? RECT{0, Margin, width, Margin + length} : RECT{Margin, 0, Margin + length, height};
        scale.SetRect(&place);
        Orv::ComPtr<IScaleControlView> view;
        scale.QueryInterface(IID_IScaleControlView, view.PutVoid());
        EXPECT_EQ(S_OK, view->Paint(dc, 0, 0xFFFF));
        GdiFlush();
        const auto* pixel = static_cast<const DWORD*>(bits);
        for (LONG i = 0; i < width * height; ++i)
            ink.push_back((pixel[i] & 0xFFFFFF) != 0xFFFFFF);
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    bool Ink(LONG across, LONG along) const
    {
        const LONG x = vertical ? across : along, y = vertical ? along : Thickness - 1 - across;
        return ink[static_cast<size_t>(y * (vertical ? Thickness : canvasLength) + x)];
    }
    bool InkAcross(LONG across) const
    {
        for (LONG along = 0; along < canvasLength; ++along)
            if (Ink(across, along))
                return true;
        return false;
    }
    // The title's first and end line across the axis: the first run of inked lines from the title's edge.
    std::pair<LONG, LONG> TitleLines() const
    {
        LONG first = 0;
        while (first < Thickness && !InkAcross(first))
            ++first;
        LONG end = first;
        while (end < Thickness && InkAcross(end))
            ++end;
        return {first, end};
    }
    // Whether the title inked beyond the axis's ends.
    bool TitleBeyondTheEnds() const
    {
        const auto [first, end] = TitleLines();
        for (LONG across = first; across < end; ++across)
            for (LONG along = 0; along < Margin; ++along)
                if (Ink(across, along) || Ink(across, canvasLength - 1 - along))
                    return true;
        return false;
    }

    static constexpr LONG Thickness = 60;
    static constexpr LONG Margin = 20;
    bool vertical;
    LONG canvasLength;
    std::vector<bool> ink;
};

// An axis title keeps a readable size however short its axis: it shrinks at most to the size of dialog
// text, about four fifths of the scale's own, and what does not fit then is cut, never drawn past the
// axis's ends.
TEST_F(FrameworkStandIn, AnAxisTitleStaysReadableAndWithinItsAxisInAShortAxis)
{
    for (const bool vertical : {true, false})
    {
        const Orv::ComPtr<IScaleControl> scale = NewScale(vertical);
        ASSERT_TRUE(scale);
        scale->SetTitle(L"Stroke Work");
        scale->SetUnits(nullptr, L"mmHg*\u00b5L");
        scale->SetLimits(80.0, 60.0);
        const auto [largeFirst, largeEnd] = PaintedScale(*scale.Get(), vertical, 600).TitleLines();
        // Down to 80 pixels the unit in its brackets stays, and with it the brackets' full height.
        for (const LONG length : {160L, 110L, 80L, 40L})
        {
            SCOPED_TRACE(testing::Message() << (vertical ? "vertical " : "horizontal ") << length);
            const PaintedScale painted(*scale.Get(), vertical, length);
            const auto [first, end] = painted.TitleLines();
            if (length >= 80)
            {
                EXPECT_GE(5 * (end - first), 4 * (largeEnd - largeFirst)) << "the title shrank below readable";
            }
            EXPECT_FALSE(painted.TitleBeyondTheEnds());
        }
    }
}

// A vertical axis's labels keep clear of its turned title: they shrink to leave the title its column,
// and labels too wide even then take the title's place rather than be drawn over it.
TEST_F(FrameworkStandIn, AVerticalAxisDrawsItsLabelsClearOfItsTitle)
{
    const Orv::ComPtr<IScaleControl> titled = NewScale(true), untitled = NewScale(true);
    ASSERT_TRUE(titled && untitled);
    titled->SetTitle(L"End-systolic Volume");
    titled->SetUnits(nullptr, L"\u00b5L");
    titled->SetLimits(1.0, 0.0);
    const auto title = PaintedScale(*titled.Get(), true, 400).TitleLines();
    const struct
    {
        double high, low;
        bool keepsTitle;
    } cases[] = {{2.2e8, -6.6e8, true}, {-1000.0, -1001.0, true}, {1.2355e-4, 1.2345e-4, false}};
    for (const auto& test : cases)
    {
        SCOPED_TRACE(testing::Message() << test.low << " to " << test.high);
        titled->SetLimits(test.high, test.low);
        untitled->SetLimits(test.high, test.low);
        const PaintedScale painted(*titled.Get(), true, 400);
        const auto [first, end] = painted.TitleLines();
        if (test.keepsTitle)
        {
            // A title the labels reached would ink a wider run; a shrunk one stays readable.
            EXPECT_LE(end, title.second) << "the labels reach the title";
            EXPECT_GE(5 * (end - first), 4 * (title.second - title.first)) << "the title shrank below readable";
        }
        else
        {
            EXPECT_EQ(PaintedScale(*untitled.Get(), true, 400).ink, painted.ink) << "the title is drawn with the labels";
        }
    }
}

class AnsweringHandler final : public IMessageHandler
{
public:
    explicit AnsweringHandler(HRESULT answer) : answer_(answer) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IMessageHandler) ? static_cast<IMessageHandler*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage*) override { return answer_; }
    HRESULT STDMETHODCALLTYPE AddHandler(IMessageHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveHandler(IMessageHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetParent(IMessageHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTarget(IUnknown**) override { return E_NOTIMPL; }
    BOOL STDMETHODCALLTYPE AcceptsMessage(IMessage*) override { return TRUE; }

private:
    HRESULT answer_;
};

TEST_F(FrameworkStandIn, TheRouterReportsWhetherTheTargetHandledTheMessage)
{
    const auto router = FrameworkFace<IMessageRouter>(CLSID_VyrFrameWork, IID_IMessageRouter);
    const auto creator = Service<IMessageCreator>(VyrTypeId::MessageCreator, IID_IMessageCreator);
    Orv::ComPtr<IMessage> message;
    creator->MakeMessage(1, 0, 0, 0, 0, nullptr, message.Put());
    AnsweringHandler handles(1), declines(0), notImplemented(E_NOTIMPL);
    EXPECT_EQ(S_OK, router->Deliver(message.Get(), &handles));
    EXPECT_EQ(S_FALSE, router->Deliver(message.Get(), &declines));
    EXPECT_EQ(S_FALSE, router->Deliver(message.Get(), &notImplemented));
    EXPECT_EQ(E_NOINTERFACE, router->Deliver(message.Get(), factory.Get()));
}

} // namespace
