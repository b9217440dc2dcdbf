#include "calc/engine/CalcEnumBase.h"

#include "foundation/com/ComBoundary.h"

namespace CalcEnums
{

CalcEnumCommon::CalcEnumCommon(IUnknown* context, uint32_t creationArgument)
    : context(context), creationArgument(creationArgument)
{
}

HRESULT STDMETHODCALLTYPE CalcEnumCommon::QueryInterface(REFIID iid, void** out)
{
    return controlling->QueryInterface(iid, out);
}

void* CalcEnumCommon::FindInterface(REFIID iid)
{
    return iid == IID_ICalcEnum ? static_cast<ICalcEnum*>(this) : nullptr;
}

HRESULT STDMETHODCALLTYPE CalcEnumCommon::InnerUnknown::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : owner.FindInterface(iid);
    if (!*out)
        return owner.innerObject ? owner.innerObject->QueryInterface(iid, out) : E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CalcEnumCommon::InnerUnknown::AddRef()
{
    return ++owner.references;
}

ULONG STDMETHODCALLTYPE CalcEnumCommon::InnerUnknown::Release()
{
    const ULONG left = --owner.references;
    if (left == 0)
        owner.DeleteThis();
    return left;
}

HRESULT STDMETHODCALLTYPE CalcEnumCommon::SetContextValue(uintptr_t value)
{
    auto host = context.As<ICalcHostContext>(IID_ICalcHostContext);
    return host ? host->SetValue(value) : S_OK;
}

HRESULT STDMETHODCALLTYPE CalcEnumCommon::GetContext(IUnknown** out)
{
    if (!out)
        return E_POINTER;
    *out = context.Get();
    if (*out)
        (*out)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CalcEnumCommon::GetArgumentText(IOrvString** text)
{
    if (!text)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        const Orv::String written = WrittenArgumentText();
        *text = written.Interface();
        (*text)->AddRef();
    });
}

Orv::String CalcEnumCommon::ArgumentTextOf(IUnknown* arguments)
{
    if (!arguments)
        return Orv::String();
    Orv::ComPtr<IAutoOrvString> text;
    if (FAILED(arguments->QueryInterface(IID_IAutoOrvString, text.PutVoid())))
        arguments->QueryInterface(IID_IOrvString, text.PutVoid());
    return text ? Orv::String::FromInterface(text.Get()) : Orv::String();
}

HRESULT HandOutClone(CalcEnumCommon& copy, IUnknown* outer, ICalcEnum** clone)
{
    IUnknown* inner = copy.NonDelegatingUnknown();
    inner->AddRef();
    if (outer)
    {
        *clone = reinterpret_cast<ICalcEnum*>(inner);
        return S_OK;
    }
    const HRESULT hr = inner->QueryInterface(IID_ICalcEnum, reinterpret_cast<void**>(clone));
    inner->Release();
    return hr;
}

HRESULT AnswerTimeBaseOf(IEnumEventEx* source, TimeBase* timeBase)
{
    if (!timeBase)
        return E_POINTER;
    *timeBase = TimeBase{};
    return source ? source->GetTimeBase(timeBase) : S_OK;
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::GetDataKind(uint32_t* kind)
{
    return CalcEnums::AnswerValue(kind, CalcKindEvents);
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::QueryFlags(uint32_t requested, uint32_t* flags)
{
    return CalcEnums::AnswerValue(flags, requested != 0 ? CalcKindEvents : 0);
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::GetCapabilities(uint32_t* capabilities)
{
    return CalcEnums::AnswerValue(capabilities, 0);
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::Clone(IEnumEventEx** clone)
{
    if (!clone)
        return E_POINTER;
    *clone = nullptr;
    Orv::ComPtr<ICalcEnum> copy;
    const HRESULT hr = static_cast<ICalcEnum*>(this)->Clone(nullptr, copy.Put());
    return FAILED(hr) ? hr : copy->QueryInterface(IID_IEnumEventEx, reinterpret_cast<void**>(clone));
}

void* CalcEnumEventBase::FindInterface(REFIID iid)
{
    if (iid == IID_IEnumEventEx || iid == IID_IEnumExBase)
        return static_cast<IEnumEventEx*>(this);
    return CalcEnumCommon::FindInterface(iid);
}

HRESULT STDMETHODCALLTYPE CalcEnumBase2::GetSourceCount(uint32_t* count)
{
    if (count)
        *count = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CalcEnumBase2::GetRecord(int32_t* record)
{
    if (record)
        *record = 0;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CalcEnumBase2::GetDataKind(uint32_t* kind)
{
    return CalcEnums::AnswerValue(kind, SampleDataKind);
}

HRESULT STDMETHODCALLTYPE CalcEnumBase2::GetScale(TimeBase* timeBase)
{
    return CalcEnums::AnswerValue(timeBase, TimeBase{});
}

HRESULT STDMETHODCALLTYPE CalcEnumBase2::SetCalcVariables(IUnknown* variables)
{
    calcVariables = Orv::ComPtr<IUnknown>(variables);
    return S_OK;
}

void* CalcEnumBase2::FindInterface(REFIID iid)
{
    // Tested in this order: the sample stream, then the object itself, then the third face.
    if (iid == IID_IEnumFloatEx || iid == IID_IEnumExBase)
        return static_cast<IEnumFloatEx*>(this);
    if (void* own = CalcEnumCommon::FindInterface(iid))
        return own;
    if (iid == IID_IOrvSetCalcVariables)
        return static_cast<IOrvSetCalcVariables*>(this);
    return nullptr;
}

} // namespace CalcEnums
