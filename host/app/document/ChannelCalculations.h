// The calculations a host document keeps per channel: a slot per (channel, selector) that holds a
// calculation object, its class's type id and what the calculation has worked out. A text calculation
// is compiled against the document when it is installed and whenever it recalculates, so a text the
// document cannot compile never reaches a slot.
#pragma once

#include "host/app/calc/CalcEnumAdaptors.h"
#include "hostapi/HostChannelCalc.h"

#include "foundation/com/ComPtr.h"

#include <oaidl.h>

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace Host
{

class ChannelCalcSlot final : public IHostChannelCalculation,
                              public IHostChannelCalcState,
                              public IHostCalcTarget,
                              public ISupportErrorInfo
{
public:
    // Throws Calc::CalcTextError for a text it cannot compile.
    using Compiler = std::function<void(const std::wstring& text)>;
    explicit ChannelCalcSlot(Compiler compiler) : compiler_(std::move(compiler)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return references_.Add(); }
    ULONG STDMETHODCALLTYPE Release() override { return references_.Drop(this); }

    // IHostChannelCalculation
    HRESULT STDMETHODCALLTYPE PrepareReplacement() override;
    HRESULT STDMETHODCALLTYPE GetCalculationType(uint32_t* typeId) override;
    // IHostChannelCalcState
    HRESULT STDMETHODCALLTYPE DiscardResults() override;
    HRESULT STDMETHODCALLTYPE Recalculate() override;
    HRESULT STDMETHODCALLTYPE GetState(uint32_t* state) override;
    // IHostCalcTarget: a calculation that answers IHostCalculationStandIn is a text calculation. A text
    // the document cannot compile leaves the compiler's message as the thread's error information.
    HRESULT STDMETHODCALLTYPE Install(IUnknown* calculation, uint16_t flags) override;
    // ISupportErrorInfo: the target face leaves error information.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override;

    // Puts a calculation of that class in the slot as the host does for a computed channel.
    void Hold(uint32_t typeId, IUnknown* calculation);
    bool IsEmpty() const { return !calculation_; }
    IUnknown* Calculation() const { return calculation_.Get(); }
    const std::wstring& Text() const { return text_; }
    int Replacements() const { return replacements_; }
    int Recalculations() const { return recalculations_; }

private:
    ~ChannelCalcSlot() = default;
    friend class Calc::HeapReferenceCount;

    Calc::HeapReferenceCount references_;
    Compiler compiler_;
    Orv::ComPtr<IUnknown> calculation_;
    uint32_t typeId_ = 0;
    std::wstring text_;
    uint32_t state_ = 0;
    int replacements_ = 0;
    int recalculations_ = 0;
};

class ChannelCalculations
{
public:
    explicit ChannelCalculations(ChannelCalcSlot::Compiler compiler) : compiler_(std::move(compiler)) {}

    // The slot's calculation object (the slot itself), with one reference; S_FALSE for an empty slot.
    HRESULT GetCalculation(int32_t channel, int32_t selector, IUnknown** object) const;
    // The slot, made on first use; its target face with one reference.
    HRESULT OpenTarget(int32_t channel, int32_t selector, IHostCalcTarget** target);
    ChannelCalcSlot& Slot(int32_t channel, int32_t selector);
    // The text of the text calculation in the slot; null when the slot holds none.
    const std::wstring* FindText(int32_t channel, int32_t selector) const;
    // One past the highest channel whose slots hold a calculation; 0 when none does.
    int32_t ChannelsWithCalculations() const;

private:
    ChannelCalcSlot::Compiler compiler_;
    std::map<std::pair<int32_t, int32_t>, Orv::ComPtr<ChannelCalcSlot>> slots_;
};

} // namespace Host
