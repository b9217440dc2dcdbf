// The common part of the module's multi-threaded COM objects: a reference count that any thread may
// change, and a lock for the object's own state.
#pragma once

#include "foundation/com/CriticalSection.h"

#include <windows.h>

namespace Orv
{

class CComObjectRoot
{
public:
    explicit CComObjectRoot(LONG initialReferences = 0) : references_(initialReferences) {}
    CComObjectRoot(const CComObjectRoot&) = delete;
    CComObjectRoot& operator=(const CComObjectRoot&) = delete;

    ULONG InternalAddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    // The references left; the object is the caller's to destroy when none are.
    ULONG InternalRelease() { return static_cast<ULONG>(InterlockedDecrement(&references_)); }
    // Parks the count, for an object about to destroy itself, where no further release reaches zero.
    void InternalSetReferences(LONG references) { InterlockedExchange(&references_, references); }
    // The count as it stands, for an object that must see whether a call it made referenced it.
    LONG InternalReferences() const { return references_; }

    // Release of an object that destroys itself: at zero the count is parked where calls made during the
    // destruction can never reach zero again, then destroy runs.
    template <class Destroy>
    ULONG ReleaseWith(Destroy&& destroy)
    {
        const ULONG left = InternalRelease();
        if (left == 0)
        {
            InternalSetReferences(DestroyingReferences);
            destroy();
        }
        return left;
    }

    CriticalSection& ObjectLock() { return section_; }

protected:
    ~CComObjectRoot() = default;

private:
    static constexpr LONG DestroyingReferences = static_cast<LONG>(0xC0000001);

    volatile LONG references_;
    CriticalSection section_;
};

} // namespace Orv
