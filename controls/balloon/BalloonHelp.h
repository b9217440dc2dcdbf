// The balloon tooltip: a borderless pop-up in the shape of a speech balloon whose tail points at an
// anchor, with an optional icon, a bold title, a close button, wrapped text and a clickable link line.
// It draws with the visual styles when the application is themed and with GDI otherwise; a theme call
// that fails while it lays out or paints makes it draw its classic face from then on.
// Its window stays rectangular: the display does not repaint what lies under a shaped pop-up where the
// pop-up's rectangle leaves it uncovered (it showed black there), so the balloon draws its shape over the
// picture the screen showed beneath it just before it appeared.
#pragma once

#include "controls/theme/UxTheme.h"
#include "foundation/com/XOrv.h"
#include "foundation/system/GdiObjects.h"
#include "platform/atl/WindowImpl.h"

#include <commctrl.h>
#include <olectl.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace WTL
{

// Where the balloon stands for an anchor: the quadrant of the work area the anchor is in, the window
// rectangle and the tail triangle (a, tip, c) in window coordinates.
struct BalloonPlacement
{
    int quadrant = 0;
    RECT window{};
    POINT a{}, tip{}, c{};
};

// 0 and 1: the anchor is in the upper half (right, left), the balloon hangs below it; 2 and 3: the lower
// half (left, right), the balloon stands above it.
int BalloonQuadrant(POINT anchor, const RECT& workArea);
// The placement of a balloon of the given outer size (tail included) kept on the work area.
BalloonPlacement PlaceBalloon(POINT anchor, const RECT& workArea, SIZE outer, int margin, int tailSize,
                              bool tailBaseFollowsTip);

class CBalloonHelp
    : public ATL::CWindowImpl<CBalloonHelp, ATL::CWindow, ATL::CWinTraits<WS_POPUP, WS_EX_TOOLWINDOW>>
{
    using Base = ATL::CWindowImpl<CBalloonHelp, ATL::CWindow, ATL::CWinTraits<WS_POPUP, WS_EX_TOOLWINDOW>>;

public:
    DECLARE_WND_CLASS_EX(L"XPBalloonHelp", CS_DBLCLKS | CS_SAVEBITS, COLOR_INFOBK)

    enum Options : UINT
    {
        ShowCloseButton = 0x1,
        ShowInnerShadow = 0x2,
        ShowTopmost = 0x4,
        CloseOnLButtonDown = 0x8,
        CloseOnMButtonDown = 0x10,
        CloseOnRButtonDown = 0x20,
        CloseOnMouseMove = 0x200,
        CloseOnDeactivate = 0x800,
        DeleteThisOnClose = 0x1000,
        DisableFadeIn = 0x2000,
        DisableFadeOut = 0x4000,
        CreateHidden = 0x8000,
        TailBaseFollowsTip = 0x10000,
        MouseInsideWithTolerance = 0x20000,
        ClickableLink = 0x40000,
        MouseInsideStayRect = 0x80000,
    };
    enum Layout : UINT
    {
        IconLeft = 0x1,
        IconRight = 0x2,
        ContentLeft = 0x10,
        ContentCentre = 0x20,
        ContentRight = 0x40,
        TitleLeft = 0x100,
        TitleCentre = 0x200,
        TitleRight = 0x400,
        CloseLeft = 0x1000,
        CloseRight = 0x2000,
    };
    struct Anchor
    {
        int x = 0, y = 0;
        int dx = 0, dy = 0;
        HWND window = nullptr;
    };
    // The tail's rectangle, the body's rectangle and the quadrant of the themed shape. A theme whose stem
    // has no shape of its own (its region is its whole rectangle, drawn as a box over the control the
    // balloon points at) gets the triangle from the body's edge to the tip instead.
    struct TailRecord
    {
        RECT stem{};
        RECT body{};
        int quadrant = 0;
        bool triangle = false;
        POINT corners[3]{};
    };

    CBalloonHelp();
    ~CBalloonHelp() override;

    // Shows the balloon; false only when its window cannot be made.
    virtual bool Create(HWND parent, const wchar_t* title, const wchar_t* content, const POINT* anchorPoint,
                        UINT options, const wchar_t* url, int autoCloseTime, UINT layout);
    // The size of the header and body together.
    virtual SIZE GetContentSize();
    // Whether a screen point counts as over the balloon for closing on mouse movement.
    virtual bool IsPointInside(POINT screen) const;

    void SetIconFromResource(const wchar_t* iconName);
    void SetIcon(HICON icon);
    void SetIconBitmap(HBITMAP bitmap, COLORREF maskColour);
    void SetIconBitmap(HBITMAP bitmap, HBITMAP mask);
    void SetLink(const wchar_t* text, std::function<void()> callback);
    void SetCallback(std::function<void()> callback) { callback_ = std::move(callback); }
    void BalloonAnchorAtWindowCentre(HWND window);
    void SetAnchor(const Anchor& anchor) { anchor_ = anchor; }
    void Hide();
    void Relayout();

    COLORREF Foreground() const;
    COLORREF Background() const;
    int Quadrant() const { return placement_.quadrant; }
    // The tail's tip in screen coordinates.
    POINT TipOnScreen() const;
    bool DrawsThemed() const;

    int margin;
    int tailSize;
    int fadeTime = 200;
    UINT options = ShowCloseButton | ShowInnerShadow;
    int autoCloseTime = 0;
    int mouseTolerance = 3;
    OLE_COLOR foreground = 0x80000017;
    OLE_COLOR background = 0x80000018;
    RECT stayRect{};
    int minWidth = 0;

    BEGIN_MSG_MAP(CBalloonHelp)
        MESSAGE_HANDLER(WM_NCCALCSIZE, OnNcCalcSize)
        MESSAGE_HANDLER(WM_NCPAINT, OnNcPaint)
        MESSAGE_HANDLER(WM_PRINT, OnPrint)
        MESSAGE_HANDLER(WM_PAINT, OnPaint)
        MESSAGE_HANDLER(WM_ERASEBKGND, OnEraseBkgnd)
        MESSAGE_HANDLER(WM_MOUSEMOVE, OnMouseMove)
        MESSAGE_HANDLER(WM_LBUTTONDOWN, OnLButtonDown)
        MESSAGE_HANDLER(WM_MBUTTONDOWN, OnOtherButtonDown)
        MESSAGE_HANDLER(WM_RBUTTONDOWN, OnOtherButtonDown)
        MESSAGE_HANDLER(WM_LBUTTONUP, OnLButtonUp)
        MESSAGE_HANDLER(WM_TIMER, OnTimer)
        MESSAGE_HANDLER(WM_CAPTURECHANGED, OnCaptureChanged)
        MESSAGE_HANDLER(WM_MOUSEACTIVATE, OnMouseActivate)
        MESSAGE_HANDLER(WM_ACTIVATEAPP, OnActivateApp)
        MESSAGE_HANDLER(WM_THEMECHANGED, OnThemeChanged)
        MESSAGE_HANDLER(WM_SYSCOLORCHANGE, OnThemeChanged)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
    END_MSG_MAP()

protected:
    void OnFinalMessage(HWND handle) override;

    // Runs a step that may draw themed; when a theme call fails, the balloon gives up its theme and
    // runs the step again classically.
    template <class Step>
    void ThemedOrClassic(Step step)
    {
        try
        {
            step();
        }
        catch (const XOrv&)
        {
            themeFailed_ = true;
            step();
        }
    }

    // Header and body measured, or drawn when draw is set, from the client area's top-left.
    SIZE Header(HDC dc, bool draw);
    SIZE Body(HDC dc, bool draw, int top);
    // Measured with the theme when one is given, else with GDI.
    SIZE TextSize(HDC dc, ThemeDataHandle* theme, const std::wstring& text, UINT format, int width, HFONT font,
                  int part, int state);
    void DrawCloseButton(HDC dc, UINT state);
    void DrawTriangleTail(HDC dc, const TailRecord& tail);
    void PaintClient(HDC dc);
    void PaintFrame(HDC dc);
    HRGN ClassicRegion(int width, int height) const;
    HRGN ThemedRegion(HDC dc, int width, int height);
    void ApplyRegion(HRGN region);
    // Keeps what the screen shows under the window's rectangle, the balloon not yet shown.
    void TakeScreenBeneath();
    void PaintScreenBeneath(HDC windowDc, const RECT& window) const;
    void MakeFonts();
    // Makes the "TOOLTIP" and "TEXTSTYLE" handles for the window.
    virtual void OpenThemes();
    void Show();
    POINT AnchorPoint() const;
    const RECT& WorkArea();
    RECT PlacementArea(SIZE outer);
    RECT BodyRect(int width, int height) const;
    void OnMouseAt(POINT client);
    void SetImageList(HIMAGELIST list);

    LRESULT OnNcCalcSize(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnNcPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPrint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnEraseBkgnd(UINT, WPARAM, LPARAM, BOOL&) { return 1; }
    LRESULT OnMouseMove(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnOtherButtonDown(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnLButtonUp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnTimer(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnCaptureChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnMouseActivate(UINT, WPARAM, LPARAM, BOOL&) { return MA_NOACTIVATE; }
    LRESULT OnActivateApp(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnThemeChanged(UINT, WPARAM, LPARAM, BOOL&);
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL&);

    HFONT titleFont_ = nullptr;
    HFONT contentFont_ = nullptr;
    bool ownsContentFont_ = false;
    std::wstring content_;
    std::wstring linkText_;
    std::wstring url_;
    Anchor anchor_;
    RECT workArea_{};
    bool haveWorkArea_ = false;
    HIMAGELIST icon_ = nullptr;
    POINT showCursor_{};
    UINT closeState_ = 0;
    HRGN region_ = nullptr;
    Orv::UniqueBitmap beneath_;
    POINT beneathOrigin_{};
    UINT layout_ = IconLeft | ContentLeft | TitleLeft | CloseRight;
    RECT linkRect_{};
    RECT closeRect_{};
    std::function<void()> callback_;
    std::unique_ptr<ThemeDataHandle> tooltipTheme_;
    std::unique_ptr<ThemeDataHandle> textTheme_;
    std::unique_ptr<TailRecord> tailRecord_;
    int closeWidth_ = 14;
    int closeHeight_ = 14;
    BalloonPlacement placement_;
    bool themeFailed_ = false;
};

} // namespace WTL
