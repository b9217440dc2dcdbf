// Conversions between the host's UTF-16 text and the UTF-8 of the console and files.
#pragma once

#include <windows.h>

#include <string>

namespace Host
{

std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

// The operating system's text for an error code, without its line end.
std::string SystemErrorText(DWORD error);

// "0x80004005" style.
std::string HResultText(HRESULT code);

} // namespace Host
