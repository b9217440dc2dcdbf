#include "calc/CalcEnumBase.h"

#include "foundation/ComBoundary.h"

namespace CalcEnums
{

CalcEnumEventBase::CalcEnumEventBase(IUnknown* context, uint32_t creationArgument)
    : context(context), creationArgument(creationArgument)
{
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::QueryInterface(REFIID iid, void** out)
{
    return controlling->QueryInterface(iid, out);
}

void* CalcEnumEventBase::FindInterface(REFIID iid)
{
    if (iid == IID_ICalcEnum)
        return static_cast<ICalcEnum*>(this);
    if (iid == IID_IEnumEventEx || iid == IID_IEnumExBase)
        return static_cast<IEnumEventEx*>(this);
    return nullptr;
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::InnerUnknown::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = iid == IID_IUnknown ? static_cast<IUnknown*>(this) : owner.FindInterface(iid);
    if (!*out)
        return E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE CalcEnumEventBase::InnerUnknown::AddRef()
{
    return ++owner.references;
}

ULONG STDMETHODCALLTYPE CalcEnumEventBase::InnerUnknown::Release()
{
    const ULONG left = --owner.references;
    if (left == 0)
        owner.DeleteThis();
    return left;
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::SetContextValue(uintptr_t value)
{
    auto host = context.As<ICalcHostContext>(IID_ICalcHostContext);
    return host ? host->SetValue(value) : S_OK;
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::GetContext(IUnknown** out)
{
    if (!out)
        return E_POINTER;
    *out = context.Get();
    if (*out)
        (*out)->AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::GetArgumentText(IOrvString** text)
{
    if (!text)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        *text = argumentText.Interface();
        (*text)->AddRef();
    });
}

HRESULT STDMETHODCALLTYPE CalcEnumEventBase::GetDataKind(uint32_t* kind)
{
    if (!kind)
        return E_POINTER;
    *kind = CalcKindEvents;
    return S_OK;
}

Orv::String CalcEnumEventBase::ArgumentTextOf(IUnknown* arguments)
{
    if (!arguments)
        return Orv::String();
    Orv::ComPtr<IAutoOrvString> text;
    if (FAILED(arguments->QueryInterface(IID_IAutoOrvString, text.PutVoid())))
        arguments->QueryInterface(IID_IOrvString, text.PutVoid());
    return text ? Orv::String::FromInterface(text.Get()) : Orv::String();
}

} // namespace CalcEnums
