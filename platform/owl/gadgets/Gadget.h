// OWL::TGadget: one item of a gadget window (a button, a text, a space): not a window of its own but a
// rectangle of its window that measures itself, paints itself and gets the window's mouse input while
// the pointer is over it (or while it holds the window's capture).
#pragma once

#include "platform/owl/Geometry.h"
#include "platform/owl/gdi/UIParts.h"

namespace OWL
{

class TDC;
class TGadgetWindow;

// Space around a gadget's inside or a gadget window's gadgets.
struct TMargins
{
    enum TUnits
    {
        Pixels,
        LayoutUnits, // eighths of the window font's height
        BorderUnits, // widths of a thin border (one pixel)
    };
    TMargins() = default;
    TMargins(TUnits units, int left, int right, int top, int bottom)
        : Units(units), Left(left), Right(right), Top(top), Bottom(bottom)
    {
    }

    TUnits Units = LayoutUnits;
    int Left = 0;
    int Right = 0;
    int Top = 0;
    int Bottom = 0;
};

class TGadget
{
public:
    using TBorderStyle = TUIBorder::TStyle;
    struct TBorders
    {
        int Left = 0, Right = 0, Top = 0, Bottom = 0;
    };

    explicit TGadget(int id = 0, TBorderStyle borderStyle = TUIBorder::None);
    virtual ~TGadget();
    TGadget(const TGadget&) = delete;
    TGadget& operator=(const TGadget&) = delete;

    int GetId() const { return Id; }
    const TRect& GetBounds() const { return Bounds; }
    TGadgetWindow* GetGadgetWindow() const { return Window; }

    void SetBorderStyle(TBorderStyle style);
    void SetBorders(const TBorders& borders) { Borders = borders; }
    void SetMargins(const TMargins& margins) { Margins = margins; }
    void SetShrinkWrap(bool width, bool height)
    {
        ShrinkWrapWidth = width;
        ShrinkWrapHeight = height;
    }
    bool GetEnabled() const { return Enabled; }
    virtual void SetEnabled(bool enabled);
    bool IsVisible() const { return Visible; }
    void SetVisible(bool visible) { Visible = visible; }

    // The size the gadget wants: its borders and margins (derived gadgets add their contents).
    virtual void GetDesiredSize(TSize& size);
    virtual void SetBounds(const TRect& rect);
    virtual bool IdleAction(long idleCount);
    // Asks the window whether the gadget's command is enabled; plain gadgets have no command.
    virtual void CommandEnable();
    virtual void SysColorChange();
    // Its window was made / it was put into / moved in / taken out of a window.
    virtual void Created();
    virtual void Inserted();
    virtual void Moved();
    virtual void Removed();
    // Whether the point (relative to the gadget) is on the gadget.
    virtual bool PtIn(const TPoint& point);
    virtual void Paint(TDC& dc);
    virtual void PaintBorder(TDC& dc);
    // Mouse input, with points relative to the gadget's top-left corner.
    virtual void MouseEnter(UINT modKeys, const TPoint& point);
    virtual void MouseMove(UINT modKeys, const TPoint& point);
    virtual void MouseLeave(UINT modKeys, const TPoint& point);
    virtual void LButtonDown(UINT modKeys, const TPoint& point);
    virtual void LButtonUp(UINT modKeys, const TPoint& point);
    virtual void RButtonDown(UINT modKeys, const TPoint& point);
    virtual void RButtonUp(UINT modKeys, const TPoint& point);

    // The rectangle inside borders and margins, relative to the gadget.
    TRect GetInnerRect();
    void Invalidate(bool erase = true);
    void Update();

protected:
    // Margins and borders in pixels: left+right, top+bottom.
    TSize GetOuterSizes();

    int Id;
    TGadgetWindow* Window = nullptr;
    TRect Bounds;
    TBorderStyle BorderStyle;
    TBorders Borders;
    TMargins Margins;
    bool ShrinkWrapWidth = true;
    bool ShrinkWrapHeight = true;
    bool Enabled = true;
    bool Visible = true;

private:
    friend class TGadgetList;
    friend class TGadgetWindow;
};

} // namespace OWL
