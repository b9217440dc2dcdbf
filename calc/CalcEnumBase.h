// COM base of the module's calculation enumerators: one reference count behind every face, aggregation
// by a host object (the controlling IUnknown), the host context, and the argument text.
#pragma once

#include "foundation/ComPtr.h"
#include "foundation/String.h"
#include "host/include/CalcInterfaces.h"

#include <atomic>

namespace CalcEnums
{

// An enumerator that yields events: ICalcEnum at the object's start, IEnumEventEx as its second face.
// The IUnknown methods of both faces go to the controlling IUnknown: the host's outer object when the
// enumerator is aggregated, else the enumerator's own non-delegating IUnknown.
class CalcEnumEventBase : public ICalcEnum, public IEnumEventEx
{
public:
    CalcEnumEventBase(IUnknown* context, uint32_t creationArgument);
    CalcEnumEventBase(const CalcEnumEventBase&) = delete;
    CalcEnumEventBase& operator=(const CalcEnumEventBase&) = delete;
    virtual ~CalcEnumEventBase() = default;

    // Makes outer the controlling IUnknown (null: the enumerator stands alone).
    void SetOuter(IUnknown* outer) { controlling = outer ? outer : &inner; }
    IUnknown* NonDelegatingUnknown() { return &inner; }

    // IUnknown of both faces.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return controlling->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return controlling->Release(); }

    // ICalcEnum slots every enumerator shares.
    HRESULT STDMETHODCALLTYPE SetContextValue(uintptr_t value) override;
    HRESULT STDMETHODCALLTYPE GetContext(IUnknown** out) override;
    HRESULT STDMETHODCALLTYPE GetArgumentText(IOrvString** text) override;
    HRESULT STDMETHODCALLTYPE GetDataKind(uint32_t* kind) override;
    void STDMETHODCALLTYPE DeleteThis() override { delete this; }

    uint32_t CreationArgument() const { return creationArgument; }
    IUnknown* Context() const { return context.Get(); }

protected:
    // The interfaces the object itself answers (after the IUnknown check).
    virtual void* FindInterface(REFIID iid);
    // The argument text as given to ReadArguments, as a string.
    static Orv::String ArgumentTextOf(IUnknown* arguments);

    Orv::String argumentText;

private:
    class InnerUnknown : public IUnknown
    {
    public:
        explicit InnerUnknown(CalcEnumEventBase& owner) : owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        CalcEnumEventBase& owner;
    };

    InnerUnknown inner{*this};
    IUnknown* controlling = &inner;
    std::atomic<ULONG> references{0};
    Orv::ComPtr<IUnknown> context;
    uint32_t creationArgument;
};

// An enumerator T aggregated by a host object: its IUnknown calls go to outer, and the host holds it
// through its non-delegating IUnknown.
template <class T>
class CalcEnumAgg : public T
{
public:
    template <class... Args>
    explicit CalcEnumAgg(IUnknown* outer, Args&&... args) : T(std::forward<Args>(args)...)
    {
        this->SetOuter(outer);
    }
};

} // namespace CalcEnums
