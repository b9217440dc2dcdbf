// The class objects of the host's own calculations, which a module creates by type id through the
// framework's class registry, and the out-parameter answers their enumerators share.
#pragma once

#include "host/app/calc/CalcEnumAdaptors.h"
#include "host/app/ComAnswers.h"
#include "hostapi/CalcInterfaces.h"

#include <string>
#include <type_traits>

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

// The text of an argument object the host hands a calculation; false when it is no string.
bool ReadArgumentText(IUnknown* arguments, std::string& text);

// What the host's calculation enumerators share: ICalcEnum beside the face of the stream they yield
// (IEnumFloatEx or IEnumEventEx), one reference count, and the operations they answer alike.
template <class StreamFace>
class HostCalcEnum : public ICalcEnum, public StreamFace
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ICalcEnum)
            *out = static_cast<ICalcEnum*>(this);
        else if (iid == __uuidof(StreamFace) || iid == IID_IEnumExBase)
            *out = static_cast<StreamFace*>(this);
        else
            *out = nullptr;
        if (!*out)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return references_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return references_.Drop(this); }

    HRESULT STDMETHODCALLTYPE SetContextValue(uintptr_t) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetContext(IUnknown** context) override { return AnswerNothing(context); }
    HRESULT STDMETHODCALLTYPE GetArgumentText(IOrvString** text) override { return AnswerNothing(text); }
    HRESULT STDMETHODCALLTYPE QueryFlags(uint32_t, uint32_t* flags) override { return AnswerZero(flags); }
    HRESULT STDMETHODCALLTYPE GetCapabilities(uint32_t* capabilities) override { return AnswerZero(capabilities); }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override { return AnswerZero(format); }
    HRESULT STDMETHODCALLTYPE GetDataKind(uint32_t* kind) override
    {
        return AnswerValue(kind, std::is_same_v<StreamFace, IEnumEventEx> ? CalcKindEvents : CalcKindChannel);
    }
    void STDMETHODCALLTYPE DeleteThis() override { delete this; }
    virtual ~HostCalcEnum() = default;

private:
    HeapReferenceCount references_;
};

} // namespace Host::Calc
