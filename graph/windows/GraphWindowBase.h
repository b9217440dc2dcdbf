// The child window that hosts a graph drawer: double-buffered painting, mouse-leave tracking, inner
// margins around the drawer and an optional context menu.
#pragma once

#include "graph/windows/GraphMenu.h"
#include "platform/owl/window/Window.h"

namespace MGraph1
{

class GraphWindowBase : public OWL::TWindow
{
public:
    GraphWindowBase(OWL::TWindow* parent, const wchar_t* title = nullptr, OWL::TModule* module = nullptr);
    ~GraphWindowBase() override;

    DECLARE_RESPONSE_TABLE(GraphWindowBase);

    virtual void LayoutDrawer(const RECT& client, bool redraw);
    virtual void PaintContent(HDC dc, bool erase, const RECT& rect);
    virtual void OnMouseLeft() {}

    bool mouseTracking = false;
    int32_t marginLeft = 5, marginTop = 5, marginRight = 5, marginBottom = 5;
    HBITMAP paintBitmap = nullptr;
    int32_t paintWidth = -1, paintHeight = -1;
    GraphMenu menu;
    bool contextMenuEnabled = false;

protected:
    void EvRButtonDown(UINT keys, const OWL::TPoint& point);
    void EvPaint();
    void EvMouseMove(UINT keys, const OWL::TPoint& point);
    void EvSize(UINT sizeType, const OWL::TSize& size);
    bool EvEraseBkgnd(HDC) { return true; }
    void EvMouseLeave();
    // Asks for WM_MOUSELEAVE once the pointer is over the window.
    void TrackMouseLeave();
};

} // namespace MGraph1
