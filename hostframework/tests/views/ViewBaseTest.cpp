#include "hostframework/views/ViewBase.h"

#include "hostframework/tests/FrameworkTestSupport.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/gdi/GdiObjects.h"
#include "platform/owl/tests/Screenshot.cpp"

#include <gtest/gtest.h>

#include <string>

namespace
{

using OWL::TPoint;
using OWL::TRect;

class TestView final : public ViewBase
{
public:
    TestView(OWL::TWindow* parent, IVyrViewSite* site, const wchar_t* printText)
        : ViewBase(parent, nullptr, nullptr, site, L"View", nullptr), printText_(printText)
    {
    }
    void GetCopyCommandText(Orv::String& text) override { text = L"Copy Sistra Hemodynamics Table"; }
    void GetPrintCommandText(Orv::String& text) override { text = printText_; }
    using ViewBase::Paint;

    const wchar_t* printText_;
};

// The host's command state with the text and enabled flag it was answered.
class Enabler final : public TestSupport::StackComObject<IVyrCommandState, IVyrCommandEnabler>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IVyrCommandEnabler) ? static_cast<IVyrCommandEnabler*>(this) : nullptr;
        return *object ? (AddRef(), S_OK) : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetState(ULONG* state) override { return *state = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE SetState(ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetText(IAutoOrvString* value) override
    {
        return text = Orv::String::FromInterface(value).c_str(), S_OK;
    }
    HRESULT STDMETHODCALLTYPE Enable(VARIANT_BOOL value) override { return enabled = value, S_OK; }
    HRESULT STDMETHODCALLTYPE SetState(ULONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTag(ULONG, ULONG* tag) override { return *tag = 0, S_OK; }

    std::wstring text;
    VARIANT_BOOL enabled = 1;
};

class PrintService final : public TestSupport::StackComObject<IVyrViewPrintService>
{
public:
    HRESULT STDMETHODCALLTYPE CanPrint(VARIANT_BOOL* answer) override { return *answer = canPrint, S_OK; }
    HRESULT STDMETHODCALLTYPE Print() override { return ++printed, S_OK; }
    VARIANT_BOOL canPrint = VARIANT_TRUE;
    int printed = 0;
};

class Site final : public TestSupport::StackComObject<IVyrViewSite, IVyrViewSiteObject>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override { return *object = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetSiteObject(IVyrViewSiteObject** object) override
    {
        *object = this;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetViewInterface(IUnknown** view) override { return *view = nullptr, S_FALSE; }
    HRESULT STDMETHODCALLTYPE GetPrintService(IVyrViewPrintService** answer) override
    {
        *answer = service;
        return service ? S_OK : S_FALSE;
    }
    IVyrViewPrintService* service = nullptr;
};

// A sizeable frame, the host's client window in it, and the view filling that.
struct FramedView
{
    explicit FramedView(IVyrViewSite* site = nullptr, const wchar_t* printText = L"&Print")
        : frame(nullptr, L"Frame"), client(&frame), view(&client, site, printText)
    {
        frame.Attr.Style = WS_OVERLAPPEDWINDOW;
        frame.Attr.X = 40;
        frame.Attr.Y = 40;
        frame.Attr.W = 320;
        frame.Attr.H = 240;
        client.Attr.W = 240;
        client.Attr.H = 160;
        view.Attr.W = 240;
        view.Attr.H = 160;
        frame.Create();
        frame.ShowWindow(SW_SHOWNORMAL);
        OwlTest::PumpMessages();
    }
    UINT HitTest(TPoint clientPoint) const
    {
        view.ClientToScreen(clientPoint);
        return static_cast<UINT>(view.SendMessage(WM_NCHITTEST, 0, MAKELPARAM(clientPoint.x, clientPoint.y)));
    }

    OWL::TWindow frame;
    OWL::TWindow client;
    TestView view;
};

int GripSide()
{
    return std::max(GetSystemMetrics(SM_CXHSCROLL), GetSystemMetrics(SM_CYVSCROLL));
}

// How many pixels of the grip's square differ from the button face colour.
int PaintedGripPixels(TestView& view, const std::wstring& picture)
{
    const TRect client = view.GetClientRect();
    OWL::TBitmap bitmap(client.Width(), client.Height());
    int painted = 0;
    {
        OWL::TMemoryDC dc(bitmap);
        dc.FillRect(client, OWL::TBrush(OWL::TColor(GetSysColor(COLOR_BTNFACE))));
        TRect area = client;
        view.Paint(dc, true, area);
        const TRect grip = view.SizeGripRect();
        for (int y = grip.top; y < grip.bottom; ++y)
            for (int x = grip.left; x < grip.right; ++x)
                painted += ::GetPixel(dc, x, y) != GetSysColor(COLOR_BTNFACE);
    }
    OwlTest::SaveBitmapPng(bitmap, picture);
    return painted;
}

TEST(ViewBase, TheBottomRightSquareIsASizeGripAndTheSizingCornerUnlessTheFrameIsMaximised)
{
    FramedView framed;
    const int side = GripSide();
    EXPECT_EQ(TRect(240 - side, 160 - side, 240, 160), framed.view.SizeGripRect());
    EXPECT_EQ(UINT(HTBOTTOMRIGHT), framed.HitTest(TPoint(239, 159)));
    EXPECT_EQ(UINT(HTBOTTOMRIGHT), framed.HitTest(TPoint(240 - side, 160 - side)));
    EXPECT_EQ(UINT(HTCLIENT), framed.HitTest(TPoint(240 - side - 1, 159)));
    EXPECT_EQ(UINT(HTCLIENT), framed.HitTest(TPoint(120, 80)));
    EXPECT_GT(PaintedGripPixels(framed.view, L"view_base_size_grip"), side);

    framed.view.SetSizeGripHitTest(false);
    EXPECT_EQ(UINT(HTCLIENT), framed.HitTest(TPoint(239, 159)));
    framed.view.SetSizeGripHitTest(true);

    framed.frame.ShowWindow(SW_MAXIMIZE);
    OwlTest::PumpMessages();
    EXPECT_EQ(UINT(HTCLIENT), framed.HitTest(TPoint(239, 159)));
    EXPECT_EQ(0, PaintedGripPixels(framed.view, L"view_base_size_grip_maximised"));
}

TEST(ViewBase, CopyAndPrintStatesCarryTheViewsTextsAndPrintInSpanishStartsWithImprimir)
{
    struct Case
    {
        LANGID language;
        const wchar_t* printText;
        const wchar_t* shown;
    };
    const Case cases[] = {
        {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), L"&Print Sistra Loop View", L"&Print Sistra Loop View"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), L"&Print Sistra Loop View", L"&Imprimir Sistra Loop View"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MEXICAN), L"&Print", L"&Imprimir"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), L"Print Sistra Loop View", L"Print Sistra Loop View"},
        {MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN), L"&Pri", L"&Pri"},
    };
    PrintService service;
    Site site;
    site.service = &service;
    FramedView framed(&site);
    for (const Case& c : cases)
    {
        TestSupport::StandIn()->SetUiLanguage(c.language);
        framed.view.printText_ = c.printText;
        Enabler print, copy;
        EXPECT_EQ(S_OK, framed.view.QueryCommandState(ViewCommandId::Print, &print));
        EXPECT_EQ(S_OK, framed.view.QueryCommandState(ViewCommandId::Copy, &copy));
        EXPECT_EQ(c.shown, print.text) << c.printText;
        EXPECT_EQ(VARIANT_TRUE, print.enabled);
        EXPECT_EQ(L"Copy Sistra Hemodynamics Table", copy.text);
        EXPECT_EQ(VARIANT_TRUE, copy.enabled);
    }
    TestSupport::StandIn()->SetUiLanguage(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US));
}

TEST(ViewBase, PrintIsEnabledOnlyWhenTheSitesPrintServiceAgreesAndCommandThreeNever)
{
    PrintService service;
    Site site;
    FramedView withoutService(&site);
    Enabler print, third;
    withoutService.view.QueryCommandState(ViewCommandId::Print, &print);
    withoutService.view.QueryCommandState(ViewCommandId::Command3, &third);
    EXPECT_EQ(VARIANT_FALSE, print.enabled);
    EXPECT_EQ(VARIANT_FALSE, third.enabled);

    site.service = &service;
    service.canPrint = VARIANT_FALSE;
    EXPECT_FALSE(withoutService.view.CanPrint());
    service.canPrint = VARIANT_TRUE;
    EXPECT_TRUE(withoutService.view.CanPrint());

    FramedView siteless;
    EXPECT_FALSE(siteless.view.CanPrint());
    EXPECT_EQ(nullptr, siteless.view.QueryViewSiteObject().Get());
}

TEST(ViewBase, ThePrintMessageAsksTheSitesPrintServiceAndIsANoOpWithoutOne)
{
    PrintService service;
    Site site;
    site.service = &service;
    FramedView framed(&site);
    EXPECT_TRUE(framed.view.DispatchMessage(TestSupport::MakeMessage(ViewCommandId::PrintMessage).Get()));
    EXPECT_EQ(1, service.printed);
    site.service = nullptr;
    EXPECT_TRUE(framed.view.DispatchMessage(TestSupport::MakeMessage(ViewCommandId::PrintMessage).Get()));
    EXPECT_EQ(1, service.printed);
}

} // namespace
