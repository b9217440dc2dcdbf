#include "host/app/HostApplication.h"

namespace Host
{

HRESULT STDMETHODCALLTYPE HostApplication::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown))
    {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
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
