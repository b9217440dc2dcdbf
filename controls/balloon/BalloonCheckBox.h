// A check box that explains itself in a balloon when the pointer rests on it; a click or key press ends
// the balloons until the pointer has left.
#pragma once

#include "platform/owl/controls/Control.h"

#include <string>

namespace OrvControls
{

// The balloon's text in lines of at most about 58 characters, each ended by CR LF, broken after a comma
// or a space outside double quotes.
std::wstring WrapBalloonText(const std::wstring& content);

class TBalloonCheckBox : public OWL::TCheckBox
{
public:
    static constexpr UINT HoverTimer = 1;

    TBalloonCheckBox(OWL::TWindow* parent, int resourceId, OWL::TModule* module = nullptr);

    void SetBalloonText(int, const wchar_t* title, const wchar_t* content, int = 0);
    LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    const std::wstring& Title() const { return title_; }
    const std::wstring& Content() const { return content_; }
    bool Tracking() const { return tracking_; }
    bool Shown() const { return shown_; }
    bool Suppressed() const { return suppressed_; }

    bool enabled = true;
    UINT autoCloseTime = 0;
    UINT hoverDelay = 750;
    UINT balloonOptions = 0x4C00;
    UINT icon = 32516;

protected:
    void EvTimer(UINT timerId);
    void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvMButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvRButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvKeyDown(UINT key, UINT repeatCount, UINT flags);

private:
    void Suppress();
    void ShowBalloon();

    bool tracking_ = false;
    bool shown_ = false;
    bool suppressed_ = false;
    std::wstring title_ = L"Title";
    std::wstring content_ = L"Content";
    OWL::TPoint last_{0, 0};

    DECLARE_RESPONSE_TABLE(TBalloonCheckBox);
};

} // namespace OrvControls
