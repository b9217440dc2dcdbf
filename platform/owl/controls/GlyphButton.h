// OWL::TGlyphButton: a push button that paints itself with a glyph and its caption: in the button
// theme when visual styles are on, and in the classic 3-D look when they are off or a theme call
// fails. Its state is a set of bits (IsSet/Set/Clear) that derived buttons read and change.
#pragma once

#include "platform/owl/controls/Control.h"
#include "platform/owl/gdi/GdiObjects.h"
#include "platform/owl/gdi/UIParts.h"

#include <memory>

namespace OWL
{

class TDC;

class TGlyphButton : public TButton
{
public:
    // Where the glyphs come from: the owner sets them with SetGlyph.
    enum TGlyphType
    {
        btCustom = 16,
    };
    enum TGlyphKind
    {
        gtUp,
        gtDown,
        gtDisabled,
    };
    // State bits.
    enum : unsigned
    {
        biPushed = 0x0001,
        biFocus = 0x0002,
        biDefault = 0x0004,
        biDisabled = 0x0008,
        biShowText = 0x0010,
        biShowGlyph = 0x0020,
        biGtDown = 0x0100,
        biGtDisabled = 0x0200,
    };

    TGlyphButton(TWindow* parent, int id, const wchar_t* text, int x, int y, int w, int h,
                 TGlyphType type = btCustom, bool isDefault = false, TModule* module = nullptr);
    TGlyphButton(TWindow* parent, int resourceId, TGlyphType type = btCustom, TModule* module = nullptr);

    DECLARE_RESPONSE_TABLE(TGlyphButton);

    void SetupWindow() override;
    void Paint(TDC& dc, bool erase, TRect& rect) override;

    // Takes the glyph of one look (owned when autoDelete).
    void SetGlyph(TBitmap* glyph, TGlyphKind kind = gtUp, TAutoDelete autoDelete = AutoDelete);

    bool IsSet(unsigned bits) const { return (State & bits) != 0; }
    void Set(unsigned bits) { State |= bits; }
    void Clear(unsigned bits) { State &= ~bits; }

    // Splits the face into the glyph's and the caption's rectangles (glyph left, caption right).
    virtual void LayoutTextGlyph(const TRect& faceRect, TRect& textRect, TRect& glyphRect);
    virtual void PaintButton(TDC& dc);
    // The frame; shrinks rect to the face inside it.
    virtual void PaintFrame(TDC& dc, TRect& rect);
    virtual void PaintDefaultRect(TDC& dc, TRect& rect);
    virtual void PaintFace(TDC& dc, const TRect& rect);
    virtual void PaintFocusRect(TDC& dc, const TRect& faceRect);

protected:
    bool EvEraseBkgnd(HDC dc);
    void EvLButtonDown(UINT modKeys, const TPoint& point);
    void EvLButtonUp(UINT modKeys, const TPoint& point);
    void EvMouseMove(UINT modKeys, const TPoint& point);
    void EvSetFocus(HWND lostFocus);
    void EvKillFocus(HWND getsFocus);
    void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
    void EvKeyUp(UINT key, UINT repeatCount, UINT flags);
    LRESULT BmSetState(WPARAM pushed, LPARAM);
    LRESULT BmGetState(WPARAM, LPARAM);
    LRESULT EvEnable(WPARAM enabled, LPARAM);
    LRESULT EvSetText(WPARAM, LPARAM text);
    // Tells the parent the button was clicked.
    void Clicked();

    std::unique_ptr<ThemeData> Theme;
    // The theme part the frame is drawn as.
    int ThemePart;
    unsigned State = 0;

private:
    struct Glyph
    {
        TBitmap* bitmap = nullptr;
        bool owned = false;
    };
    void Release(Glyph& glyph);
    const TBitmap* CurrentGlyph() const;

    Glyph Glyphs[3];

public:
    ~TGlyphButton() override;
};

} // namespace OWL
