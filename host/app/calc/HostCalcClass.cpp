#include "host/app/calc/HostCalcClass.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "host/app/files/TextConversion.h"

namespace Host::Calc
{
namespace
{

HRESULT Text(const wchar_t* value, IOrvString** out)
{
    if (!out)
        return E_POINTER;
    return Orv::CatchReturn([&] {
        Orv::String text(value);
        *out = text.Interface();
        (*out)->AddRef();
    });
}

} // namespace

bool ReadArgumentText(IUnknown* arguments, std::string& text)
{
    Orv::ComPtr<IAutoOrvString> string;
    if (!arguments || FAILED(arguments->QueryInterface(IID_IAutoOrvString, string.PutVoid())))
        return false;
    text = ToUtf8(Orv::String::FromInterface(string.Get()).c_str());
    return true;
}

HRESULT HostCalcClass::Register(IVyrStandIn& standIn)
{
    Orv::ComPtr<IVyrObjectFactory> factory;
    Orv::ComPtr<IMsgIdRegistry> registry;
    if (FAILED(standIn.QueryInterface(IID_IVyrObjectFactory, factory.PutVoid())) ||
        FAILED(standIn.QueryInterface(IID_IMsgIdRegistry, registry.PutVoid())))
        return E_NOINTERFACE;
    registry_ = registry.Get();
    return factory->RegisterClassObject(this);
}

HRESULT STDMETHODCALLTYPE HostCalcClass::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = (iid == IID_IUnknown || iid == IID_IVyrClassObject || iid == IID_ICalcEnumClass2)
               ? static_cast<ICalcEnumClass2*>(this)
               : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE HostCalcClass::GetTypeId(ULONG* typeId)
{
    USHORT code = 0;
    if (!typeId)
        return E_POINTER;
    if (!registry_ || FAILED(registry_->GetCode(info_.typeGuid, &code)))
        return E_FAIL;
    *typeId = static_cast<ULONG>(code) << 16 | info_.typeNumber;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostCalcClass::GetCategoryGuid(const GUID** category)
{
    return AnswerValue(category, &CalcFunctionCategory);
}

HRESULT STDMETHODCALLTYPE HostCalcClass::GetTitle(BSTR* title)
{
    if (!title)
        return E_POINTER;
    SysFreeString(*title);
    *title = SysAllocString(info_.name);
    return *title ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE HostCalcClass::IsCategory(const GUID* category)
{
    return category && *category == CalcFunctionCategory ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE HostCalcClass::GetName(IOrvString** name)
{
    return Text(info_.name, name);
}

HRESULT STDMETHODCALLTYPE HostCalcClass::GetDescription(IOrvString** description)
{
    return Text(info_.description, description);
}

HRESULT STDMETHODCALLTYPE HostCalcClass::GetFlags(uint32_t* flags)
{
    return AnswerZero(flags);
}

HRESULT STDMETHODCALLTYPE HostCalcClass::CreateEnumVariant(IUnknown*, uint32_t, IUnknown*, uint32_t, uint32_t, uint32_t,
                                                           const IID*, void** out)
{
    return AnswerUnsupported(out);
}

HRESULT STDMETHODCALLTYPE HostCalcClass::CreateEnum(IUnknown* context, uint32_t, ICalcEnum** calc)
{
    return info_.create(context, calc);
}

HRESULT STDMETHODCALLTYPE HostCalcClass::CreateInstance(IUnknown* outer, IUnknown* context, uint32_t,
                                                        IUnknown** instance)
{
    if (!instance)
        return E_POINTER;
    *instance = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return info_.create(context, reinterpret_cast<ICalcEnum**>(instance));
}

} // namespace Host::Calc
