// Small shared windows: a borderless help popup near the mouse, and a static control that draws a bitmap
// with a transparent colour.
#pragma once

#include "foundation/text/String.h"
#include "platform/owl/controls/Control.h"
#include "platform/owl/gdi/GdiObjects.h"
#include "platform/owl/window/Window.h"

#include <memory>

namespace Orv
{

class Popup : public OWL::TWindow
{
public:
    static constexpr COLORREF Background = RGB(255, 255, 225);
    // Text wider than this wraps onto further lines.
    static constexpr int WrapWidth = 300;

    // Opens at point + (2, 2), sized to its text, without taking the focus.
    Popup(OWL::TWindow* parent, const OWL::TPoint& point, const String& text, int = 0, int = 0, int = 0);
    ~Popup() override;

    bool Create() override;
    void SetupWindow() override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;

private:
    String text_;
    OWL::TGadgetWindowFont2 font_;
    OWL::TPoint position_;
};

} // namespace Orv

namespace OrvControls
{

class BitmapWindow : public OWL::TStatic
{
public:
    // Draws with the destination rectangle of the bitmap after the bitmap is drawn.
    struct PaintHook
    {
        virtual ~PaintHook() = default;
        virtual void Paint(OWL::TDC& dc, const OWL::TRect& destination) = 0;
    };
    enum Mode
    {
        Recorded = 0,
        BottomAligned = 1,
        Centred = 2,
        Origin = 3,
        SizedToBitmap = 4,
    };

    BitmapWindow(OWL::TWindow* parent, int, int, std::unique_ptr<OWL::TBitmap> bitmap, int = 0, int = 0, int = 0,
                 int = 0);
    ~BitmapWindow() override;

    void SetupWindow() override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;

    int mode = SizedToBitmap;
    std::unique_ptr<PaintHook> paintHook;

private:
    // Where the bitmap goes in the window and from where in the bitmap.
    void Destination(OWL::TRect& destination, OWL::TPoint& source) const;

    std::unique_ptr<OWL::TBitmap> bitmap_;
    OWL::TRect recorded_;

    DECLARE_RESPONSE_TABLE(BitmapWindow);
};

} // namespace OrvControls
