// A bitmap compatible with the screen, selected into a memory context that tests draw on.
#pragma once

#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"

#include <optional>

namespace TableViewTests
{

struct ScreenBitmap
{
    ScreenBitmap(int width, int height) : screen(GetDC(nullptr)), memory(screen)
    {
        bitmap.Reset(CreateCompatibleBitmap(screen, width, height));
        selected.emplace(memory.Get(), bitmap.Get());
        const RECT all{0, 0, width, height};
        FillRect(memory.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~ScreenBitmap()
    {
        selected.reset();
        ReleaseDC(nullptr, screen);
    }
    HDC screen;
    Orv::MemoryDc memory;
    Orv::UniqueBitmap bitmap;
    std::optional<OWL::SelectedObject> selected;
};

} // namespace TableViewTests
