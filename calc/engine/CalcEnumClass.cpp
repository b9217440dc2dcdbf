#include "calc/engine/CalcEnumClass.h"

#include "foundation/com/ComBoundary.h"

namespace CalcEnums
{
namespace
{

HRESULT HandOutString(const wchar_t* text, IOrvString** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    return Orv::CatchReturn([&] {
        Orv::String value(text);
        *out = value.Interface();
        (*out)->AddRef();
    });
}

template <class T>
void SetIf(T* out, T value)
{
    if (out)
        *out = value;
}

} // namespace

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IVyrClassObject || iid == IID_ICalcEnumClass2)
        *out = static_cast<ICalcEnumClass2*>(this);
    else if (face != ParamsFace::None && iid == IID_ICalcNumericParamsFuncClass)
        *out = static_cast<ICalcNumericParamsFuncClass*>(this);
    else if (face == ParamsFace::NumericExtended && iid == IID_ICalcNumericParamsFuncClassEx)
        *out = static_cast<ICalcNumericParamsFuncClassEx*>(this);
    return *out ? S_OK : E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetTypeId(ULONG* typeId)
{
    if (!typeId)
        return E_POINTER;
    return GetFunctionTypeId(*function.descriptor, typeId) ? S_OK : E_FAIL;
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetCategoryGuid(const GUID** category)
{
    return CalcEnums::AnswerValue(category, &CalcFunctionCategory);
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetTitle(BSTR* title)
{
    if (!title)
        return E_POINTER;
    if (*title)
        SysFreeString(*title);
    *title = nullptr;
    const wchar_t* name = function.descriptor->name;
    if (name && *name)
    {
        *title = SysAllocString(name);
        if (!*title)
            return E_OUTOFMEMORY;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::IsCategory(const GUID* category)
{
    return category && (category == &CalcFunctionCategory || *category == CalcFunctionCategory) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetName(IOrvString** name)
{
    return HandOutString(function.descriptor->name, name);
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetDescription(IOrvString** description)
{
    return HandOutString(function.descriptor->description, description);
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetFlags(uint32_t* flags)
{
    return CalcEnums::AnswerValue(flags, function.descriptor->flags);
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::CreateEnumVariant(IUnknown*, uint32_t, IUnknown*, uint32_t, uint32_t,
                                                                uint32_t, const IID*, void** out)
{
    SetIf<void*>(out, nullptr);
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::CreateEnum(IUnknown* context, uint32_t argument, ICalcEnum** calc)
{
    if (!calc)
        return E_POINTER;
    *calc = nullptr;
    return Orv::CatchReturn([&] {
        IUnknown* created = MakeEnumerator(nullptr, context, argument);
        const HRESULT hr = created->QueryInterface(IID_ICalcEnum, reinterpret_cast<void**>(calc));
        created->Release(); // the caller's reference is the query's
        return hr;
    });
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::CreateInstance(IUnknown* outer, IUnknown* context, uint32_t argument,
                                                             IUnknown** instance)
{
    if (!instance)
        return E_POINTER;
    *instance = nullptr;
    return Orv::CatchReturn([&] { *instance = MakeEnumerator(outer, context, argument); });
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetAliasCount(uint32_t* count)
{
    return CalcEnums::AnswerValue(count, function.params->aliasCount);
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetAlias(uint32_t index, IOrvString** alias)
{
    // The host stays below the count; an index past the list itself is refused rather than read.
    if (index >= function.params->aliasEntries)
        return E_INVALIDARG;
    return HandOutString(function.params->aliases[index], alias);
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetInfo(IOrvString** name, uint32_t* typeId, uint32_t* paramCount,
                                                      uint32_t* sourceCount, uint32_t* functionWord,
                                                      uint32_t* resultWord)
{
    const FunctionParams& params = *function.params;
    if (typeId)
    {
        ULONG id = 0;
        GetFunctionTypeId(*function.descriptor, &id);
        *typeId = id;
    }
    SetIf(paramCount, params.paramCount);
    SetIf(sourceCount, params.sourceCount);
    SetIf(functionWord, params.functionWord);
    SetIf(resultWord, params.resultWord);
    return name ? HandOutString(function.descriptor->name, name) : S_OK;
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetParamInfo(uint32_t index, double* maximum, double* minimum,
                                                           uint32_t* kind, IOrvString** name)
{
    const FunctionParams& params = *function.params;
    if (index >= params.paramCount)
        return E_INVALIDARG;
    SetIf(maximum, params.ranges[index].maximum);
    SetIf(minimum, params.ranges[index].minimum);
    SetIf(kind, index < params.sourceCount ? params.sourceKinds[index] : params.numericKind);
    return name ? HandOutString(params.names[index], name) : S_OK;
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::CheckSource(uint32_t index, uint32_t kind)
{
    const FunctionParams& params = *function.params;
    if (index >= params.sourceCount)
        return E_INVALIDARG;
    return (kind & params.sourceKinds[index]) != 0 ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE CalcEnumClassBase2::GetInfoEx(uint32_t* typeId, uint32_t* paramCount, uint32_t* sourceCount,
                                                        uint32_t* flags, uint32_t* eventSourceCount,
                                                        uint32_t* resultWord)
{
    const FunctionParams& params = *function.params;
    SetIf(flags, params.functionWord);
    SetIf(eventSourceCount, params.sourceCount);
    return GetInfo(nullptr, typeId, paramCount, sourceCount, nullptr, resultWord);
}

} // namespace CalcEnums
