#include "platform/owl/Failure.h"

#include "foundation/com/XOrv.h"

namespace OWL
{

void ThrowLastError(const wchar_t* what)
{
    const DWORD error = GetLastError();
    throw XOrv(Orv::String(what), error ? HRESULT_FROM_WIN32(error) : E_FAIL);
}

} // namespace OWL
