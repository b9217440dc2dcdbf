// OWL::TScrollBar and TUpDown. A scroll bar's parent hands the bar's WM_HSCROLL and WM_VSCROLL to the
// bar's object, which turns each scroll code into one of its SB operations; by default they move the
// thumb by a line, a page, or to where it was dragged.
#pragma once

#include "platform/owl/controls/Control.h"

#include <commctrl.h>

namespace OWL
{

class TScrollBar : public TControl
{
public:
    TScrollBar(TWindow* parent, int id, int x, int y, int w, int h, bool isHorizontal, TModule* module = nullptr);
    TScrollBar(TWindow* parent, int resourceId, TModule* module = nullptr);

    DECLARE_RESPONSE_TABLE(TScrollBar);

    const wchar_t* GetClassName() override { return L"SCROLLBAR"; }
    void SetupWindow() override;

    void GetRange(int& min, int& max) const;
    void SetRange(int min, int max, bool redraw = true);
    int GetPosition() const;
    void SetPosition(int position, bool redraw = true);
    int GetPageMagnitude() const { return PageMagnitude; }
    void SetPageMagnitude(int pageMagnitude);
    int GetLineMagnitude() const { return LineMagnitude; }
    void SetLineMagnitude(int lineMagnitude) { LineMagnitude = lineMagnitude; }
    // Sets the position by how far the thumb moves; the position it moved by.
    int DeltaPos(int delta);

    virtual void SBLineUp();
    virtual void SBLineDown();
    virtual void SBPageUp();
    virtual void SBPageDown();
    virtual void SBThumbPosition(int thumbPosition);
    virtual void SBThumbTrack(int thumbPosition);
    virtual void SBTop();
    virtual void SBBottom();
    virtual void SBEndScroll();

protected:
    void EvHScroll(UINT code, UINT position, HWND bar);
    void EvVScroll(UINT code, UINT position, HWND bar);
    // Turns a scroll code into its SB operation.
    void DispatchScroll(UINT code, int position);

    int LineMagnitude = 1;
    int PageMagnitude = 10;
};

class TUpDown : public TControl
{
public:
    TUpDown(TWindow* parent, int id, int x, int y, int w, int h, TWindow* buddy = nullptr, TModule* module = nullptr);
    TUpDown(TWindow* parent, int resourceId, TWindow* buddy = nullptr, TModule* module = nullptr);

    const wchar_t* GetClassName() override;
    void SetupWindow() override;

    void SetRange(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    int GetPos() const;
    int SetPos(int position);
    void SetBuddy(HWND buddy) { SendMessage(UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy)); }
    HWND GetBuddy() const { return reinterpret_cast<HWND>(SendMessage(UDM_GETBUDDY)); }

private:
    TWindow* Buddy;
    int Lower = 0;
    int Upper = 100;
    int Position = 0;
};

} // namespace OWL
