#include "dialogs/framework/StepPageTools.h"

#include "controls/theme/UxTheme.h"
#include "controls/windows/InkRoomText.h"
#include "foundation/com/XOrv.h"
#include "dialogs/helpers/ControlBalloons.h"
#include "dialogs/helpers/NumberFields.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include <algorithm>

namespace Sistra
{

namespace
{

constexpr int TextStylePart = 4;
constexpr int MeasuredWidthLimit = 400;
constexpr int ComboTextMargin = 8;

void MoveControl(HWND page, int id, const RECT& rect)
{
    SetWindowPos(GetDlgItem(page, id), nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

// The text's height in the control's width, as the visual style measures it, else as GDI does.
int TextHeight(HWND control, const std::wstring& text, int width)
{
    HDC dc = GetDC(control);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    RECT bounds{0, 0, width, 0};
    auto& theme = OrvLinkingUtils::UxThemeDLL::Instance();
    bool measured = false;
    if (HTHEME style = theme.IsAppThemed() ? theme.OpenThemeData(control, L"TEXTSTYLE") : nullptr)
    {
        try
        {
            bounds = theme.GetTextExtent(style, dc, TextStylePart, 0, text.c_str(), -1, DT_WORDBREAK | DT_CALCRECT,
                                         &bounds);
            measured = true;
        }
        catch (const XOrv&)
        {
        }
        theme.CloseThemeData(style);
    }
    if (!measured)
        DrawTextW(dc, text.c_str(), -1, &bounds, DT_WORDBREAK | DT_CALCRECT);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return bounds.bottom - bounds.top;
}

} // namespace

RECT GetControlRect(HWND page, int id)
{
    RECT rect{};
    GetWindowRect(GetDlgItem(page, id), &rect);
    MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

namespace
{

// The icon-title font's face and attributes in the control's font height.
LOGFONTW IconTitleFontFor(HWND control)
{
    LOGFONTW controlFont{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof controlFont, &controlFont);
    LOGFONTW font{};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0);
    font.lfHeight = controlFont.lfHeight;
    return font;
}

} // namespace

HFONT MakeInstructionFont(HWND control)
{
    LOGFONTW font = IconTitleFontFor(control);
    font.lfItalic = TRUE;
    return CreateFontIndirectW(&font);
}

HFONT MakeHeadingFont(HWND control)
{
    LOGFONTW font = IconTitleFontFor(control);
    font.lfWeight = FW_BOLD;
    return CreateFontIndirectW(&font);
}

int FitTextHeight(HWND page, int id)
{
    HWND control = GetDlgItem(page, id);
    const std::wstring text = GetWindowTextString(control).c_str();
    if (text.empty())
        return 0;
    const RECT rect = GetControlRect(page, id);
    const int growth = TextHeight(control, text, OrvControls::TextLayoutWidth(control)) - (rect.bottom - rect.top);
    if (growth <= 0)
        return 0;
    // Children are taken by handle: several statics share the id -1.
    for (HWND child = GetWindow(page, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    {
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&place), 2);
        if (child != control && place.top > rect.top)
            SetWindowPos(child, nullptr, place.left, place.top + growth, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    MoveControl(page, id, {rect.left, rect.top, rect.right, rect.bottom + growth});
    RECT window{};
    GetWindowRect(page, &window);
    SetWindowPos(page, nullptr, 0, 0, window.right - window.left, window.bottom - window.top + growth,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return growth;
}

void AlignSeparator(HWND page, int lineId)
{
    const RECT instruction = GetControlRect(page, StepControl::FirstInstruction);
    const RECT line = GetControlRect(page, lineId);
    MoveControl(page, lineId, {instruction.left - 1, line.top, instruction.right + 1, line.bottom});
}

void AlignButtonToEdit(HWND page, int buttonId, int editId)
{
    const RECT button = GetControlRect(page, buttonId);
    const RECT edit = GetControlRect(page, editId);
    MoveControl(page, buttonId, {button.left, edit.top - 1, button.right, edit.bottom + 1});
}

void FillCombo(HWND page, int id, const std::vector<Orv::String>& texts)
{
    HWND combo = GetDlgItem(page, id);
    HDC dc = GetDC(page);
    HGDIOBJ old = SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
    int width = static_cast<int>(SendMessageW(combo, CB_GETDROPPEDWIDTH, 0, 0));
    for (const Orv::String& text : texts)
    {
        SIZE extent{};
        int fit = 0;
        GetTextExtentExPointW(dc, text.c_str(), static_cast<int>(text.Length()), MeasuredWidthLimit, &fit, nullptr,
                              &extent);
        if (extent.cx > width)
        {
            width = extent.cx + ComboTextMargin;
            SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width), 0);
        }
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SelectObject(dc, old);
    ReleaseDC(page, dc);
}

const Orv::String& SamplingLabelText(bool sampling)
{
    static const Orv::String start(Orv::ThisModule(), IDS_STEP_START_SAMPLING, true);
    static const Orv::String stop(Orv::ThisModule(), IDS_STEP_STOP_SAMPLING, true);
    return sampling ? stop : start;
}

void ApplyCheckBoxClicked(HWND page, Model& model, int appliedProperty)
{
    const bool ticked = IsDlgButtonChecked(page, StepControl::Apply) == BST_CHECKED;
    ValidationResult problem;
    if (ticked)
        problem = model.Validate();
    if (problem.HasProblem())
    {
        CheckDlgButton(page, StepControl::Apply, BST_UNCHECKED);
    }
    else
    {
        model.SetValue<PropertyType::Bool>(appliedProperty, ticked);
        model.CommitChanges();
        if (!ticked)
            return;
        problem = model.Validate();
        if (problem.HasProblem())
        {
            CheckDlgButton(page, StepControl::Apply, BST_UNCHECKED);
        }
        else if ((problem = model.CheckReady()).HasProblem())
        {
            // The model's change notification takes the tick away through the page.
            model.SetValue<PropertyType::Bool>(appliedProperty, false);
            model.CommitChanges();
        }
    }
    if (problem.HasProblem())
        ShowValidationBalloon(GetDlgItem(page, StepControl::Apply), problem);
}

} // namespace Sistra
