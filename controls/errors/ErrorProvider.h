// The error icon beside an invalid input: shown and hidden by its owner with SetError, it explains the
// problem in a balloon when the pointer moves over it or it is clicked, or in a plain popup after the
// pointer rests on it. A label can carry one right after the end of its text.
#pragma once

#include "controls/windows/Popup.h"
#include "foundation/text/String.h"
#include "platform/owl/controls/Control.h"
#include "platform/owl/gdi/GdiObjects.h"

#include <functional>
#include <memory>

namespace WTL
{
class CBalloonHelp;
}

namespace OrvControls
{

// Offers a new hover balloon only once the pointer has moved more than 3 pixels since the last one.
class HoverDistance
{
public:
    // True (and remembered) when point is more than 3 pixels from the last remembered point.
    bool MovedFar(const OWL::TPoint& point);
    OWL::TPoint Last() const { return last_; }

private:
    OWL::TPoint last_{0, 0};
};

// A balloon that closes as soon as the pointer leaves stay (screen coordinates) and deletes itself,
// with the system's information or warning icon in its title. Returns null when it cannot be made.
WTL::CBalloonHelp* ShowStayBalloon(HWND parent, POINT anchor, const RECT& stay, const wchar_t* title,
                                   const wchar_t* text, const wchar_t* iconName,
                                   const wchar_t* linkText = nullptr, std::function<void()> link = {});

class ErrorProvider : public OWL::TStatic
{
public:
    enum Options : unsigned
    {
        ErrBalloon = 0x01,
        ErrHoverPopup = 0x02,
        ErrNoHover = 0x04,
        ErrIconError = 0x08,
        ErrIconWarning = 0x10,
        ErrIconInfo = 0x20,
        ErrShowLink = 0x40,
    };
    static constexpr UINT HoverTimer = 1;
    static constexpr int HoverTick = 50;
    static constexpr int PopupLifetime = 5000;

    ErrorProvider(OWL::TWindow* parent, int id, const wchar_t* text, int x, int y, int w, int h, UINT textLimit,
                  OWL::TModule* module, unsigned options);
    ErrorProvider(OWL::TWindow* parent, int resourceId, unsigned options);
    ~ErrorProvider() override;

    // Keeps title and text and shows the icon, or hides it.
    void SetError(bool show, const Orv::String& title, const Orv::String& text);

    void SetupWindow() override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;

    unsigned Flags() const { return options; }
    const Orv::String& Title() const { return title_; }
    const Orv::String& Text() const { return text_; }
    bool PopupShown() const { return popupShown_; }
    const Orv::Popup* CurrentPopup() const { return popup_.get(); }

    // Set by owners directly.
    unsigned options;
    Orv::String linkText;
    std::function<void()> clickCallback;
    std::function<void()> linkCallback;

protected:
    void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvOtherButtonDown(UINT modKeys, const OWL::TPoint& point);
    LRESULT EvMouseLeave(WPARAM, LPARAM);
    void EvTimer(UINT timerId);

private:
    void Init();
    void NormaliseOptions();
    const OWL::TBitmap& IconBitmap() const;
    OWL::TSize IconSize() const;
    void Press();
    void ShowBalloon();
    void StartHoverTimer();

    std::unique_ptr<OWL::TBitmap> error_;
    std::unique_ptr<OWL::TBitmap> warning_;
    std::unique_ptr<OWL::TBitmap> information_;
    Orv::String title_;
    Orv::String text_;
    HoverDistance hover_;
    std::unique_ptr<Orv::Popup> popup_;
    bool popupShown_ = false;
    int hoverTime_ = 0;
    bool tracking_ = false;
    bool shown_ = false;

    DECLARE_RESPONSE_TABLE(ErrorProvider);
};

// A label with its own error icon 5 pixels after the end of its text; the icon follows the text and
// the label.
class StaticTextErrorProvider : public OWL::TStatic
{
public:
    static constexpr int LabelId = 3006;
    static constexpr int AliasId = 1012;

    class MoveableErrProv : public ErrorProvider
    {
    public:
        MoveableErrProv(OWL::TWindow* parent, int x, int y);
    };

    StaticTextErrorProvider(OWL::TWindow* parent, const wchar_t* text);
    explicit StaticTextErrorProvider(OWL::TWindow* parent);
    ~StaticTextErrorProvider() override;

    void SetText(const wchar_t* text);
    void SetError(bool show, const Orv::String& title, const Orv::String& text);
    void SetupWindow() override;

    // Where the icon belongs, in the parent's client coordinates.
    OWL::TPoint IconPosition() const;
    MoveableErrProv& Icon() { return *icon_; }

protected:
    void EvMove(const OWL::TPoint& clientOrigin);

private:
    bool MoveIcon();

    // A child of the parent like the label, so the parent may delete it first.
    MoveableErrProv* icon_ = nullptr;

    DECLARE_RESPONSE_TABLE(StaticTextErrorProvider);
};

} // namespace OrvControls
