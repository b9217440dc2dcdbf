#include "host/app/files/TextConversion.h"

#include "foundation/com/ErrorReason.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace Host
{

std::string ToUtf8(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr,
                        nullptr);
    return result;
}

std::wstring FromUtf8(std::string_view text)
{
    if (text.empty())
        return {};
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring result(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size);
    return result;
}

std::string LowerCase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string SystemErrorText(DWORD error)
{
    wchar_t buffer[512] = {};
    const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        error, 0, buffer, 511, nullptr);
    std::wstring text(buffer, length);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r'))
        text.pop_back();
    if (text.empty())
        return "error " + std::to_string(error);
    return ToUtf8(text);
}

std::string HResultText(HRESULT code)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", static_cast<unsigned long>(code));
    return buffer;
}

std::string FailureText(HRESULT code, const std::wstring& reason)
{
    std::wstring words = reason.empty() ? Orv::TakeErrorReason() : reason;
    if (words.empty())
    {
        wchar_t buffer[512] = {};
        const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                            static_cast<DWORD>(code), 0, buffer, 511, nullptr);
        words.assign(buffer, length);
        while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L'.'))
            words.pop_back();
    }
    if (words.empty())
        return HResultText(code);
    return ToUtf8(words) + " (" + HResultText(code) + ")";
}

} // namespace Host
