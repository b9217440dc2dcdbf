#include "controls/balloon/BalloonHelp.h"
#include "controls/dialogs/DialogBase.h"
#include "controls/edits/ValidatingEdit.h"
#include "controls/errors/ErrorProvider.h"
#include "controls/tests/ControlsTestIds.h"

#include "platform/owl/Module.h"
#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/tests/TestPopup.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

class Frame : public OwlTest::TestPopup
{
public:
    Frame() : OwlTest::TestPopup(L"frame", 200, 200, 240, 120) {}
};

std::vector<HWND> Balloons()
{
    std::vector<HWND> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM list) {
            wchar_t name[32] = {};
            GetClassNameW(window, name, 32);
            if (std::wstring(name) == L"XPBalloonHelp" && IsWindowVisible(window))
                reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Pumps the thread's messages until the condition holds. The time is only a guard against a wait for
// what never comes, generous enough for the busiest machine.
template <class Condition>
bool PumpUntil(Condition done, DWORD milliseconds = 60000)
{
    const DWORD start = GetTickCount();
    for (OwlTest::PumpMessages(); !done(); OwlTest::PumpMessages())
    {
        if (GetTickCount() - start > milliseconds)
            return false;
        Sleep(10);
    }
    return true;
}

// Puts the pointer at a screen point and waits until the system reports it there: a busy display
// server may still hand in an older position for a moment.
bool PlacePointer(POINT at)
{
    return PumpUntil([at] {
        SetCursorPos(at.x, at.y);
        POINT now{};
        return GetCursorPos(&now) && now.x == at.x && now.y == at.y;
    });
}

void CloseBalloons()
{
    for (HWND balloon : Balloons())
        DestroyWindow(balloon);
    OwlTest::PumpMessages();
}

TEST(ErrorProvider, OptionsAreNormalisedToOneIconAndOneAction)
{
    struct
    {
        unsigned given, normalised;
    } const cases[] = {{0x00, 0x09}, {0x18, 0x11}, {0x03, 0x09}, {0x06, 0x0A}, {0x24, 0x24}, {0x51, 0x51}};
    Frame frame;
    std::vector<OrvControls::ErrorProvider*> providers;
    for (const auto& c : cases)
        providers.push_back(new OrvControls::ErrorProvider(&frame, 5, L"", 10, 10, 30, 20, 0, nullptr, c.given));
    ASSERT_TRUE(frame.Create());
    for (size_t i = 0; i < providers.size(); ++i)
        EXPECT_EQ(cases[i].normalised, providers[i]->Flags()) << std::hex << cases[i].given;
}

TEST(ErrorProvider, TheIconSitsAtTheRectanglesBottomLeftAndShowsOnlyWithAnError)
{
    Frame frame;
    auto* provider = new OrvControls::ErrorProvider(&frame, 5, L"", 10, 10, 30, 20, 0, nullptr, 9);
    ASSERT_TRUE(frame.Create());
    RECT placed{};
    GetWindowRect(provider->GetHandle(), &placed);
    MapWindowPoints(nullptr, frame.GetHandle(), reinterpret_cast<POINT*>(&placed), 2);
    EXPECT_EQ(10, placed.left);
    EXPECT_EQ(18, placed.top) << "8 pixels below the top of a rectangle 20 high";
    EXPECT_EQ(12, placed.right - placed.left);
    EXPECT_FALSE(provider->IsWindowVisible());
    provider->SetError(true, L"Invalid Value", L"Value must be in range 1 to 10.");
    OwlTest::PumpMessages();
    EXPECT_TRUE(provider->IsWindowVisible());
    HDC dc = GetDC(provider->GetHandle());
    EXPECT_NE(RGB(0, 255, 0), GetPixel(dc, 0, 0)) << "the green key colour is transparent";
    ReleaseDC(provider->GetHandle(), dc);
    OwlTest::SaveWindowPng(frame.GetHandle(), L"error_provider_icon");
    provider->SetError(false, L"", L"");
    EXPECT_FALSE(provider->IsWindowVisible());
}

TEST(ErrorProvider, AMoveOfMoreThanThreePixelsRaisesOneBalloonThatClosesWhenThePointerLeaves)
{
    Frame frame;
    auto* provider = new OrvControls::ErrorProvider(&frame, 5, L"", 10, 10, 30, 20, 0, nullptr, 9);
    ASSERT_TRUE(frame.Create());
    provider->SetError(true, L"Invalid Value", L"Value must be in range 1 to 10.");
    // The balloon remembers where the pointer was when it showed: far from every window of the test and
    // from where it goes later, and not left near there by an earlier test.
    ASSERT_TRUE(PlacePointer(POINT{1000, 900}));
    const auto move = [&](int x, int y) {
        provider->SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        OwlTest::PumpMessages();
    };
    move(2, 2);
    EXPECT_TRUE(Balloons().empty()) << "2.8 pixels from the start is jitter";
    move(6, 2);
    ASSERT_EQ(1u, Balloons().size());
    OwlTest::SaveWindowPng(Balloons().front(), L"error_provider_balloon");
    move(7, 3);
    EXPECT_EQ(1u, Balloons().size()) << "no second balloon for a small move";

    const HWND balloon = Balloons().front();
    POINT away{5, 5};
    ASSERT_TRUE(PlacePointer(away));
    ScreenToClient(balloon, &away);
    SendMessageW(balloon, WM_MOUSEMOVE, 0, MAKELPARAM(away.x, away.y));
    EXPECT_TRUE(PumpUntil([balloon] { return !IsWindow(balloon); })) << "gone once the pointer left the icon";
    CloseBalloons();
}

TEST(ErrorProvider, AHoverPopupComesOnTheFirstTickOnlyWithAText)
{
    Frame frame;
    auto* provider = new OrvControls::ErrorProvider(&frame, 5, L"", 10, 10, 30, 20, 0, nullptr,
                                                     OrvControls::ErrorProvider::ErrHoverPopup);
    ASSERT_TRUE(frame.Create());
    provider->SendMessage(WM_TIMER, 1);
    EXPECT_EQ(nullptr, provider->CurrentPopup()) << "no popup without a text";
    provider->SetError(true, L"", L"The slope can not be zero.");
    provider->SendMessage(WM_TIMER, 1);
    EXPECT_NE(nullptr, provider->CurrentPopup());
    for (int tick = 0; tick < 100; ++tick)
        provider->SendMessage(WM_TIMER, 1);
    EXPECT_EQ(nullptr, provider->CurrentPopup()) << "gone after five seconds";
    provider->SendMessage(WM_TIMER, 1);
    EXPECT_EQ(nullptr, provider->CurrentPopup()) << "not again before the pointer leaves";
    provider->SendMessage(WM_MOUSELEAVE);
    EXPECT_FALSE(provider->PopupShown());
}

TEST(StaticTextErrorProvider, TheIconFollowsTheEndOfTheText)
{
    Frame frame;
    auto* label = new OrvControls::StaticTextErrorProvider(&frame, L"");
    label->Attr.X = 20;
    label->Attr.Y = 30;
    label->Attr.W = 150;
    label->Attr.H = 20;
    ASSERT_TRUE(frame.Create());
    const auto iconAt = [&] {
        RECT rect{};
        GetWindowRect(label->Icon().GetHandle(), &rect);
        MapWindowPoints(nullptr, frame.GetHandle(), reinterpret_cast<POINT*>(&rect), 1);
        return OWL::TPoint(rect.left, rect.top);
    };
    EXPECT_EQ(OWL::TPoint(20, 30), label->IconPosition()) << "an empty label puts it at its own corner";
    label->SetText(L"Short");
    const OWL::TPoint shortEnd = iconAt();
    EXPECT_EQ(30 + 1 + (20 - 12) / 2, shortEnd.y);
    label->SetText(L"A much longer status text");
    EXPECT_GT(iconAt().x, shortEnd.x + 20);
    label->SetError(true, L"Saline", L"No saline calibration yet.");
    OwlTest::SaveWindowPng(frame.GetHandle(), L"static_text_error_provider");
}

class EditDialog : public Orv::DialogBase
{
public:
    explicit EditDialog(OWL::TModule* module) : Orv::DialogBase(nullptr, IDD_CONTROLS_EDIT_DIALOG, module)
    {
        edit = new IntEdit(this, IDC_CONTROLS_EDIT);
    }
    void EnChange() { ++changes; }

    IntEdit* edit;
    int changes = 0;

    DECLARE_RESPONSE_TABLE(EditDialog);
};

DEFINE_RESPONSE_TABLE1(EditDialog, Orv::DialogBase)
    EV_EN_CHANGE(IDC_CONTROLS_EDIT, EnChange),
END_RESPONSE_TABLE;

void Type(OWL::TWindow& edit, const wchar_t* text)
{
    edit.SetWindowText(L"");
    for (const wchar_t* c = text; *c; ++c)
        edit.SendMessage(WM_CHAR, *c, 1);
}

TEST(IntEdit, TheRangeMessageShowsBesideTheFieldWhileTheTextIsOutOfRange)
{
    OWL::TModule self(L"tests", GetModuleHandleW(nullptr), false);
    EditDialog dialog(&self);
    auto* provider = new OrvControls::ErrorProvider(&dialog, 1062, L"", 120, 14, 12, 20, 0, nullptr, 9);
    ASSERT_TRUE(dialog.Create());
    dialog.edit->SetErrorProvider(provider);

    struct
    {
        const wchar_t* typed;
        bool error;
    } const cases[] = {{L"0", true}, {L"7", false}, {L"", true}, {L"10", false}, {L"11", true}};
    for (const auto& c : cases)
    {
        Type(*dialog.edit, c.typed);
        if (!*c.typed)
            dialog.edit->ValidateNow();
        EXPECT_EQ(c.error, provider->IsWindowVisible()) << "typed \"" << c.typed << '"';
        if (c.error)
        {
            EXPECT_STREQ(L"Invalid Value", provider->Title().c_str());
            EXPECT_STREQ(L"Value must be in range 1 to 10.", provider->Text().c_str());
        }
    }
    Type(*dialog.edit, L"0");
    OwlTest::SaveWindowPng(dialog.GetHandle(), L"int_edit_out_of_range");

    dialog.edit->SetErrorProvider(nullptr);
    const auto* validator = dynamic_cast<OWL::TRangeValidator*>(dialog.edit->GetValidator());
    ASSERT_NE(nullptr, validator);
    EXPECT_EQ(1, validator->GetMin());
    EXPECT_EQ(10, validator->GetMax());
    dialog.Destroy();
}

TEST(IntEdit, WellFormedIsOneWholeNumberInTheFirst29Characters)
{
    struct
    {
        const wchar_t* text;
        bool wellFormed;
    } const cases[] = {{L"7", true},     {L"", false},       {L" 7", true},  {L"-3", true},
                       {L"7a", false},   {L"abc", false},    {L"7 ", false}, {L"+", false},
                       {L"11111111111111111111111111111x", true}};
    for (const auto& c : cases)
        EXPECT_EQ(c.wellFormed, IsWellFormedInteger(c.text)) << '"' << c.text << '"';
}

TEST(SilentSetText, SettingTheTextNotifiesNobodyAndLeavesBothWindowsUserData)
{
    OWL::TModule self(L"tests", GetModuleHandleW(nullptr), false);
    EditDialog dialog(&self);
    ASSERT_TRUE(dialog.Create());
    const HWND edit = dialog.edit->GetHandle();
    SetWindowLongPtrW(edit, GWLP_USERDATA, 0x1234);
    SetWindowLongPtrW(dialog.GetHandle(), GWLP_USERDATA, 0x5678);
    InstallSilentSetText(edit);

    dialog.changes = 0;
    SetWindowTextW(edit, L"5");
    EXPECT_EQ(0, dialog.changes) << "no EN_CHANGE for a text set by the dialog";
    wchar_t text[8] = {};
    GetWindowTextW(edit, text, 8);
    EXPECT_STREQ(L"5", text);
    EXPECT_EQ(0x1234, GetWindowLongPtrW(edit, GWLP_USERDATA));
    EXPECT_EQ(0x5678, GetWindowLongPtrW(dialog.GetHandle(), GWLP_USERDATA));

    SendMessageW(edit, WM_CHAR, L'6', 1);
    EXPECT_GT(dialog.changes, 0) << "typing still notifies";
    dialog.Destroy();
}

} // namespace
