// Class objects of the module's calculation functions: static objects that describe a function to the
// host (from its table) and create its enumerators.
#pragma once

#include "calc/engine/CalcEnumBase.h"
#include "calc/engine/CalcFunctionTable.h"
#include "hostframework/entry/ClassRegistration.h"

namespace CalcEnums
{

// Which parameter-description faces a class object answers.
enum class ParamsFace
{
    None,
    Numeric,         // ICalcNumericParamsFuncClass
    NumericExtended, // and ICalcNumericParamsFuncClassEx
};

// Static: AddRef and Release do not change its life. Constructing one links it into the module's
// class-object list, which the registration export hands to the host.
class CalcEnumClassBase2 : public ICalcEnumClass2, public ICalcNumericParamsFuncClassEx, public VyrClassObject
{
public:
    CalcEnumClassBase2(const CalcFunction& function, ParamsFace face) : function(function), face(face) {}
    CalcEnumClassBase2(const CalcEnumClassBase2&) = delete;
    CalcEnumClassBase2& operator=(const CalcEnumClassBase2&) = delete;
    virtual ~CalcEnumClassBase2() = default;

    // IUnknown of both faces
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    // IVyrClassObject
    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override;
    HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) override;
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE IsCategory(const GUID* category) override;

    // ICalcEnumClass2
    HRESULT STDMETHODCALLTYPE GetName(IOrvString** name) override;
    HRESULT STDMETHODCALLTYPE GetDescription(IOrvString** description) override;
    HRESULT STDMETHODCALLTYPE GetFlags(uint32_t* flags) override;
    HRESULT STDMETHODCALLTYPE CreateEnumVariant(IUnknown*, uint32_t, IUnknown*, uint32_t, uint32_t, uint32_t,
                                                const IID*, void** out) override;
    HRESULT STDMETHODCALLTYPE CreateEnum(IUnknown* context, uint32_t argument, ICalcEnum** calc) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, IUnknown* context, uint32_t argument,
                                             IUnknown** instance) override;

    // ICalcNumericParamsFuncClass(Ex)
    HRESULT STDMETHODCALLTYPE GetAliasCount(uint32_t* count) override;
    HRESULT STDMETHODCALLTYPE GetAlias(uint32_t index, IOrvString** alias) override;
    HRESULT STDMETHODCALLTYPE GetInfo(IOrvString** name, uint32_t* typeId, uint32_t* paramCount,
                                      uint32_t* sourceCount, uint32_t* functionWord, uint32_t* resultWord) override;
    HRESULT STDMETHODCALLTYPE GetParamInfo(uint32_t index, double* maximum, double* minimum, uint32_t* kind,
                                           IOrvString** name) override;
    HRESULT STDMETHODCALLTYPE CheckSource(uint32_t index, uint32_t kind) override;
    HRESULT STDMETHODCALLTYPE GetInfoEx(uint32_t* typeId, uint32_t* paramCount, uint32_t* sourceCount,
                                        uint32_t* flags, uint32_t* eventSourceCount, uint32_t* resultWord) override;

    const CalcFunction& Function() const { return function; }
    IVyrClassObject* GetClassObject() override { return static_cast<ICalcEnumClass2*>(this); }

protected:
    // A new enumerator (one reference, on its non-delegating IUnknown), aggregated when outer is given.
    virtual IUnknown* MakeEnumerator(IUnknown* outer, IUnknown* context, uint32_t argument) = 0;

private:
    const CalcFunction& function;
    ParamsFace face;
};

// The class object of the enumerator class T (constructed from the host context and the creation
// argument).
template <class T>
class CalcEnumClass2 : public CalcEnumClassBase2
{
public:
    explicit CalcEnumClass2(const CalcFunction& function, ParamsFace face = ParamsFace::None)
        : CalcEnumClassBase2(function, face)
    {
    }

protected:
    IUnknown* MakeEnumerator(IUnknown* outer, IUnknown* context, uint32_t argument) override
    {
        T* object = outer ? new CalcEnumAgg<T>(outer, context, argument) : new T(context, argument);
        IUnknown* unknown = object->NonDelegatingUnknown();
        unknown->AddRef();
        return unknown;
    }
};

template <class T>
class CalcEnumNumericParamsClass : public CalcEnumClass2<T>
{
public:
    explicit CalcEnumNumericParamsClass(const CalcFunction& function)
        : CalcEnumClass2<T>(function, ParamsFace::Numeric)
    {
    }
};

template <class T>
class CalcEnumNumericParamsClassEx : public CalcEnumClass2<T>
{
public:
    explicit CalcEnumNumericParamsClassEx(const CalcFunction& function)
        : CalcEnumClass2<T>(function, ParamsFace::NumericExtended)
    {
    }
};

} // namespace CalcEnums
