// The seam the module's tests see the host stand-in through, over the stand-in's own classes.
#include "host/tests/support/StandInConcrete.h"

#include "host/tests/module/SharedFramework.h"
#include "host/vyr/UnitConversions.h"

namespace StandInHost
{

void Record::Append(const std::vector<std::span<const float>>& rows)
{
    recording_.recording.RecordAt(index_).Append(rows);
}

void Record::MarkComplete()
{
    recording_.recording.RecordAt(index_).MarkComplete();
}

namespace
{

std::vector<Host::ChannelInfo> HostChannels(std::vector<ChannelInfo> channels)
{
    std::vector<Host::ChannelInfo> declared;
    for (ChannelInfo& channel : channels)
        declared.push_back({std::move(channel.name), std::move(channel.unit)});
    return declared;
}

} // namespace

Recording::Recording(std::vector<ChannelInfo> channels)
    : concrete_(std::make_unique<Concrete>(Concrete{Host::Recording(HostChannels(std::move(channels)))}))
{
}

Recording::Recording(std::unique_ptr<Concrete> concrete) : concrete_(std::move(concrete)) {}
Recording::Recording(Recording&&) noexcept = default;
Recording& Recording::operator=(Recording&&) noexcept = default;
Recording::~Recording() = default;

Record Recording::AddRecord(double sampleInterval)
{
    concrete_->recording.AddRecord(sampleInterval);
    return Record(*concrete_, concrete_->recording.RecordCount() - 1);
}

void Recording::MarkFinished()
{
    concrete_->recording.MarkFinished();
}

std::unique_ptr<HostDocument> HostDocument::FromContext(IUnknown* context)
{
    Orv::ComPtr<Host::HostDocument> document = Host::HostDocument::FromContext(context);
    if (!document)
        return nullptr;
    return std::make_unique<HostDocument>(std::make_unique<Concrete>(Concrete{std::move(document)}));
}

HostDocument::HostDocument(std::unique_ptr<Concrete> concrete) : concrete_(std::move(concrete)) {}
HostDocument::~HostDocument() = default;

IUnknown* HostDocument::Unknown()
{
    return concrete_->document->Unknown();
}

HRESULT HostDocument::SelectRange(int32_t channel, const TickPosition* start, const TickPosition* end)
{
    return concrete_->document->SelectRange(channel, start, end);
}

void HostDocument::SetSelection(TickPosition start, TickPosition end)
{
    concrete_->document->SetSelection(start, end);
}

HRESULT HostDocument::GetChannelConversion(int32_t position, int32_t record, int32_t channel,
                                           IUnitConversion** conversion)
{
    return concrete_->document->GetChannelConversion(position, record, channel, conversion);
}

void HostDocument::SetRecordConversion(int32_t channel, int32_t record, IUnitConversion* conversion)
{
    concrete_->document->SetRecordConversion(channel, record, conversion);
}

size_t HostDocument::CalculatedChannelCount() const
{
    return concrete_->document->CalculatedChannels().size();
}

HRESULT HostDocument::GetChannelCalculation(int32_t channel, int32_t selector, IUnknown** object)
{
    return concrete_->document->GetChannelCalculation(channel, selector, object);
}

HRESULT HostDocument::OpenCalculatedChannelEvents(int32_t index, int32_t record, int32_t startTick,
                                                  IEnumEventEx** events)
{
    return concrete_->document->OpenCalculatedChannelEvents(index, record, startTick, events);
}

void HostDocument::SetTimeDisplayMode(std::optional<uint32_t> mode)
{
    concrete_->document->SetTimeDisplayMode(mode);
}

bool HostDocument::Acquiring() const
{
    return concrete_->document->Acquisition() != nullptr;
}

IUnknown* HostDocument::DeclaredUnits(int32_t channel) const
{
    const Host::DocumentAcquisition* acquisition = concrete_->document->Acquisition();
    return acquisition ? acquisition->DeclaredUnits(channel) : nullptr;
}

IVyrStandIn& StandIn()
{
    return HostTests::StandIn();
}

HRESULT CreateTwoPointConversion(IUnitConversion* current, const WCHAR* raw1, const WCHAR* raw2,
                                 const WCHAR* shown1, const WCHAR* shown2, const WCHAR* unit, LONG prefixCode,
                                 IUnitConversion** conversion)
{
    return Vyr::CreateTwoPointConversion(current, raw1, raw2, shown1, shown2, unit, prefixCode, conversion);
}

} // namespace StandInHost
