#include "hostframework/views/InterfaceEnum.h"

#include "foundation/com/ComFace.h"

#include <algorithm>
#include <new>

namespace
{
LONG moduleLocks = 0;
}

LONG ModuleLockCount()
{
    return InterlockedCompareExchange(&moduleLocks, 0, 0);
}

InterfaceIdEnum::InterfaceIdEnum(const GUID* const* begin, const GUID* const* end, IUnknown* owner)
    : current_(begin), begin_(begin), end_(end), owner_(owner)
{
    InterlockedIncrement(&moduleLocks);
}

InterfaceIdEnum::~InterfaceIdEnum()
{
    InterlockedDecrement(&moduleLocks);
}

HRESULT STDMETHODCALLTYPE InterfaceIdEnum::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IEnumInterface*>(this), iid, object, IID_IEnumInterface);
}

HRESULT STDMETHODCALLTYPE InterfaceIdEnum::Next(ULONG count, const GUID** ids, ULONG* fetched)
{
    if (!ids || (count != 1 && !fetched))
        return E_POINTER;
    const ULONG copied = static_cast<ULONG>(std::min<ptrdiff_t>(count, end_ - current_));
    std::copy(current_, current_ + copied, ids);
    current_ += copied;
    if (fetched)
        *fetched = copied;
    return copied < count ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE InterfaceIdEnum::Skip(ULONG count)
{
    const ULONG skipped = static_cast<ULONG>(std::min<ptrdiff_t>(count, end_ - current_));
    current_ += skipped;
    return skipped < count ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE InterfaceIdEnum::Reset()
{
    current_ = begin_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE InterfaceIdEnum::Clone(IEnumInterface** clone)
{
    if (!clone)
        return E_POINTER;
    auto* copy = new (std::nothrow) InterfaceIdEnum(begin_, end_, owner_.Get());
    *clone = copy;
    if (!copy)
        return E_OUTOFMEMORY;
    copy->current_ = current_;
    copy->AddRef();
    return S_OK;
}
