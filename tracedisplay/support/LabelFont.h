// The font of the trace display's labels: the default GUI font's face at a point size.
#pragma once

#include "platform/owl/gdi/GdiObjects.h"

#include <windows.h>

#include <memory>

namespace StrixDraw
{

// 10 points, or 12 when the application speaks Chinese or Japanese.
int DefaultLabelPoints();

// The label font at the point size for the device context (the screen's when there is none).
std::unique_ptr<OWL::TFont> MakeLabelFont(HDC dc, int points);

} // namespace StrixDraw
