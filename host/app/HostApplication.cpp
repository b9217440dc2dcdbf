#include "host/app/HostApplication.h"

#include "foundation/com/ComFace.h"

namespace Host
{

HRESULT STDMETHODCALLTYPE HostApplication::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IUnknown*>(this), iid, object);
}

ULONG STDMETHODCALLTYPE HostApplication::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE HostApplication::Release()
{
    return static_cast<ULONG>(InterlockedDecrement(&references_));
}

} // namespace Host
