// The class objects of the host's own calculations, which a module creates by type id through the
// framework's class registry, and the out-parameter answers their enumerators share.
#pragma once

#include "host/include/CalcInterfaces.h"

namespace Host::Calc
{

// A new enumerator over the host context (or none), one reference for the caller.
using HostCalcFactory = HRESULT (*)(IUnknown* context, ICalcEnum** calc);

struct HostCalcClassInfo
{
    const GUID* typeGuid; // the type id is the registry's code of this GUID << 16 | typeNumber
    ULONG typeNumber;
    const wchar_t* name;
    const wchar_t* description;
    HostCalcFactory create;
};

// Static: the host keeps it for the life of the process.
class HostCalcClass final : public ICalcEnumClass2
{
public:
    explicit HostCalcClass(const HostCalcClassInfo& info) : info_(info) {}

    // Registers with the framework's class registry.
    HRESULT Register(IVyrStandIn& standIn);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override;
    HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) override;
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override;
    HRESULT STDMETHODCALLTYPE IsCategory(const GUID* category) override;
    HRESULT STDMETHODCALLTYPE GetName(IOrvString** name) override;
    HRESULT STDMETHODCALLTYPE GetDescription(IOrvString** description) override;
    HRESULT STDMETHODCALLTYPE GetFlags(uint32_t* flags) override;
    HRESULT STDMETHODCALLTYPE CreateEnumVariant(IUnknown*, uint32_t, IUnknown*, uint32_t, uint32_t, uint32_t,
                                                const IID*, void** out) override;
    HRESULT STDMETHODCALLTYPE CreateEnum(IUnknown* context, uint32_t, ICalcEnum** calc) override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, IUnknown* context, uint32_t, IUnknown** instance) override;

private:
    HostCalcClassInfo info_;
    IMsgIdRegistry* registry_ = nullptr; // the framework outlives its registrations
};

// Out-parameter answers: nothing to hand out, an operation the enumerator does not offer, a zero.
template <class T>
HRESULT AnswerNothing(T** out)
{
    if (out)
        *out = nullptr;
    return S_OK;
}
template <class T>
HRESULT AnswerUnsupported(T** out)
{
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}
template <class T>
HRESULT AnswerZero(T* out)
{
    if (!out)
        return E_POINTER;
    *out = 0;
    return S_OK;
}

} // namespace Host::Calc
