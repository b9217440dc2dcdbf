// OWL::TButtonGadget and TButtonTextGadget: gadgets that act as buttons: pressed while the left button
// is held over them, a command (WM_COMMAND with the gadget's id to its window) when released over them,
// enabled, checked and worded by the window's command enabling (WM_COMMAND_ENABLE).
#pragma once

#include "platform/owl/ResId.h"
#include "platform/owl/gadgets/Gadget.h"
#include "platform/owl/gdi/GdiObjects.h"
#include "platform/owl/window/CommandEnabler.h"

#include <memory>
#include <string>

namespace OWL
{

class TButtonGadget : public TGadget
{
public:
    enum TType
    {
        Command,       // a push button
        Exclusive,     // one of a group of which one is down
        NonExclusive,  // a toggle
        SemiExclusive, // like exclusive, but a second click pops it up
        RepeatCmd,     // repeats while held (sends its command once per press here)
    };
    enum TState
    {
        Up,
        Down,
        Indeterminate,
    };
    // Command-enable answers the gadget ignores.
    enum : unsigned
    {
        IgnoreCheck = 0x1,
        IgnoreText = 0x2,
    };

    // The glyph is a bitmap resource of the gadget window's module (none for a null id), loaded when
    // the window is made.
    TButtonGadget(TResId glyph, int id, TType type = Command, bool enabled = false, TState state = Up,
                  bool sharedGlyph = false);
    ~TButtonGadget() override;

    TType GetButtonType() const { return Type; }
    TState GetButtonState() const { return State; }
    void SetButtonState(TState state);
    bool IsPressed() const { return Pressed; }
    void SetCommandEnableOptions(unsigned options) { EnableOptions = options; }
    unsigned GetCommandEnableOptions() const { return EnableOptions; }
    // Takes a glyph in place of the resource's (owned).
    void SetGlyph(TBitmap* glyph);
    const TBitmap* GetGlyph() const { return Glyph.get(); }

    void GetDesiredSize(TSize& size) override;
    void CommandEnable() override;
    void Created() override;
    void SysColorChange() override;
    void Paint(TDC& dc) override;
    void PaintBorder(TDC& dc) override;
    void MouseEnter(UINT modKeys, const TPoint& point) override;
    void MouseMove(UINT modKeys, const TPoint& point) override;
    void MouseLeave(UINT modKeys, const TPoint& point) override;
    void LButtonDown(UINT modKeys, const TPoint& point) override;
    void LButtonUp(UINT modKeys, const TPoint& point) override;

    virtual void PaintFace(TDC& dc, const TRect& rect);
    // The pressed phase: begins at the button-down, ends with the command (Activate) or without it.
    virtual void BeginPressed(const TPoint& point);
    virtual void CancelPressed(const TPoint& point, bool mouseStillOver);
    virtual void Activate(const TPoint& point);

protected:
    // The look of the face for the state and the pressed phase.
    TUIFace::TState FaceState() const;
    bool Hot = false;
    bool Pressed = false;
    TPoint BitmapOrigin;

private:
    void LoadGlyph();

    TResId GlyphResource;
    std::unique_ptr<TBitmap> Glyph;
    TType Type;
    TState State;
    unsigned EnableOptions = 0;
};

class TButtonTextGadget : public TButtonGadget
{
public:
    enum TStyle
    {
        sBitmap = 0x1,
        sText = 0x2,
        sBitmapText = 0x3,
    };
    enum TLayoutStyle
    {
        lTextLeft,
        lTextTop,
        lTextRight,
        lTextBottom,
    };
    enum TAlign
    {
        aLeft,
        aCenter,
        aRight,
    };

    TButtonTextGadget(int id, TResId glyph, const wchar_t* text = nullptr, TStyle style = sBitmapText,
                      TLayoutStyle layoutStyle = lTextBottom, TAlign align = aCenter, TType type = Command,
                      bool enabled = false, TState state = Up, bool sharedGlyph = false, UINT numChars = 4);

    const std::wstring& GetText() const { return Text; }
    void SetText(const wchar_t* text);
    TStyle GetStyle() const { return Style; }
    void SetStyle(TStyle style) { Style = style; }
    TLayoutStyle GetLayoutStyle() const { return LayoutStyle; }
    void SetLayoutStyle(TLayoutStyle style) { LayoutStyle = style; }
    TAlign GetAlign() const { return Align; }
    void SetAlign(TAlign align) { Align = align; }
    UINT GetNumChars() const { return NumChars; }
    void SetNumChars(UINT count) { NumChars = count; }
    // The gadget's own font (owned; null: the window's).
    void SetFont(TFont* font) { Font.reset(font); }

    void GetDesiredSize(TSize& size) override;
    void PaintFace(TDC& dc, const TRect& rect) override;

    // The text's size with the font it is drawn in: at least NumChars average characters wide.
    TSize GetTextSize();
    // Splits the face into the text's and the glyph's rectangles by the layout style.
    virtual void Layout(const TRect& faceRect, TRect& textRect, TRect& glyphRect);
    virtual void PaintText(TDC& dc, const TRect& rect, const std::wstring& text);

protected:
    const TFont& TextFont() const;

    std::wstring Text;
    TStyle Style;
    TLayoutStyle LayoutStyle;
    TAlign Align;
    UINT NumChars;
    std::unique_ptr<TFont> Font;
};

} // namespace OWL
