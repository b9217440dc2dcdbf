// The optional context menu of a graph window: items whose receivers may change how they show before
// the menu opens and hear which was picked.
#pragma once

#include "graph/messages/GraphMessages.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace MGraph1
{

struct GraphMenuItem
{
    uint32_t id = 0; // 0: a separator
    MessSys::MessageReceiver* receiver = nullptr;
    MenuItemFlags flags{true, true, false};
    std::wstring text;
};

class GraphMenu
{
public:
    virtual ~GraphMenu() = default;

    // Shows the menu at the screen point; true when an item was picked (its receiver was told).
    bool Show(HWND owner, int x, int y);

    std::vector<GraphMenuItem> items;
};

// Command ids of the shown items: this plus the item's index.
inline constexpr UINT GraphMenuFirstCommand = 100;

} // namespace MGraph1
