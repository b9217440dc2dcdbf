#include "platform/owl/Failure.h"

#include "foundation/com/XOrv.h"

#include <atomic>

namespace OWL
{

namespace
{

void WriteToDebugger(const std::wstring& text) noexcept
{
    OutputDebugStringW((text + L"\n").c_str());
}

std::atomic<FailureSink> sink{&WriteToDebugger};

} // namespace

void ThrowLastError(const wchar_t* what)
{
    const DWORD error = GetLastError();
    throw XOrv(Orv::String(what), error ? HRESULT_FROM_WIN32(error) : E_FAIL);
}

FailureSink SetFailureSink(FailureSink replacement) noexcept
{
    return sink.exchange(replacement ? replacement : &WriteToDebugger);
}

void LogFailure(const std::wstring& text) noexcept
{
    sink.load()(text);
}

} // namespace OWL
