// Whether a control shows its text whole: what a person would see cut at a box's edge.
#pragma once

#include "platform/owl/gdi/DC.h"

#include <windows.h>

#include <string>

namespace OwlTest
{

// The edit's text, in its font, fits between its left and right margins.
inline bool EditShowsItsTextWhole(HWND edit)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(edit)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(edit, text.data(), static_cast<int>(text.size()))));
    const SIZE extent = OWL::ControlTextExtent(edit, text);
    const auto margins = static_cast<DWORD>(SendMessageW(edit, EM_GETMARGINS, 0, 0));
    RECT client{};
    GetClientRect(edit, &client);
    return extent.cx + LOWORD(margins) + HIWORD(margins) <= client.right;
}

} // namespace OwlTest
