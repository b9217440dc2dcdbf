// An enumerator over a constant array of interface ids, as view classes hand them to the host.
#pragma once

#include "hostapi/VyrViews.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"

// Locks on the module held by live objects (each enumerator holds one).
LONG ModuleLockCount();

class InterfaceIdEnum final : public IEnumInterface, private Orv::CComObjectRoot
{
public:
    // Made with no reference; owner (may be null) is kept referenced for the array's sake.
    InterfaceIdEnum(const GUID* const* begin, const GUID* const* end, IUnknown* owner);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, const GUID** ids, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumInterface** clone) override;

private:
    ~InterfaceIdEnum();

    const GUID* const* current_;
    const GUID* const* begin_;
    const GUID* const* end_;
    Orv::ComPtr<IUnknown> owner_;
};
