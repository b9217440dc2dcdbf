// OWL::TGadgetWindow: a strip of gadgets that lays itself out (left to right, or top to bottom) and
// routes mouse input to the gadget under the pointer. With shrink-wrapping it sizes itself to its
// gadgets in that direction. Commands of its button gadgets go to its own response table and, when
// that has none for them, on to its parent.
#pragma once

#include "platform/owl/gadgets/Gadget.h"
#include "platform/owl/gdi/GdiObjects.h"
#include "platform/owl/window/Window.h"

#include <memory>
#include <vector>

namespace OWL
{

// The gadgets of a window, in order; the list owns them.
class TGadgetList
{
public:
    enum TPlacement
    {
        Before,
        After,
    };

    TGadgetList() = default;
    virtual ~TGadgetList();
    TGadgetList(const TGadgetList&) = delete;
    TGadgetList& operator=(const TGadgetList&) = delete;

    // Takes the gadget; without a sibling, at the end (After) or the start (Before).
    virtual void Insert(TGadget& gadget, TPlacement placement = After, TGadget* sibling = nullptr);
    // Gives the gadget back to the caller.
    virtual TGadget* Remove(TGadget& gadget);
    int GadgetCount() const { return static_cast<int>(Gadgets.size()); }
    TGadget* FirstGadget() const { return Gadgets.empty() ? nullptr : Gadgets.front(); }
    TGadget* NextGadget(TGadget& gadget) const;
    TGadget* GadgetWithId(int id) const;
    const std::vector<TGadget*>& GetGadgets() const { return Gadgets; }

protected:
    virtual void Inserted(TGadget& gadget) = 0;
    virtual void Removed(TGadget& gadget) = 0;

    std::vector<TGadget*> Gadgets;
};

class TGadgetWindow : public TWindow, public TGadgetList
{
public:
    enum TTileDirection
    {
        Horizontal,
        Vertical,
    };
    // Flat styles (bits): FlatStandard draws buttons without borders until the pointer is over them.
    enum TFlatStyle : unsigned
    {
        NonFlat = 0x0000,
        FlatStandard = 0x0001,
        FlatGrayButtons = 0x0002,
        FlatHotText = 0x0004,
    };

    // The window takes the font (a message-box font when none is given).
    TGadgetWindow(TWindow* parent = nullptr, TTileDirection direction = Horizontal, TFont* font = nullptr,
                  TModule* module = nullptr);
    ~TGadgetWindow() override;

    DECLARE_RESPONSE_TABLE(TGadgetWindow);

    const wchar_t* GetClassName() override { return L"OwlGadgetWindow"; }
    void SetupWindow() override;
    void Paint(TDC& dc, bool erase, TRect& rect) override;
    bool IdleAction(long idleCount) override;
    LRESULT EvCommand(UINT id, HWND control, UINT notifyCode) override;

    void Insert(TGadget& gadget, TPlacement placement = After, TGadget* sibling = nullptr) override;

    TTileDirection GetDirection() const { return Direction; }
    void SetDirection(TTileDirection direction);
    void SetShrinkWrap(bool width, bool height);
    bool GetShrinkWrapWidth() const { return ShrinkWrapWidth; }
    bool GetShrinkWrapHeight() const { return ShrinkWrapHeight; }
    void SetMargins(const TMargins& margins);
    TFont& GetFont() const { return *Font; }
    int GetFontHeight() const;
    static unsigned GetFlatStyle() { return FlatStyle; }
    static void SetFlatStyle(unsigned style) { FlatStyle = style; }

    // Measures the gadgets, sizes the window when it shrink-wraps, and places the gadgets.
    virtual void LayoutSession();
    // The window's size for its gadgets (frame included).
    virtual void GetDesiredSize(TSize& size);
    // The visible gadget under the point (window coordinates), or null.
    TGadget* GadgetFromPoint(const TPoint& point) const;
    // A gadget takes the window's mouse input until it releases it.
    bool GadgetSetCapture(TGadget& gadget);
    void GadgetReleaseCapture(TGadget& gadget);
    TGadget* GetCapture() const { return Capture; }
    TGadget* GetAtMouse() const { return AtMouse; }

    // A margin in pixels for this window's font.
    int ToPixels(TMargins::TUnits units, int value) const;

protected:
    void EvMouseMove(UINT modKeys, const TPoint& point);
    void EvLButtonDown(UINT modKeys, const TPoint& point);
    void EvLButtonUp(UINT modKeys, const TPoint& point);
    void EvRButtonDown(UINT modKeys, const TPoint& point);
    void EvRButtonUp(UINT modKeys, const TPoint& point);
    void EvMouseLeave();
    void EvSize(UINT sizeType, const TSize& size);
    void EvSysColorChange();

    void Inserted(TGadget& gadget) override;
    void Removed(TGadget& gadget) override;

    TTileDirection Direction;
    bool ShrinkWrapWidth = true;
    bool ShrinkWrapHeight = true;
    TMargins Margins;
    std::unique_ptr<TFont> Font;
    TGadget* Capture = nullptr;
    TGadget* AtMouse = nullptr;

private:
    // Hands a mouse message to the capturing gadget or the gadget under the point.
    template <class Call>
    void RouteMouse(const TPoint& point, Call call);
    TSize FrameSize() const;
    TRect InnerRect() const;

    static unsigned FlatStyle;
    bool InLayout = false;
    bool TrackingLeave = false;
};

} // namespace OWL
