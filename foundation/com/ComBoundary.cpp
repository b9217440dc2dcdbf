#include "foundation/com/ComBoundary.h"

#include "foundation/com/ErrorReason.h"
#include "foundation/com/XOrv.h"

#include <new>

namespace Orv
{

HRESULT ResultOfCurrentException() noexcept
{
    try
    {
        throw;
    }
    catch (const XOrv& error)
    {
        const HRESULT code = FAILED(error.Code()) ? error.Code() : E_FAIL;
        // The thrower's words go with the code as the thread's error information, so that a caller that
        // asks can say what went wrong; a code alone leaves what an inner call said there untouched.
        if (error.Reason().IsEmpty())
            return code;
        return FailWithReason(code, GUID_NULL, error.Reason().c_str());
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

} // namespace Orv
