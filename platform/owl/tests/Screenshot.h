// Test pictures: what a test drew, saved as a PNG under build/screenshots/ for a person to look at.
#pragma once

#include <windows.h>

#include <string>

namespace OwlTest
{

// Saves the bitmap as build/screenshots/<name>.png; returns the path (empty when it could not be saved).
std::wstring SaveBitmapPng(HBITMAP bitmap, const std::wstring& name);

// Copies what the screen shows in the rectangle (screen coordinates) into a new bitmap; the caller deletes it.
HBITMAP CopyScreenRect(const RECT& rect);

// Copies what the window shows on the screen into a new bitmap and saves it.
std::wstring SaveWindowPng(HWND window, const std::wstring& name);

// Sends and dispatches the thread's waiting messages.
void PumpMessages();

} // namespace OwlTest
