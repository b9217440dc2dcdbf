#include "tracedisplay/controls/ZoomControl.h"

#include "tracedisplay/controls/MenuResource.h"

#include "resources/TraceDisplayIds.h"

#include "controls/gadgets/ButtonGadgets.h"
#include "foundation/numbers/NumberUtilities.h"
#include "foundation/numbers/Rational.h"
#include "foundation/text/StringResources.h"

#include <objbase.h>

#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace StrixDraw
{

namespace
{
// Samples per pixel of the ratio menu's items, in command order.
constexpr double CommandRatios[] = {0.1,  0.2,  0.5,   1,     2,     5,      10,     20,     50,     100,   200,
                                    500,  1000, 2000,  5000,  10000, 20000,  50000,  100000, 200000, 500000};
static_assert(std::size(CommandRatios) == ZoomCommand::LastRatio - ZoomCommand::FirstRatio + 1);
constexpr double ThousandFrom = 999.999;
constexpr wchar_t RatioMenuName[] = L"XCOMPRESSEXPAND";
constexpr wchar_t WidestRatio[] = L" 5000:1 ";
constexpr int ListenerControl = 1;
constexpr UINT RatioMenuEnd = ZoomCommand::LastRatio + 1;

bool IsRatioCommand(UINT id)
{
    return id >= ZoomCommand::FirstRatio && id <= ZoomCommand::LastRatio;
}

// The ratio button: always as wide as the widest ratio, whatever ratio it shows.
class RatioGadget : public Orv::UxButtonMenuGadget
{
public:
    using Orv::UxButtonMenuGadget::UxButtonMenuGadget;

    void GetDesiredSize(OWL::TSize& size) override
    {
        const std::wstring shown = std::exchange(Text, WidestRatio);
        SetShrinkWrap(true, true);
        Orv::UxButtonMenuGadget::GetDesiredSize(size);
        SetShrinkWrap(false, true);
        Text = shown;
    }
};

UxSizableButtonGadget* Button(UINT command, UINT glyph, OWL::TButtonGadget::TType type = OWL::TButtonGadget::Command)
{
    return new UxSizableButtonGadget(static_cast<int>(command), glyph, type);
}
} // namespace

std::wstring FormatRatio(LONGLONG numerator, LONGLONG denominator)
{
    const double r = static_cast<double>(numerator) / static_cast<double>(denominator);
    std::wostringstream text;
    text.imbue(std::locale::classic());
    text.precision(3);
    if (r > ThousandFrom)
        text << r / 1000.0 << L"k:1";
    else if (r >= 1.0)
        text << r << L":1";
    else if (r == 0.0)
        text << L"x?";
    else
        text << L"x" << 1.0 / r;
    return text.str();
}

Ratio RatioForCommand(UINT command)
{
    if (!IsRatioCommand(command))
        return {0, 1};
    int numerator = 0;
    int denominator = 1;
    Orv::BestRationalApproximation(CommandRatios[command - ZoomCommand::FirstRatio], numerator, denominator);
    OrvRationalImp::Rational64 ratio{numerator, denominator};
    ratio.Normalize();
    return {ratio.numerator, ratio.denominator};
}

DEFINE_RESPONSE_TABLE1(ZoomControlWin, OrvControls::UxNoEraseGadgetWindow)
    EV_WM_INITMENUPOPUP,
    EV_WM_LBUTTONDOWN,
    EV_WM_LBUTTONUP,
END_RESPONSE_TABLE;

ZoomControlWin::ZoomControlWin(OWL::TWindow* parent, ZoomListener* listener, ULONG flags)
    : OrvControls::UxNoEraseGadgetWindow(parent), listener_(listener)
{
    Attr.Style &= ~WS_BORDER;
    if (flags & ZoomBarFlag::ClipSiblings)
        Attr.Style |= WS_CLIPSIBLINGS;
    if (flags & ZoomBarFlag::ShowLatestButton)
        Insert(*(showLatest_ = Button(ZoomCommand::ShowLatest, ZoomCommand::ShowLatest)));
    if (flags & ZoomBarFlag::AutoScaleButton)
        Insert(*(autoScale_ = Button(ZoomCommand::AutoScale, ZoomCommand::AutoScale)));
    Insert(*(compress_ = Button(ZoomCommand::Compress, ZoomCommand::Compress)));
    const Orv::MenuBase menu(Orv::ThisModule(), RatioMenuName, Orv::ApplicationLanguage().value_or(LANG_NEUTRAL));
    ratio_ = new RatioGadget(menu.GetSubMenu(0), this, WidestRatio, nullptr, 1,
                                         OWL::TButtonTextGadget::sText, OWL::TButtonGadget::Command, true,
                                         OWL::TButtonGadget::Up, false, 0);
    Insert(*ratio_);
    Insert(*(expand_ = Button(ZoomCommand::Expand, ZoomCommand::Expand)));
}

ZoomControlWin::~ZoomControlWin() = default;

void ZoomControlWin::SetRect(const OWL::TRect& rect)
{
    if (!GetHandle())
        return;
    ::ShowWindow(GetHandle(), rect.IsEmpty() ? SW_HIDE : SW_SHOWNA);
    MoveWindow(rect, false);
}

bool ZoomControlWin::IsEnabled() const
{
    return IsWindowHandleEnabled(GetHandle());
}

void ZoomControlWin::Enable(bool enable)
{
    EnableWindowHandle(GetHandle(), enable);
}

std::wstring ZoomControlWin::FormatRatioText(LONGLONG numerator, LONGLONG denominator) const
{
    return FormatRatio(numerator, denominator);
}

void ZoomControlWin::SetRatio(LONGLONG numerator, LONGLONG denominator)
{
    SetRatioText(FormatRatio(numerator, denominator));
    ratio_->Invalidate(false);
}

void ZoomControlWin::SetRatioText(const std::wstring& text)
{
    ratio_->SetText(text.c_str());
}

const std::wstring& ZoomControlWin::RatioText() const
{
    return ratio_->GetText();
}

void ZoomControlWin::GetDesiredSize(OWL::TSize& size)
{
    OrvControls::UxNoEraseGadgetWindow::GetDesiredSize(size);
    OWL::TSize ratioSize;
    ratio_->GetDesiredSize(ratioSize);
    size.cy = ratioSize.cy;
}

// While the listener's window does not follow the data, the show-latest button offers to.
void ZoomControlWin::SetToggleState(bool following)
{
    if (!showLatest_)
        return;
    showLatest_->SetButtonState(following ? OWL::TButtonGadget::Up : OWL::TButtonGadget::Down);
    showLatest_->Invalidate(false);
}

void ZoomControlWin::Repaint()
{
    if (GetHandle())
        ::InvalidateRect(GetHandle(), nullptr, TRUE);
}

int ZoomControlWin::GadgetCount() const
{
    int count = 0;
    for (const void* gadget : {static_cast<const void*>(showLatest_), static_cast<const void*>(autoScale_),
                               static_cast<const void*>(compress_), static_cast<const void*>(ratio_),
                               static_cast<const void*>(expand_)})
        count += gadget != nullptr;
    return count;
}

LRESULT ZoomControlWin::EvCommand(UINT id, HWND control, UINT notifyCode)
{
    if (!listener_ || control)
        return OrvControls::UxNoEraseGadgetWindow::EvCommand(id, control, notifyCode);
    if (IsRatioCommand(id))
    {
        listener_->ApplyZoomChoice(ListenerControl, id);
        return 0;
    }
    switch (id)
    {
    case ZoomCommand::ShowLatest:
        listener_->JumpToLatest();
        return 0;
    case ZoomCommand::ToggleFollow:
        listener_->RequestFollowLatest(!showLatest_ || showLatest_->GetButtonState() == OWL::TButtonGadget::Up, true);
        return 0;
    case ZoomCommand::AutoScale:
        listener_->AutoScaleHorizontally(0);
        return 0;
    case ZoomCommand::Compress:
        listener_->ZoomStep(false);
        return 0;
    case ZoomCommand::Expand:
        listener_->ZoomStep(true);
        return 0;
    default:
        return OrvControls::UxNoEraseGadgetWindow::EvCommand(id, control, notifyCode);
    }
}

void ZoomControlWin::EvCommandEnable(OWL::TCommandEnabler& enabler)
{
    static constexpr std::pair<UINT, UINT> Tips[] = {{ZoomCommand::ShowLatest, IDS_TRACE_SHOW_LATEST},
                                                     {ZoomCommand::AutoScale, IDS_TRACE_AUTOSCALE_HORIZONTAL},
                                                     {ZoomCommand::Compress, IDS_TRACE_COMPRESS},
                                                     {Orv::UxMenuGadget::CommandId, IDS_TRACE_SET_SCALING},
                                                     {ZoomCommand::Expand, IDS_TRACE_EXPAND}};
    for (const auto& [command, text] : Tips)
        if (enabler.GetId() == command)
            tooltips_.Show(*this, command, TooltipText(text));
    if (listener_ && IsRatioCommand(enabler.GetId()))
        listener_->UpdateZoomCommand(ListenerControl, enabler);
    else if (listener_ && enabler.GetId() == ZoomCommand::Expand)
        enabler.Enable(listener_->CanZoomIn(ListenerControl));
    OrvControls::UxNoEraseGadgetWindow::EvCommandEnable(enabler);
}

// A press closes a showing tip; the release gives the keyboard back to the trace window.
void ZoomControlWin::EvLButtonDown(UINT modKeys, const OWL::TPoint& point)
{
    tooltips_.Activate(false);
    tooltips_.Activate(true);
    OrvControls::UxNoEraseGadgetWindow::EvLButtonDown(modKeys, point);
}

void ZoomControlWin::EvLButtonUp(UINT modKeys, const OWL::TPoint& point)
{
    OrvControls::UxNoEraseGadgetWindow::EvLButtonUp(modKeys, point);
    if (listener_ && listener_->ListenerWindow())
        ::SetFocus(listener_->ListenerWindow());
    tooltips_.Activate(true);
}

void ZoomControlWin::EvInitMenuPopup(HMENU menu, UINT, bool isSystem)
{
    if (listener_ && !isSystem)
        listener_->FillZoomMenu(menu, ZoomCommand::FirstRatio, RatioMenuEnd);
}

} // namespace StrixDraw
