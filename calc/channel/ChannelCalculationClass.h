// The computed channel's two class objects: the calculation class through which the host makes the
// channel's calculation, and the settings class through which it makes and loads the channel's
// settings records. Both are on the module's class-object list.
#pragma once

#include "hostapi/CalcInterfaces.h"
#include "hostframework/entry/ClassRegistration.h"

#include "calc/engine/CalcFunctionTable.h"
#include "foundation/com/ComObjectRoot.h"

namespace Sistra
{

// The class-object faces both classes answer from their type's descriptor and their category.
template <class Interface>
class DescribedClassObject : public Interface, public VyrClassObject
{
public:
    DescribedClassObject(CalcEnums::FunctionDescriptor& descriptor, const GUID& category)
        : descriptor_(descriptor), category_(category)
    {
    }

    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override
    {
        if (!typeId)
            return E_POINTER;
        return CalcEnums::GetFunctionTypeId(descriptor_, typeId) ? S_OK : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) override
    {
        if (!category)
            return E_POINTER;
        *category = &category_;
        return S_OK;
    }
    // An empty name leaves the title empty; an old title is freed first.
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override
    {
        if (!title)
            return E_POINTER;
        if (*title)
            SysFreeString(*title);
        *title = nullptr;
        if (descriptor_.name && *descriptor_.name && !(*title = SysAllocString(descriptor_.name)))
            return E_OUTOFMEMORY;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsCategory(const GUID* category) override
    {
        return category && *category == category_ ? S_OK : S_FALSE;
    }
    IVyrClassObject* GetClassObject() override { return static_cast<Interface*>(this); }

protected:
    CalcEnums::FunctionDescriptor& Descriptor() const { return descriptor_; }

private:
    CalcEnums::FunctionDescriptor& descriptor_;
    const GUID& category_;
};

class ChannelSettingsClass final : public DescribedClassObject<IPersistClassObject>, private Orv::CComObjectRoot
{
public:
    // One reference, the creator's.
    ChannelSettingsClass();

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }
    // A default settings record; the caller holds the only reference.
    HRESULT STDMETHODCALLTYPE CreateObject(const IID* iid, void** object) override;
    // The record the stream holds; nothing when it holds none (the code says why).
    HRESULT STDMETHODCALLTYPE LoadObject(IStream* stream, IPersistObject** object) override;

private:
    ~ChannelSettingsClass() = default;
};

// Static: AddRef and Release do not change its life.
class ChannelCalculationClass final : public DescribedClassObject<ICalculationClass>
{
public:
    // Links itself into the class-object list, then makes its settings class, which links itself after.
    ChannelCalculationClass();
    ~ChannelCalculationClass();
    ChannelCalculationClass(const ChannelCalculationClass&) = delete;
    ChannelCalculationClass& operator=(const ChannelCalculationClass&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetName(IOrvString** name) override;
    HRESULT STDMETHODCALLTYPE GetDescription(IOrvString** description) override;
    HRESULT STDMETHODCALLTYPE GetFlags(uint32_t* flags) override;
    // Asks the user for the settings (a copy of the record given, or defaults). On confirmation the
    // settings run once as a preview on a temporary channel of host's channel factory over the
    // selection when the channel is switched on (its failure is the answer, nothing made), then a
    // calculation with them for host, its text attached when switched on. S_FALSE and nothing when the
    // user cancels.
    HRESULT STDMETHODCALLTYPE CreateCalculationInteractive(IUnknown* host, HWND parent, IUnknown* document,
                                                           IPersistObject* settings, uint32_t channel, uint32_t record,
                                                           uint32_t flags, IUnknown* selection,
                                                           IChannelCalc** calculation) override;
    // A calculation for the channel of host, with the stored settings when given.
    HRESULT STDMETHODCALLTYPE CreateCalculation(IUnknown* host, IPersistObject* settings,
                                                IChannelCalc** calculation) override;

    ChannelSettingsClass& SettingsClass() { return *settingsClass_; }

private:
    ChannelSettingsClass* settingsClass_;
};

ChannelCalculationClass& ChannelCalculationClassObject();

} // namespace Sistra
