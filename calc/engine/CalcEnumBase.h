// COM bases of the module's calculation enumerators: one reference count behind every face, aggregation
// by a host object (the controlling IUnknown), the host context, an optional inner object that answers
// the interfaces the enumerator does not, and the argument text.
#pragma once

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostapi/CalcInterfaces.h"

#include <atomic>
#include <type_traits>

namespace CalcEnums
{

using Orv::AnswerValue;

// The ICalcEnum face every enumerator has, at the object's start. The IUnknown methods of every face
// go to the controlling IUnknown: the host's outer object when the enumerator is aggregated, else the
// enumerator's own non-delegating IUnknown.
class CalcEnumCommon : public ICalcEnum
{
public:
    CalcEnumCommon(IUnknown* context, uint32_t creationArgument);
    CalcEnumCommon(const CalcEnumCommon&) = delete;
    CalcEnumCommon& operator=(const CalcEnumCommon&) = delete;
    virtual ~CalcEnumCommon() = default;

    // Makes outer the controlling IUnknown (null: the enumerator stands alone).
    void SetOuter(IUnknown* outer) { controlling = outer ? outer : &inner; }
    IUnknown* NonDelegatingUnknown() { return &inner; }
    // An object that answers the interfaces this one does not offer itself.
    void SetInnerObject(IUnknown* object) { innerObject = Orv::ComPtr<IUnknown>(object); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return controlling->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return controlling->Release(); }

    // ICalcEnum slots every enumerator shares.
    HRESULT STDMETHODCALLTYPE SetContextValue(uintptr_t value) override;
    HRESULT STDMETHODCALLTYPE GetContext(IUnknown** out) override;
    HRESULT STDMETHODCALLTYPE GetArgumentText(IOrvString** text) override;
    void STDMETHODCALLTYPE DeleteThis() override { delete this; }

    uint32_t CreationArgument() const { return creationArgument; }
    IUnknown* Context() const { return context.Get(); }

protected:
    // The interfaces the object itself answers, after IUnknown; null for the others.
    virtual void* FindInterface(REFIID iid);
    // The argument text as given to ReadArguments, as a string.
    static Orv::String ArgumentTextOf(IUnknown* arguments);
    // The arguments as the function writes them back to the host: by default the text as read.
    virtual Orv::String WrittenArgumentText() const { return argumentText; }

    Orv::String argumentText;

private:
    class InnerUnknown : public IUnknown
    {
    public:
        explicit InnerUnknown(CalcEnumCommon& owner) : owner(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
        ULONG STDMETHODCALLTYPE AddRef() override;
        ULONG STDMETHODCALLTYPE Release() override;

    private:
        CalcEnumCommon& owner;
    };

    InnerUnknown inner{*this};
    IUnknown* controlling = &inner;
    std::atomic<ULONG> references{0};
    Orv::ComPtr<IUnknown> context;
    Orv::ComPtr<IUnknown> innerObject;
    uint32_t creationArgument;
};

// The time base of the event source the enumerator reads, or the default one while it reads none.
HRESULT AnswerTimeBaseOf(IEnumEventEx* source, TimeBase* timeBase);

// Hands a new copy made by an enumerator's Clone to the caller, with the caller's one reference: an
// aggregating host (outer given) holds it by its non-delegating IUnknown, any other caller by ICalcEnum.
HRESULT HandOutClone(CalcEnumCommon& copy, IUnknown* outer, ICalcEnum** clone);

// An enumerator that yields events: IEnumEventEx as its second face.
class CalcEnumEventBase : public CalcEnumCommon, public IEnumEventEx
{
public:
    using CalcEnumCommon::CalcEnumCommon;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        return CalcEnumCommon::QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return CalcEnumCommon::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CalcEnumCommon::Release(); }
    HRESULT STDMETHODCALLTYPE GetDataKind(uint32_t* kind) override;
    // An event calculation names its kind to any flags query and offers no capabilities.
    HRESULT STDMETHODCALLTYPE QueryFlags(uint32_t requested, uint32_t* flags) override;
    HRESULT STDMETHODCALLTYPE GetCapabilities(uint32_t* capabilities) override;
    // A stand-alone copy made by the enumerator's ICalcEnum Clone, handed out by its event face.
    HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx** clone) override;

protected:
    void* FindInterface(REFIID iid) override;
};

// An enumerator that yields samples: IEnumFloatEx as its second face, IOrvSetCalcVariables as its third.
class CalcEnumBase2 : public CalcEnumCommon, public IEnumFloatEx, public IOrvSetCalcVariables
{
public:
    // The data kind of the module's sample-yielding enumerators.
    static constexpr uint32_t SampleDataKind = 0x801B0001u;

    using CalcEnumCommon::CalcEnumCommon;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        return CalcEnumCommon::QueryInterface(iid, out);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return CalcEnumCommon::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return CalcEnumCommon::Release(); }
    void STDMETHODCALLTYPE DeleteThis() override { CalcEnumCommon::DeleteThis(); }

    HRESULT STDMETHODCALLTYPE GetSourceCount(uint32_t* count) override;
    HRESULT STDMETHODCALLTYPE GetRecord(int32_t* record) override;
    HRESULT STDMETHODCALLTYPE GetDataKind(uint32_t* kind) override;
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override;
    HRESULT STDMETHODCALLTYPE SetCalcVariables(IUnknown* variables) override;

    IUnknown* CalcVariables() const { return calcVariables.Get(); }

protected:
    void* FindInterface(REFIID iid) override;

private:
    Orv::ComPtr<IUnknown> calcVariables;
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
