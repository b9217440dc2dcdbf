#include "foundation/com/ComBoundary.h"

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
        return FAILED(error.Code()) ? error.Code() : E_FAIL;
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
