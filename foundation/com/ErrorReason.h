// A failure's reason in words beside its code, carried as the thread's COM error information.
#pragma once

#include <windows.h>

#include <string>

namespace Orv
{

// Returns failure after leaving reason as the thread's error information for the face iid, so that a
// caller that asks (GetErrorInfo) can say why; a caller that does not ask gets the code alone.
HRESULT FailWithReason(HRESULT failure, REFIID iid, const wchar_t* reason) noexcept;
// The reason the thread's error information holds (taking it), empty when there is none.
std::wstring TakeErrorReason();

} // namespace Orv
