// A shown popup window at a place of the screen: what the controls under test stand on in place of a
// dialog or a view.
#pragma once

#include "platform/owl/window/Window.h"

namespace OwlTest
{

class TestPopup : public OWL::TWindow
{
public:
    TestPopup(const wchar_t* title, int x, int y, int width, int height) : OWL::TWindow(nullptr, title)
    {
        Attr.Style = WS_POPUP | WS_VISIBLE;
        Attr.X = x;
        Attr.Y = y;
        Attr.W = width;
        Attr.H = height;
    }
};

} // namespace OwlTest
