// Conversions between the host's UTF-16 text and the UTF-8 of the console and files.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace Host
{

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);
// The text with its ASCII letters in lower case, as names are compared.
std::string LowerCase(std::string text);

// The text a window shows (a control's contents, a window's title).
std::wstring WindowText(HWND window);

// The operating system's text for an error code, without its line end.
std::string SystemErrorText(DWORD error);

// "0x80004005" style.
std::string HResultText(HRESULT code);

// A failure in words with its code beside them: the reason the callee gave (reason, or what the thread's
// error information holds), else the system's text for the code, else the code alone.
std::string FailureText(HRESULT code, const std::wstring& reason = {});

} // namespace Host
