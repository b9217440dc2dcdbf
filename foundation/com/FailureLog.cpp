#include "foundation/com/FailureLog.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/XOrv.h"

#include <atomic>
#include <cwchar>

namespace Orv
{

namespace
{

void WriteToDebugger(const std::wstring& text) noexcept
{
    OutputDebugStringW((text + L"\n").c_str());
}

std::atomic<FailureSink> sink{&WriteToDebugger};

} // namespace

FailureSink SetFailureSink(FailureSink replacement) noexcept
{
    return sink.exchange(replacement ? replacement : &WriteToDebugger);
}

void LogFailure(const std::wstring& text) noexcept
{
    sink.load()(text);
}

void LogHandlerFailure(HWND window, UINT msg, HRESULT code) noexcept
{
    wchar_t head[112];
    swprintf(head, 112, L"A handler of message 0x%04X failed with 0x%08lX in a window of class ", msg,
             static_cast<unsigned long>(code));
    std::wstring text;
    const HRESULT described = CatchReturn([&] {
        wchar_t className[128] = {};
        ::GetClassNameW(window, className, 128);
        text = head + std::wstring(className);
        const String reason = XOrv::MessageFromCode(code);
        if (reason.c_str() && *reason.c_str())
            text += L": " + std::wstring(reason.c_str());
    });
    LogFailure(SUCCEEDED(described) ? text : std::wstring(head));
}

} // namespace Orv
