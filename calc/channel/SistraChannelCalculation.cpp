#include "calc/channel/SistraChannelCalculation.h"

#include "calc/engine/ExpressionText.h"
#include "calc/sources/DataGetters.h"
#include "hostapi/CalcEventRecords.h"
#include "foundation/com/ComBoundary.h"
#include "hostframework/messaging/SistraIds.h"

#include "hostapi/SistraDocInterface.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

namespace Sistra
{
namespace
{

ChannelCalculationSettings* AsSettings(IPersistObject* settings)
{
    return dynamic_cast<ChannelCalculationSettings*>(settings);
}

} // namespace

ModuleDocumentLookup& InstalledModuleDocument()
{
    static ModuleDocumentLookup lookup;
    return lookup;
}

// The host hands its own document to the channel: without the module's document behind it, the selector
// would read each loop's values unprefixed while the channel names the prefixed unit.
ChannelUnitFactors ReadChannelUnitFactors(IUnknown* documentData)
{
    ChannelUnitFactors factors;
    Orv::ComPtr<ISistraDocInterface> document;
    const auto askFor = [&](IUnknown* object) {
        return object && SUCCEEDED(object->QueryInterface(IID_ISistraDocInterface, document.PutVoid())) && document;
    };
    const ModuleDocumentLookup& lookup = InstalledModuleDocument();
    if (!askFor(documentData) && !(lookup && documentData && askFor(lookup(documentData))))
        return factors;
    if (FAILED(document->GetPressureScale(0, &factors.pressure)))
        factors.pressure = 1.0;
    if (FAILED(document->GetVolumeScale(0, &factors.volume)))
        factors.volume = 1.0;
    return factors;
}

AnalysisRegionLookup& InstalledAnalysisRegion()
{
    static AnalysisRegionLookup lookup;
    return lookup;
}

AnalysisRegion AnalysisRegionOf(IUnknown* document)
{
    const AnalysisRegionLookup& lookup = InstalledAnalysisRegion();
    std::optional<AnalysisRegion> found = lookup && document ? lookup(document) : std::nullopt;
    AnalysisRegion region = found.value_or(AnalysisRegion{});
    // Before its first run the analysis has no items yet: they will be made under these names.
    if (region.loopsText.IsEmpty())
        region.loopsText = Orv::String(LoopEventStreamName);
    if (region.pvaText.IsEmpty())
        region.pvaText = Orv::String(PvaEventStreamName);
    return region;
}

Orv::String PrepareSelectorText(ChannelCalculationSettings& settings, IUnknown* documentData)
{
    const ChannelUnitFactors factors = ReadChannelUnitFactors(documentData);
    settings.SetSelection(settings.parameterIndex, AnalysisRegionOf(documentData));
    return BuildChannelSelectorExpression(settings, factors.pressure, factors.volume);
}

Orv::PrefixedUnit ChannelUnitOf(const ChannelCalculationSettings& settings)
{
    return Orv::PrefixedUnit(std::wstring(settings.unitText.c_str()));
}

namespace
{

constexpr int32_t BufferEvents = 256;
constexpr const wchar_t* ScanTitle = L"Scaling the channel to its data";

using ValueSpan = std::optional<std::pair<float, float>>;

void Widen(ValueSpan& span, float value)
{
    if (std::isfinite(value))
        span = span ? std::pair{std::min(span->first, value), std::max(span->second, value)} : std::pair{value, value};
}

// Follows a scan through the records of a host document and tells its watcher how far it is.
class RecordScanWatch
{
public:
    RecordScanWatch(IHostDocument& host, int32_t records, const ScanProgress& progress)
        : host_(host), progress_(progress)
    {
        step_.records = records;
    }

    void Enter(int32_t record)
    {
        step_.record = record;
        if (FAILED(host_.GetRecordLength(0, record, &ticks_)))
            ticks_ = 0;
    }

    // The record is read up to tick (CalcNoMoreEventsTick: to its end); false when the watcher stops the scan.
    bool Reached(int32_t tick)
    {
        if (!progress_)
            return true;
        step_.done = (step_.record + Within(tick)) / step_.records;
        return progress_(step_);
    }

private:
    double Within(int32_t tick) const
    {
        if (tick == CalcNoMoreEventsTick)
            return 1.0;
        return ticks_ > 0 ? std::clamp(static_cast<double>(tick) / ticks_, 0.0, 1.0) : 0.0;
    }

    IHostDocument& host_;
    const ScanProgress& progress_;
    ScanStep step_;
    int32_t ticks_ = 0;
};

// Widens span by the finite values of the events of one record of the getter's calculation, telling the
// watch after every read; false when the watch stopped the scan.
bool WidenByRecord(ExtLib::EnumGetterBase& getter, int32_t record, RecordScanWatch& watch, ValueSpan& span)
{
    watch.Enter(record);
    bool going = true;
    if (getter.SetSources(TickPosition{record, 0}))
    {
        const Orv::ComPtr<IEnumEventEx> events = getter.GetEnumEventEx();
        std::vector<OrvEventBase> buffer(BufferEvents);
        for (HRESULT hr = S_OK; events && hr == S_OK && going;)
        {
            int32_t count = 0, next = CalcNoMoreEventsTick;
            hr = events->Next(static_cast<int32_t>(sizeof(OrvEventBase)) * BufferEvents, CalcNoMoreEventsTick,
                              buffer.data(), &count, &next);
            if (FAILED(hr) || count <= 0)
                break;
            for (int32_t i = 0; i < std::min(count, BufferEvents); ++i)
                Widen(span, static_cast<float>(buffer[static_cast<size_t>(i)].value));
            going = watch.Reached(next);
        }
        getter.Stop();
    }
    return going && watch.Reached(CalcNoMoreEventsTick);
}

} // namespace

ValueSpan ExpressionDataRange(IUnknown* document, uint32_t calculationType, const std::wstring& text,
                              const ScanProgress& progress)
{
    ValueSpan found;
    Orv::ComPtr<IHostDocument> host;
    int32_t records = 0, current = 0;
    if (!document || FAILED(document->QueryInterface(IID_IHostDocument, host.PutVoid())) || !host ||
        FAILED(host->GetRecordCount(&records, &current)) || records <= 0)
        return found;
    // One compiled calculation serves every record, started anew on each: the text is not compiled again
    // per record.
    ExtLib::EventEnumDataGetter getter(document, ExtLib::GetterOfflineOpenEnd);
    if (!getter.CreateEnum(calculationType, text))
        return found;
    RecordScanWatch watch(*host.Get(), records, progress);
    for (int32_t record = 0; record < records; ++record)
        if (!WidenByRecord(getter, record, watch, found))
            return std::nullopt;
    return found;
}

void ScaleSettingsToData(ChannelCalculationSettings& settings, IUnknown* document)
{
    if (!settings.autoScale)
        return;
    // The text is built on a copy: a scan that finds nothing or is cancelled changes no setting.
    auto probe = Orv::ComPtr<ChannelCalculationSettings>::Adopt(new ChannelCalculationSettings(settings));
    const Orv::String text = PrepareSelectorText(*probe.Get(), document);
    RecordScanIndicator indicator(ScanTitle);
    const ValueSpan range = ExpressionDataRange(document, HostCommonType::Id(), text.c_str(),
                                                indicator.Watcher());
    if (range)
    {
        settings.low = range->first;
        settings.high = range->second;
    }
}

SistraChannelCalculation::SistraChannelCalculation(uint32_t value, IUnknown* host, uint32_t first, uint32_t second)
    : ChannelCalcBase(value, host, first, second),
      settings_(Orv::ComPtr<ChannelCalculationSettings>::Adopt(new ChannelCalculationSettings()))
{
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::SetUp(uint32_t parameter, uint32_t, IUnknown** source,
                                                          TimeBase* scale, uint32_t flag, uint32_t* word)
{
    if (source)
    {
        *source = source_.Get();
        if (*source)
            (*source)->AddRef();
    }
    if (scale)
        *scale = TimeBase{};
    if (word)
        *word = 0;
    Orv::ComPtr<IChannelCalcHost> channelHost;
    if (!Host() || FAILED(Host()->QueryInterface(IID_IChannelCalcHost, channelHost.PutVoid())) || !channelHost)
        return E_FAIL;
    return channelHost->SetUpChannel(0, parameter, flag);
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::ApplySettings(IPersistObject* settings, int32_t force)
{
    ChannelCalculationSettings* incoming = AsSettings(settings);
    if (!incoming)
        return E_INVALIDARG;
    if (!force && settings_->SameChoice(*incoming))
        return S_FALSE;
    return Orv::CatchReturn([&] {
        float low = incoming->low;
        float high = incoming->high;
        WidenNarrowRange(low, high);
        SetOutputRange(static_cast<int32_t>(incoming->decimalPlaces), high, low);

        unit_ = ChannelUnitOf(*incoming);
        unitPrefixCode_ = unit_.GetPrefixCode();
        TellChannelUnit(unit_);

        source_.Reset();
        Orv::ComPtr<IChannelCalcHost> channelHost;
        if (Host() && SUCCEEDED(Host()->QueryInterface(IID_IChannelCalcHost, channelHost.PutVoid())) && channelHost)
            channelHost->GetChannelSource(source_.Put());

        settings_->CopyFrom(*incoming);
        const Orv::String text = PrepareSelectorText(*settings_.Get(), DocumentData());
        return AttachExpression(text, HostCommonType::Id(), ComputedChannelEventResult);
    });
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::SetSettings(IPersistObject* settings)
{
    ChannelCalculationSettings* incoming = AsSettings(settings);
    if (!incoming)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] { settings_->CopyFrom(*incoming); });
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::CloneSettings(IPersistObject** settings)
{
    if (!settings)
        return E_POINTER;
    *settings = new (std::nothrow) ChannelCalculationSettings(*settings_.Get());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE SistraChannelCalculation::GetClassName(IOrvString** name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    return Orv::CatchReturn([&] {
        const Orv::String text(L"Sistra");
        *name = text.Interface();
        (*name)->AddRef();
    });
}

} // namespace Sistra
