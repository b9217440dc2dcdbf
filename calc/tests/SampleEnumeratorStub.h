// A sample-yielding enumerator for tests: every slot its base leaves open answers without effect, so a
// test overrides only what it exercises.
#pragma once

#include "calc/engine/CalcEnumBase.h"

namespace CalcTesting
{

class SampleEnumeratorStub : public CalcEnums::CalcEnumBase2
{
public:
    using CalcEnumBase2::CalcEnumBase2;

    HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown*, uint32_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IUnknown*, ICalcEnum**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Start(int32_t, uint32_t, IUnknown* const*, IUnknown* const*, double, int32_t,
                                    int32_t) override
    {
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Stop() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE QueryFlags(uint32_t, uint32_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetSampleInfo(double*, IUnknown**) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCapabilities(uint32_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Skip(int32_t, int32_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Next(int32_t, float*, int32_t* fetched) override
    {
        if (fetched)
            *fetched = 0;
        return S_OK;
    }
};

} // namespace CalcTesting
