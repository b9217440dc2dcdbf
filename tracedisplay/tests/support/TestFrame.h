// A borderless top-level window for the controls and trace windows under test.
#pragma once

#include "platform/owl/window/Window.h"

namespace TraceTest
{

class TestFrame : public OWL::TWindow
{
public:
    explicit TestFrame(int width = 300, int height = 100) : OWL::TWindow(nullptr, L"Trace")
    {
        Attr.Style = WS_POPUP;
        Attr.W = width;
        Attr.H = height;
    }
};

} // namespace TraceTest
