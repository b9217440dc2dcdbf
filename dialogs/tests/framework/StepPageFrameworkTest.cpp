#include "dialogs/framework/StepPageTools.h"

#include "dialogs/tests/steps/StepPageTestSupport.h"
#include "document/models/ModelValues.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace Sistra;
using DialogTests::StepPage;

HWND Child(HWND parent, const wchar_t* kind, const wchar_t* text, int id, RECT place, DWORD style = 0)
{
    return CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, place.left, place.top, place.right - place.left,
                           place.bottom - place.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           nullptr, nullptr);
}

RECT PlaceIn(HWND page, HWND child)
{
    RECT place{};
    GetWindowRect(child, &place);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&place), 2);
    return place;
}

// An instruction that needs more lines grows by what it needs and pushes what lies below it, and the page,
// down by as much; one that fits leaves the page as it is.
TEST(StepPageTools, AGrowingInstructionPushesTheControlsBelowItDown)
{
    for (const bool longText : {false, true})
    {
        HWND page = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 120, nullptr, nullptr, nullptr, nullptr);
        const std::wstring text = longText ? std::wstring(40, L'w') + L" words that wrap onto further lines, " +
                                                 L"and more of them, until the box is far too small"
                                           : L"Fits.";
        HWND instruction = Child(page, L"STATIC", text.c_str(), StepControl::FirstInstruction, {6, 20, 150, 36});
        HWND above = Child(page, L"BUTTON", L"", 1, {6, 2, 40, 16});
        HWND below = Child(page, L"BUTTON", L"", 2, {6, 60, 40, 80});
        SendMessageW(instruction, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        const int growth = FitTextHeight(page, StepControl::FirstInstruction);
        EXPECT_EQ(longText, growth > 0);
        EXPECT_EQ(36 + growth, PlaceIn(page, instruction).bottom);
        EXPECT_EQ(2, PlaceIn(page, above).top);
        EXPECT_EQ(60 + growth, PlaceIn(page, below).top);
        RECT window{};
        GetWindowRect(page, &window);
        EXPECT_EQ(120 + growth, window.bottom - window.top);
        DestroyWindow(page);
    }
}

// A drop-down list widens to its widest item in the default GUI font, with a margin.
TEST(StepPageTools, AComboListWidensToItsWidestItem)
{
    HWND page = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 200, 120, nullptr, nullptr, nullptr, nullptr);
    HWND combo = Child(page, L"COMBOBOX", L"", 10, {6, 6, 66, 100}, CBS_DROPDOWNLIST);
    const int narrow = static_cast<int>(SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0));
    const std::vector<Orv::String> texts{Orv::String(L"A"), Orv::String(L"A much wider item than the box itself"),
                                         Orv::String(L"A much wider item")};
    FillCombo(page, 10, texts);
    HDC dc = GetDC(page);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    SIZE widest{};
    GetTextExtentPoint32W(dc, texts[1].c_str(), static_cast<int>(texts[1].Length()), &widest);
    SelectObject(dc, old);
    ReleaseDC(page, dc);
    ASSERT_GT(widest.cx, narrow);
    EXPECT_EQ(widest.cx + 8, SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0));
    EXPECT_EQ(3, SendMessageW(combo, CB_GETCOUNT, 0, 0));
    DestroyWindow(page);
}

// Controls that are drawn over others by design: lines, frames and the bands they stand on.
bool DrawnUnderOthers(HWND control)
{
    wchar_t kind[32] = {};
    GetClassNameW(control, kind, 32);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(control, GWL_STYLE));
    if (_wcsicmp(kind, L"Static") == 0)
    {
        const DWORD type = style & SS_TYPEMASK;
        return type == SS_ETCHEDHORZ || type == SS_ETCHEDVERT || type == SS_ETCHEDFRAME || type == SS_BLACKFRAME ||
               type == SS_GRAYFRAME || type == SS_WHITEFRAME;
    }
    return _wcsicmp(kind, L"Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
}

// A page made narrower than it was drawn, as a narrow workflow panel makes it, keeps its controls apart:
// a label that kept its width under a button moved left with the page's edge painted its background over
// the button whenever its text changed (the saline step's "Add" lost its text after each analysis).
TEST(StepPages, ANarrowedPageKeepsItsControlsApart)
{
    DialogTests::DocumentFixture fixture;
    for (const int step : {StepId::SetupStep, StepId::PressureStep, StepId::ConductanceStep, StepId::SamplingStep,
                           StepId::CuvetteStep, StepId::SalineStep, StepId::AnalyseStep, StepId::VolumeMPVSStep,
                           StepId::VolumeKnownStep, StepId::AlphaDlg})
    {
        StepPage shown(step, fixture);
        if (!shown.page)
            continue;
        RECT window{};
        GetWindowRect(shown.page, &window);
        constexpr int Narrowing = 40;
        SetWindowPos(shown.page, nullptr, 0, 0, window.right - window.left - Narrowing, window.bottom - window.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        DialogTests::SaveShown(shown.pane.Window(), L"step_page_" + std::to_wstring(step) + L"_narrowed");
        std::vector<HWND> controls;
        for (HWND child = GetWindow(shown.page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (IsWindowVisible(child) && !DrawnUnderOthers(child))
                controls.push_back(child);
        for (size_t a = 0; a < controls.size(); ++a)
            for (size_t b = a + 1; b < controls.size(); ++b)
            {
                const RECT first = PlaceIn(shown.page, controls[a]), second = PlaceIn(shown.page, controls[b]);
                RECT common{};
                EXPECT_FALSE(IntersectRect(&common, &first, &second))
                    << "step " << step << ": controls " << GetDlgCtrlID(controls[a]) << " and "
                    << GetDlgCtrlID(controls[b]) << " overlap";
            }
    }
}

// A page closed while its model holds a value that is not a number takes the change back: the model holds
// what was there before it was typed.
TEST(StepPages, AnInvalidChangeIsDiscardedWhenThePageCloses)
{
    DialogTests::DocumentFixture fixture("mV");
    const ModelPtr model = fixture.Document().GetModel(ModelKind::PressureCalib);
    {
        StepPage pressure(StepId::PressureStep, fixture);
        ASSERT_TRUE(pressure.page);
        DialogTests::Type(pressure.page, StepControl::FirstValue, L"5");
        DialogTests::Type(pressure.page, StepControl::FirstValue, L"five");
        ASSERT_TRUE(IsInvalidMarker(DialogTests::Stored(model, PropertyId::PressureBase1)));
    }
    EXPECT_FALSE(IsInvalidMarker(DialogTests::Stored(model, PropertyId::PressureBase1)));
}

} // namespace
