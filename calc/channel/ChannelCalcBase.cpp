#include "calc/channel/ChannelCalcBase.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostServices.h"
#include "hostframework/services/UnitConversion.h"

#include "hostapi/VyrAnalysis.h"

#include <algorithm>

namespace Sistra
{
namespace
{
using ComputedChannelType = TypeIdClass<&HostTypeGUID, ComputedChannelTypeNumber>;
// A range that runs to the end of the recording ends at this record.
constexpr int32_t WholeRecordingEnd = 0x7FFFFFFF;
} // namespace

ChannelCalcBase::ChannelCalcBase(uint32_t value, IUnknown* host, uint32_t first, uint32_t second)
    : Orv::CComObjectRoot(1), host_(host), value_(value), first_(first), second_(second)
{
    Orv::ComPtr<IChannelCalcHost> channelHost;
    if (host && SUCCEEDED(host->QueryInterface(IID_IChannelCalcHost, channelHost.PutVoid())) && channelHost)
        channelHost->GetDocumentData(documentData_.Put());
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    if (!factory || FAILED(factory->CreateObject(static_cast<IChannelCalc*>(this), ComputedChannelType::Id(),
                                                 IID_IUnknown, companion_.PutVoid())) ||
        !companion_)
        return;
    const LONG before = InternalReferences();
    if (SUCCEEDED(companion_->QueryInterface(IID_IComputedChannel, reinterpret_cast<void**>(&channel_))) && channel_ &&
        InternalReferences() > before)
        Release(); // the face counted on this object, which holds it for its own life
}

ChannelCalcBase::~ChannelCalcBase()
{
    channel_ = nullptr;
    companion_.Reset();
}

// What the calculation does not answer itself, the host's companion object answers.
HRESULT STDMETHODCALLTYPE ChannelCalcBase::QueryInterface(REFIID iid, void** object)
{
    const HRESULT own = Orv::QueryOneFace(static_cast<IChannelCalc*>(this), iid, object, IID_IChannelCalc,
                                          IID_ChannelCalcObject);
    return own == E_NOINTERFACE && companion_ ? companion_->QueryInterface(iid, object) : own;
}

HRESULT STDMETHODCALLTYPE ChannelCalcBase::GetOutputRange(double* gain, double* shift)
{
    if (!gain || !shift)
        return E_POINTER;
    *gain = range_.gain;
    *shift = range_.shift;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelCalcBase::GetClassName(IOrvString** name)
{
    if (name)
        *name = nullptr;
    return E_NOTIMPL;
}

ChannelOutputRange ChannelCalcBase::SetOutputRange(int32_t kind, double high, double low)
{
    range_ = MapChannelOutputRange(high, low);
    kind_ = kind;
    return range_;
}

HRESULT ChannelCalcBase::MakeCalculation(uint32_t calculationType, uint32_t kind, Orv::ComPtr<ICalcEnum>& calculation)
{
    calculationType_ = calculationType;
    return MakeCalculationOn(documentData_.Get(), calculationType, kind, calculation);
}

HRESULT ChannelCalcBase::MakeCalculationOn(IUnknown* context, uint32_t calculationType, uint32_t kind,
                                           Orv::ComPtr<ICalcEnum>& calculation)
{
    IVyrObjectFactory* factory = ObjectFactoryAccessor::Get();
    Orv::ComPtr<ICalcEnumClass2> classObject;
    if (!factory || FAILED(factory->GetObject(calculationType, IID_ICalcEnumClass2, classObject.PutVoid())) ||
        !classObject)
        return E_FAIL;
    const HRESULT made = classObject->CreateEnum(context, kind, calculation.Put());
    return SUCCEEDED(made) && !calculation ? E_FAIL : made;
}

HRESULT ChannelCalcBase::HandToChannel(ICalcEnum* calculation)
{
    if (!channel_)
        return E_FAIL;
    return channel_->AttachCalculation(value_, first_, second_, host_, calculation);
}

bool ChannelCalcBase::TellChannelUnit(const Orv::PrefixedUnit& unit)
{
    Orv::ComPtr<IHostUnit> hostUnit;
    if (!channel_ || FAILED(CreateHostUnit(unit, hostUnit.Put())) || !hostUnit)
        return false;
    return SUCCEEDED(channel_->SetUnit(hostUnit.Get()));
}

HRESULT ChannelCalcBase::AttachCalculation(uint32_t calculationType)
{
    return Orv::CatchReturn([&] {
        Orv::ComPtr<ICalcEnum> calculation;
        const HRESULT made = MakeCalculation(calculationType, 0, calculation);
        return FAILED(made) ? made : HandToChannel(calculation.Get());
    });
}

HRESULT ChannelCalcBase::AttachExpression(const Orv::String& text, uint32_t calculationType, uint32_t kind)
{
    return Orv::CatchReturn([&] {
        Orv::ComPtr<ICalcEnum> calculation;
        HRESULT hr = MakeCalculation(calculationType, kind, calculation);
        uint32_t flags = 0;
        if (SUCCEEDED(hr))
            hr = calculation->ReadArguments(text.Interface(), &flags);
        return FAILED(hr) ? hr : HandToChannel(calculation.Get());
    });
}

HRESULT ChannelCalcBase::RunSettingsCalculation(const SettingsRun& run)
{
    return Orv::CatchReturn([&] {
        Orv::ComPtr<IHostDocument> document;
        if (!run.document || FAILED(run.document->QueryInterface(IID_IHostDocument, document.PutVoid())))
            return E_INVALIDARG;
        TickPosition start{0, 0};
        TickPosition end{WholeRecordingEnd, 0};
        SelectedRange(run.selection, start, end);

        // Without the temporary channel the run has nothing to run on: that is a failure, not a preview.
        Orv::ComPtr<IComputedChannel> channel = MakePreviewChannel(run, *document.Get());
        if (!channel)
            return E_FAIL;

        Orv::ComPtr<ICalcEnum> calculation;
        HRESULT hr = MakeCalculationOn(document.Get(), run.calculationType, ComputedChannelEventResult, calculation);
        if (SUCCEEDED(hr))
            hr = channel->AttachCalculation(0, run.first, run.second, document.Get(), calculation.Get());
        if (SUCCEEDED(hr))
            hr = channel->SetCalculationText(run.text);
        if (SUCCEEDED(hr))
            hr = channel->BeginRun(1, run.id, 0);
        if (SUCCEEDED(hr))
            hr = RunByRecord(*channel.Get(), *document.Get(), run, start, end);
        channel->EndRun();
        return hr;
    });
}

void ChannelCalcBase::SelectedRange(IUnknown* selection, TickPosition& start, TickPosition& end)
{
    Orv::ComPtr<IHostSelection> selected;
    TickPosition selectedStart, selectedEnd;
    if (selection && SUCCEEDED(selection->QueryInterface(IID_IHostSelection, selected.PutVoid())) &&
        SUCCEEDED(selected->GetSelection(&selectedStart, &selectedEnd)) && selectedStart.record != WholeRecordingEnd)
    {
        start = selectedStart;
        end = selectedEnd;
    }
}

Orv::ComPtr<IComputedChannel> ChannelCalcBase::MakePreviewChannel(const SettingsRun& run, IHostDocument& document)
{
    Orv::ComPtr<IComputedChannelFactory> factory;
    Orv::ComPtr<IUnknown> made;
    Orv::ComPtr<IComputedChannel> channel;
    if (!run.channelFactory ||
        FAILED(run.channelFactory->QueryInterface(IID_IComputedChannelFactory, factory.PutVoid())) ||
        FAILED(factory->CreateChannel(run.first, run.second, &document, made.Put())) || !made ||
        FAILED(made->QueryInterface(IID_IComputedChannel, channel.PutVoid())))
        return nullptr;
    return channel;
}

// The run goes a record at a time, so that it can show how far it is and be stopped between records:
// the host's run of a range tells nothing until it ends.
HRESULT ChannelCalcBase::RunByRecord(IComputedChannel& channel, IHostDocument& document, const SettingsRun& run,
                                     TickPosition start, TickPosition end)
{
    int32_t records = 0, current = 0;
    if (FAILED(document.GetRecordCount(&records, &current)))
        records = 0;
    const int32_t first = std::max(start.record, 0);
    const int32_t last = std::min(end.record, records - 1);
    // A range that holds no record of the recording is the host's to answer, in one run.
    if (last < first)
        return channel.Run(run.document, start, end, run.passedA, run.passedB, 0);
    const auto tell = [&](int32_t record, double done) {
        return !run.progress || run.progress(ScanStep{record, records, done});
    };
    const double pieces = static_cast<double>(last - first + 1);
    HRESULT hr = S_OK;
    for (int32_t record = first; record <= last; ++record)
    {
        if (!tell(record, (record - first) / pieces))
            return S_FALSE;
        int32_t ticks = 0;
        if (record != end.record && FAILED(document.GetRecordLength(0, record, &ticks)))
            return E_INVALIDARG;
        const TickPosition from = record == start.record ? start : TickPosition{record, 0};
        const TickPosition to = record == end.record ? end : TickPosition{record, ticks};
        hr = channel.Run(run.document, from, to, run.passedA, run.passedB, 0);
        if (FAILED(hr))
            return hr;
    }
    // The run is done whatever the user asks now.
    tell(last, 1.0);
    return hr;
}

} // namespace Sistra
