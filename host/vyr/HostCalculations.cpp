#include "HostCalculations.h"

#include "foundation/com/ComPtr.h"

#include <optional>
#include <string>
#include <utility>

namespace Vyr
{
namespace
{

std::wstring TextOf(IOrvString* text)
{
    const wchar_t* characters = text ? text->GetText() : nullptr;
    return characters ? std::wstring(characters) : std::wstring();
}

class TextCalculation final : public HeapComObject<IHostCalculation, &IID_IHostCalculation>,
                              public IHostCalculationText,
                              public IHostCalculationStandIn
{
public:
    explicit TextCalculation(ULONG typeId) : typeId_(typeId) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        if (IsEqualIID(iid, IID_IHostCalculationText))
            *object = static_cast<IHostCalculationText*>(this);
        else if (IsEqualIID(iid, IID_IHostCalculationStandIn))
            *object = static_cast<IHostCalculationStandIn*>(this);
        else
            return HeapComObject::QueryInterface(iid, object);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return HeapComObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return HeapComObject::Release(); }

    HRESULT STDMETHODCALLTYPE GetCalculationType(uint32_t* typeId) override
    {
        if (!typeId)
            return E_POINTER;
        *typeId = typeId_;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE SetTexts(IOrvString* expression, IOrvString* unit, uint16_t) override
    {
        return Guarded([&]() -> HRESULT {
            expression_ = TextOf(expression);
            unit_ = TextOf(unit);
            range_.reset();
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE SetTextsWithRange(IOrvString* expression, IOrvString* unit, double top, double bottom,
                                                uint32_t, uint32_t) override
    {
        const HRESULT result = SetTexts(expression, unit, 0);
        if (SUCCEEDED(result))
            range_ = std::make_pair(top, bottom);
        return result;
    }

    HRESULT STDMETHODCALLTYPE GetTexts(BSTR* expression, BSTR* unit) override
    {
        if (!expression || !unit)
            return E_POINTER;
        *unit = nullptr;
        const HRESULT result = CopyToBstr(expression_, expression);
        return FAILED(result) ? result : CopyToBstr(unit_, unit);
    }
    HRESULT STDMETHODCALLTYPE GetRange(double* top, double* bottom) override
    {
        if (!top || !bottom)
            return E_POINTER;
        if (!range_)
            return S_FALSE;
        *top = range_->first;
        *bottom = range_->second;
        return S_OK;
    }

private:
    const ULONG typeId_;
    std::wstring expression_;
    std::wstring unit_;
    std::optional<std::pair<double, double>> range_;
};

} // namespace

HRESULT CreateTextCalculation(IUnknown* outer, ULONG typeId, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (outer)
        return CLASS_E_NOAGGREGATION;
    return Guarded([&]() -> HRESULT {
        const auto calculation = Orv::ComPtr<TextCalculation>::Adopt(new TextCalculation(typeId));
        return calculation->QueryInterface(iid, object);
    });
}

HRESULT STDMETHODCALLTYPE CalcReceiver::GetTarget(int32_t channel, int32_t selector, IUnknown* documentData,
                                                  IHostCalcTarget** target)
{
    if (!target)
        return E_POINTER;
    *target = nullptr;
    Orv::ComPtr<IHostCalcSlots> slots;
    if (!documentData || FAILED(documentData->QueryInterface(IID_IHostCalcSlots, slots.PutVoid())) || !slots)
        return E_NOINTERFACE;
    return slots->OpenTarget(channel, selector, target);
}

} // namespace Vyr
