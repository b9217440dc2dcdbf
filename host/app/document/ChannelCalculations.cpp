#include "host/app/document/ChannelCalculations.h"

#include "host/app/files/TextConversion.h"
#include "host/app/calc/CalcCompiler.h"

#include "foundation/com/ComBoundary.h"

namespace Host
{

namespace
{

// The failure, its reason left as the thread's error information for the caller to show.
HRESULT Refuse(HRESULT failure, const std::wstring& reason)
{
    Orv::ComPtr<ICreateErrorInfo> made;
    Orv::ComPtr<IErrorInfo> info;
    if (SUCCEEDED(CreateErrorInfo(made.Put())) && SUCCEEDED(made->SetGUID(IID_IHostCalcTarget)) &&
        SUCCEEDED(made->SetDescription(const_cast<LPOLESTR>(reason.c_str()))) &&
        SUCCEEDED(made->QueryInterface(IID_IErrorInfo, info.PutVoid())))
        SetErrorInfo(0, info.Get());
    return failure;
}

} // namespace

HRESULT STDMETHODCALLTYPE ChannelCalcSlot::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IHostChannelCalculation)
        *object = static_cast<IHostChannelCalculation*>(this);
    else if (iid == IID_IHostChannelCalcState)
        *object = static_cast<IHostChannelCalcState*>(this);
    else if (iid == IID_IHostCalcTarget)
        *object = static_cast<IHostCalcTarget*>(this);
    else if (iid == IID_ISupportErrorInfo)
        *object = static_cast<ISupportErrorInfo*>(this);
    else
        *object = nullptr;
    if (!*object)
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelCalcSlot::PrepareReplacement()
{
    ++replacements_;
    state_ &= ~HostCalcResultsCurrent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelCalcSlot::GetCalculationType(uint32_t* typeId)
{
    return Orv::AnswerValue(typeId, typeId_);
}

HRESULT STDMETHODCALLTYPE ChannelCalcSlot::DiscardResults()
{
    state_ &= ~HostCalcResultsCurrent;
    return S_OK;
}

// The stand-in draws no channel from a calculation: working its results out again is checking that the
// text still compiles against the document's data as it is now.
HRESULT STDMETHODCALLTYPE ChannelCalcSlot::Recalculate()
{
    if (IsEmpty())
        return S_FALSE;
    return Orv::CatchReturn([&]() -> HRESULT {
        ++recalculations_;
        if (!text_.empty())
        {
            try
            {
                compiler_(text_);
            }
            catch (const Calc::CalcTextError&)
            {
                state_ &= ~HostCalcResultsCurrent;
                return E_FAIL;
            }
        }
        state_ |= HostCalcResultsCurrent;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ChannelCalcSlot::GetState(uint32_t* state)
{
    return Orv::AnswerValue(state, state_);
}

HRESULT STDMETHODCALLTYPE ChannelCalcSlot::Install(IUnknown* calculation, uint16_t)
{
    if (!calculation)
    {
        Hold(0, nullptr);
        return S_OK;
    }
    Orv::ComPtr<IHostCalculation> host;
    uint32_t typeId = 0;
    if (FAILED(calculation->QueryInterface(IID_IHostCalculation, host.PutVoid())) ||
        FAILED(host->GetCalculationType(&typeId)))
        return E_INVALIDARG;
    return Orv::CatchReturn([&]() -> HRESULT {
        std::wstring text;
        Orv::ComPtr<IHostCalculationStandIn> texts;
        if (SUCCEEDED(calculation->QueryInterface(IID_IHostCalculationStandIn, texts.PutVoid())) && texts)
        {
            BSTR expression = nullptr, unit = nullptr;
            const HRESULT read = texts->GetTexts(&expression, &unit);
            text = expression ? expression : L"";
            SysFreeString(expression);
            SysFreeString(unit);
            if (FAILED(read))
                return read;
            try
            {
                compiler_(text);
            }
            catch (const Calc::CalcTextError& e)
            {
                return Refuse(E_INVALIDARG, FromUtf8(e.what()));
            }
        }
        Hold(typeId, calculation);
        text_ = std::move(text);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ChannelCalcSlot::InterfaceSupportsErrorInfo(REFIID iid)
{
    return iid == IID_IHostCalcTarget ? S_OK : S_FALSE;
}

void ChannelCalcSlot::Hold(uint32_t typeId, IUnknown* calculation)
{
    calculation_ = Orv::ComPtr<IUnknown>(calculation);
    typeId_ = typeId;
    text_.clear();
    state_ = calculation ? HostCalcInstalled : 0;
}

HRESULT ChannelCalculations::GetCalculation(int32_t channel, int32_t selector, IUnknown** object) const
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    const auto found = slots_.find({channel, selector});
    if (found == slots_.end() || found->second->IsEmpty())
        return S_FALSE;
    *object = static_cast<IHostChannelCalculation*>(found->second.Get());
    (*object)->AddRef();
    return S_OK;
}

HRESULT ChannelCalculations::OpenTarget(int32_t channel, int32_t selector, IHostCalcTarget** target)
{
    if (!target)
        return E_POINTER;
    *target = nullptr;
    return Orv::CatchReturn([&] {
        *target = &Slot(channel, selector);
        (*target)->AddRef();
    });
}

const std::wstring* ChannelCalculations::FindText(int32_t channel, int32_t selector) const
{
    const auto found = slots_.find({channel, selector});
    if (found == slots_.end() || found->second->IsEmpty() || found->second->Text().empty())
        return nullptr;
    return &found->second->Text();
}

ChannelCalcSlot& ChannelCalculations::Slot(int32_t channel, int32_t selector)
{
    auto& slot = slots_[{channel, selector}];
    if (!slot)
        slot = Orv::ComPtr<ChannelCalcSlot>(new ChannelCalcSlot(compiler_));
    return *slot.Get();
}

int32_t ChannelCalculations::ChannelsWithCalculations() const
{
    int32_t count = 0;
    for (const auto& [key, slot] : slots_)
        if (!slot->IsEmpty())
            count = std::max(count, key.first + 1);
    return count;
}

} // namespace Host
