// One collapsible pane of the workflow view: a header strip (title, state icon, chevron, optional
// header button) above a content window that the parent hands over when the pane opens. A click on the
// header opens or closes the pane over 120 ms; every step and state change is told to the parent.
#pragma once

#include "platform/atl/WindowImpl.h"

#include <uxtheme.h>
#include <windows.h>

#include <memory>
#include <string>

namespace Gdiplus
{
class Bitmap;
}

namespace OrvControls
{

class Accordion
    : public ATL::CWindowImpl<Accordion, ATL::CWindow,
                              ATL::CWinTraits<WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                                              WS_EX_CONTROLPARENT>>
{
public:
    enum State
    {
        Collapsed = 0,
        Expanding = 1,
        Expanded = 2,
        Collapsing = 3,
    };
    enum Notification : UINT
    {
        NotifyStep = 0x8001,
        NotifyExpanding = 0x8002,
        NotifyCollapsing = 0x8003,
        NotifyButton = 0x8004,
        NotifyHot = 0x8005,
        NotifyLeft = 0x8006,
    };
    // The parent of an expanding pane may return its content window in window.
    struct ExpandNotification
    {
        NMHDR header;
        HWND window;
    };
    static constexpr UINT Remeasure = WM_USER + 1;
    static constexpr UINT SetProblem = WM_USER + 2;
    static constexpr UINT SetReady = WM_USER + 3;
    static constexpr UINT_PTR AnimationTimer = 113;
    static constexpr DWORD AnimationTime = 120;

    Accordion();
    ~Accordion() override;

    void Expand(bool expand);

    virtual void DrawBackground(HDC dc, bool hot);
    virtual void DrawHeader(HDC dc, bool hot);
    virtual void DrawHeaderText(HDC dc, bool hot);
    virtual COLORREF GetTextColor() { return RGB(68, 68, 68); }
    virtual COLORREF GetHotTextColor() { return RGB(0, 0, 0); }

    int GetState() const { return state_; }
    bool IsExpanded() const { return expanded_; }
    HWND Content() const { return content_; }
    int HeaderHeight() const { return headerHeight_; }
    int Margin() const;

    bool keepContent = false;
    bool chevronLeft = false;
    bool hasButton = false;
    UINT styleOption = 0;

    BEGIN_MSG_MAP(Accordion)
        MESSAGE_HANDLER(WM_CREATE, OnCreate)
        MESSAGE_HANDLER(WM_NCDESTROY, OnNcDestroy)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_LBUTTONDBLCLK, OnLButtonDblClk)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_MOUSELEAVE, OnMouseLeave)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_WINDOWPOSCHANGING, OnWindowPosChanging)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
        MESSAGE_HANDLER(Remeasure, OnRemeasure)
        MESSAGE_HANDLER(SetProblem, OnSetProblem)
        MESSAGE_HANDLER(SetReady, OnSetReady)
    END_MSG_MAP()

protected:
    using Image = std::shared_ptr<Gdiplus::Bitmap>;

    LRESULT OnCreate(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcDestroy(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDblClk(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseLeave(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnWindowPosChanging(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnRemeasure(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetProblem(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnSetReady(UINT, WPARAM, LPARAM, BOOL&);

private:
    void Notify(UINT code);
    void StartAnimation();
    void RepaintNow();
    RECT HeaderRect() const;
    RECT ChevronRect();
    RECT ButtonRect();
    RECT StateIconRect();
    int ContentHeight() const;
    void LoadImages();
    void DrawImage(HDC dc, const Image& image, const RECT& at);
    void PaintHeaderAndText(HDC dc, bool hot);
    void ShowProblemBalloon(const RECT& icon);

    int state_ = Collapsed;
    bool expanded_ = false;
    bool swallowButtonUp_ = false;
    bool previousHot_ = false;
    bool hot_ = false;
    bool buttonHot_ = false;
    int collapsedHeight_ = 0;
    int startHeight_ = 0;
    int targetHeight_ = 0;
    int headerHeight_ = 0;
    int width_ = 0;
    uint64_t animationStart_ = 0;
    bool animating_ = false;
    bool ready_ = false;
    bool problem_ = false;
    bool noAnimation_ = false;
    bool buffered_ = false;
    Image readyImage_, problemImage_;
    Image chevronDown_, chevronUp_, chevronDownHot_, chevronUpHot_;
    Image buttonImage_, buttonHotImage_;
    POINT lastPointer_{};
    RECT balloonRect_{};
    HFONT headerFont_ = nullptr;
    HWND content_ = nullptr;
    std::wstring problemTitle_, problemText_;
};

} // namespace OrvControls
