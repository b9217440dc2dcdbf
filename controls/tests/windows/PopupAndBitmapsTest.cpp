#include "controls/dialogs/DialogBase.h"
#include "controls/tests/ControlsTestIds.h"
#include "controls/windows/GdiPlusBitmaps.h"
#include "controls/windows/Popup.h"

#include "hostapi/VyrIds.h"
#include "hostapi/VyrServices.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/services/HostServices.h"
#include "platform/owl/Module.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/tests/TestPopup.h"
#include "resources/ResourceIds.h"

#include <objbase.h>

#include <gdiplus.h>
#include <gtest/gtest.h>

namespace
{

RECT WorkAreaAt(POINT point)
{
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor);
    return monitor.rcWork;
}

RECT PlacedAt(const Orv::Popup& popup)
{
    RECT rect{};
    GetWindowRect(popup.GetHandle(), &rect);
    return rect;
}

TEST(Popup, StaysInsideTheWorkAreaAndFlipsAboveAtTheBottom)
{
    const RECT work = WorkAreaAt({0, 0});
    const Orv::Popup middle(nullptr, OWL::TPoint(100, 100), L"Loops are counted from zero.");
    EXPECT_EQ(102, PlacedAt(middle).left);
    EXPECT_EQ(102, PlacedAt(middle).top);

    const Orv::Popup right(nullptr, OWL::TPoint(work.right - 5, 100), L"Loops are counted from zero.");
    EXPECT_EQ(work.right - 10, PlacedAt(right).right) << "ends 10 pixels inside the work area";

    const Orv::Popup bottom(nullptr, OWL::TPoint(100, work.bottom - 4), L"Loops are counted from zero.");
    const RECT flipped = PlacedAt(bottom);
    EXPECT_EQ(work.bottom - 4 + 2 - 3, flipped.bottom) << "flips above the point";

    const Orv::Popup oneLine(nullptr, OWL::TPoint(100, 300), L"short");
    const Orv::Popup wrapped(nullptr, OWL::TPoint(100, 300),
                             L"A help text that is much longer than three hundred pixels wraps onto several lines "
                             L"instead of running off the screen.");
    EXPECT_LE(PlacedAt(wrapped).right - PlacedAt(wrapped).left, Orv::Popup::WrapWidth + 5 + 2);
    EXPECT_GE(PlacedAt(wrapped).bottom - PlacedAt(wrapped).top,
              2 * (PlacedAt(oneLine).bottom - PlacedAt(oneLine).top) - 4);
}

TEST(GdiPlusBitmaps, APngResourceBecomesAPremultipliedBitmapAndAMissingOneNothing)
{
    // The module's own step-ready image among them.
    for (const UINT id : {IDP_CONTROLS_READY, IDP_CONTROLS_PROBLEM, IDP_CONTROLS_TEST_IMAGE})
    {
        const auto png = LoadPngAsPargbBitmap(id, GetModuleHandleW(nullptr));
        ASSERT_NE(nullptr, png) << id;
        EXPECT_EQ(13u, png->GetWidth()) << id;
        EXPECT_EQ(13u, png->GetHeight()) << id;
        EXPECT_EQ(PixelFormat32bppPARGB, png->GetPixelFormat()) << id;
    }
    const auto image = LoadPngAsPargbBitmap(IDP_CONTROLS_TEST_IMAGE, GetModuleHandleW(nullptr));
    Gdiplus::Color corner;
    image->GetPixel(0, 0, &corner);
    EXPECT_EQ(255, corner.GetB());
    EXPECT_EQ(nullptr, LoadPngAsPargbBitmap(9999, GetModuleHandleW(nullptr)));
}

class Frame : public OwlTest::TestPopup
{
public:
    Frame() : OwlTest::TestPopup(L"frame", CW_USEDEFAULT, CW_USEDEFAULT, 120, 80) {}
};

TEST(BitmapWindow, TakesTheBitmapsSizeAndDrawsItsTransparentColourAsTheFace)
{
    Frame frame;
    auto bitmap = std::make_unique<OWL::TBitmap>(24, 16);
    {
        OWL::TMemoryDC memory(*bitmap);
        PatBlt(memory, 0, 0, 24, 16, WHITENESS);
        const RECT dot{8, 4, 16, 12};
        FillRect(memory, &dot, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    }
    auto* window = new OrvControls::BitmapWindow(&frame, 0, 0, std::move(bitmap));
    ASSERT_TRUE(frame.Create());
    const OWL::TRect client = window->GetClientRect();
    EXPECT_EQ(24, client.right);
    EXPECT_EQ(16, client.bottom);
    OwlTest::PumpMessages();
    HDC dc = GetDC(window->GetHandle());
    EXPECT_EQ(GetSysColor(COLOR_3DFACE), GetPixel(dc, 1, 1)) << "the white corner is transparent";
    EXPECT_EQ(RGB(0, 0, 0), GetPixel(dc, 10, 6));
    ReleaseDC(window->GetHandle(), dc);
}

TEST(DialogBase, TheTemplateSpeaksTheHostsLanguage)
{
    ASSERT_NE(nullptr, HostAppAccessor::Get());
    Orv::ComPtr<IVyrStandIn> standIn;
    CoGetClassObject(CLSID_VyrFrameWork, CLSCTX_INPROC_SERVER, nullptr, IID_IVyrStandIn, standIn.PutVoid());
    ASSERT_TRUE(standIn);
    OWL::TModule self(L"tests", GetModuleHandleW(nullptr), false);
    const auto captionIn = [&](LANGID language) {
        standIn->SetUiLanguage(language);
        Orv::DialogBase dialog(nullptr, IDD_CONTROLS_TEST_DIALOG, &self);
        dialog.Create();
        wchar_t caption[64] = {};
        GetWindowTextW(dialog.GetHandle(), caption, 64);
        dialog.Destroy();
        return std::wstring(caption);
    };
    EXPECT_EQ(L"Einstellungen", captionIn(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)));
    EXPECT_EQ(L"Settings", captionIn(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
}

} // namespace
