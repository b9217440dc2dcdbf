// A push or toggle button with an image and a caption that lights up while the pointer is over it and
// shows a help popup after the pointer rests on it.
#pragma once

#include "controls/windows/Popup.h"
#include "foundation/text/String.h"
#include "platform/owl/controls/GlyphButton.h"

#include <memory>
#include <string>

namespace OrvControls
{

class TBmpTxtButton : public OWL::TGlyphButton
{
public:
    static constexpr UINT HoverTimer = 1;
    static constexpr int HoverTick = 500;

    TBmpTxtButton(OWL::TWindow* parent, int id, const wchar_t* caption, int x, int y, int w, int h,
                  const Orv::String& helpText, bool isDefault = false, OWL::TModule* module = nullptr);
    TBmpTxtButton(OWL::TWindow* parent, int resourceId, const Orv::String& helpText,
                  OWL::TModule* module = nullptr);
    ~TBmpTxtButton() override;

    void SetBitmap(UINT bitmapId);
    // The text of the help popup.
    void SetHelpText(const Orv::String& text) { helpText_ = text; }
    void SetupWindow() override;
    void PaintFrame(OWL::TDC& dc, OWL::TRect& rect) override;
    void PaintFace(OWL::TDC& dc, const OWL::TRect& rect) override;

    bool Hot() const { return hot_; }
    bool Clicked() const { return clicked_; }
    bool Tracking() const { return tracking_; }
    bool PopupShown() const { return popupShown_; }
    const Orv::Popup* CurrentPopup() const { return popup_.get(); }

    int toggleMode = 0;
    int toggleState = 0;
    int helpPopupTime = 5000;
    bool parentColouredBackground = false;

protected:
    void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonUp(UINT modKeys, const OWL::TPoint& point);
    void EvKeyUp(UINT key, UINT repeatCount, UINT flags);
    void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
    void EvOtherButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvMouseLeave();
    void EvTimer(UINT timerId);
    void EvKillFocus(HWND getsFocus);
    void EvCancelMode();
    LRESULT EvThemeChanged(WPARAM, LPARAM);
    LRESULT EvEnableButton(WPARAM enabled, LPARAM);

private:
    void Init();
    void LeaveHot();
    void EndPopup();
    void Cancel();
    bool IsPushButton() const { return toggleMode == 0; }

    HTHEME theme_ = nullptr;
    bool unthemed_ = true;
    bool hot_ = false;
    bool clicked_ = false;
    bool keyboardFocus_ = false;
    bool tracking_ = false;
    std::wstring themeClass_ = L"BUTTON";
    Orv::String helpText_;
    std::unique_ptr<Orv::Popup> popup_;
    bool popupShown_ = false;
    int hoverTime_ = 0;
    // The glyph the button owns through its base, kept to draw it.
    OWL::TBitmap* glyph_ = nullptr;

    DECLARE_RESPONSE_TABLE(TBmpTxtButton);
};

} // namespace OrvControls
