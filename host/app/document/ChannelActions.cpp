#include "host/app/document/ChannelActions.h"

#include "host/app/files/TextConversion.h"
#include "host/vyr/UnitConversions.h"
#include "hostapi/HostDocumentEvents.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

namespace Host
{

namespace
{

// The host put its own units conversions back on the channels.
constexpr ULONG ConversionsResetNotification = 0x80000002;
// The host's menus changed: modules update the states of theirs.
constexpr ULONG MenusChangedNotification = 0x80000006;
// The third word of a sources-changed record: negative when the sources were removed.
constexpr uint32_t SourcesRemoved = 0x80000000u;

std::wstring NumberText(double value)
{
    std::wostringstream text;
    text.imbue(std::locale::classic());
    text.precision(17);
    text << value;
    return text.str();
}

} // namespace

namespace
{

// A higher raw value shows a lower one.
bool TurnsOver(const UnitsChange& change)
{
    return (change.shown2 - change.shown1) / (change.raw2 - change.raw1) < 0.0;
}

const wchar_t* QuantityName(Vyr::Quantity quantity)
{
    return quantity == Vyr::Quantity::Pressure ? L"pressure" : L"volume";
}

// A channel recorded as a pressure or a volume shows that quantity in every unit: another kind of unit
// would give every reader (the module's calculations among them) numbers of one quantity named as
// another, and a falling line would turn the signal over. A raw signal (volts) may take any unit and
// either sign: a transducer wired the other way round is shown upright through a negative scale.
void CheckQuantity(const std::wstring& recordedUnit, const UnitsChange& change)
{
    const Vyr::Quantity recorded = Vyr::QuantityOf(recordedUnit);
    if (recorded == Vyr::Quantity::Other)
        return;
    const std::string what = ToUtf8(QuantityName(recorded));
    if (Vyr::QuantityOf(change.unit) != recorded)
        throw std::invalid_argument("channel " + std::to_string(change.channel + 1) + " records a " + what + " (" +
                                    ToUtf8(recordedUnit) + "): it cannot be shown in " + ToUtf8(change.unit) +
                                    ", which is no " + what + " unit");
    if (TurnsOver(change))
        throw std::invalid_argument("channel " + std::to_string(change.channel + 1) + " records a " + what +
                                    ": a higher raw value must show a higher " + what +
                                    " (these points would turn the signal over)");
}

} // namespace

bool ChangeChannelUnits(HostDocument& document, const UnitsChange& change)
{
    if (change.channel < 0 || static_cast<size_t>(change.channel) >= document.Data().Channels().size())
        throw std::invalid_argument("there is no recorded channel " + std::to_string(change.channel + 1));
    if (change.unit.empty())
        throw std::invalid_argument("the units need a unit name");
    if (change.raw1 == change.raw2 || change.shown1 == change.shown2)
        throw std::invalid_argument("the two points need different raw values and different shown values");
    const std::wstring recordedUnit = FromUtf8(document.Data().Channels()[static_cast<size_t>(change.channel)].unit);
    CheckQuantity(recordedUnit, change);
    const Orv::ComPtr<IUnitConversion> recorded = Vyr::MakeIdentityConversion(recordedUnit);
    // The conversion keeps the unit apart from its prefix, as a channel recorded in that unit has it: the
    // channel's readers take values without the prefix ("kPa" shows pascals scaled by 1000).
    const Orv::PrefixedUnit unit = Vyr::SplitUnitText(change.unit);
    Orv::ComPtr<IUnitConversion> conversion;
    const HRESULT made = Vyr::CreateTwoPointConversion(
        recorded.Get(), (NumberText(change.raw1) + recordedUnit).c_str(), (NumberText(change.raw2) + recordedUnit).c_str(),
        NumberText(change.shown1).c_str(), NumberText(change.shown2).c_str(), unit.Name().c_str(),
        unit.GetPrefixCode(), conversion.Put());
    if (FAILED(made))
        throw std::invalid_argument("these points make no units conversion: " + FailureText(made));
    Orv::ComPtr<IUnknown> object;
    conversion->QueryInterface(IID_IUnknown, object.PutVoid());
    if (const HRESULT applied = document.ApplyChannelSetup(0, 0, change.channel, 1, object.Get()); FAILED(applied))
        throw std::runtime_error("the channel keeps its units: " + FailureText(applied));
    int32_t channel = change.channel;
    document.Tell(HostDocEventGUID, HostDocEventNumber::ChannelSettingChanged, &channel);
    return TurnsOver(change);
}

void RestoreRecordedUnits(HostDocument& document)
{
    document.RestoreRecordedConversions();
    document.TellFixed(ConversionsResetNotification);
    document.Tell(HostDocEventGUID, HostDocEventNumber::Refresh, nullptr);
}

size_t ClearSelectedData(HostDocument& document, Recording& recording)
{
    if (&recording != &document.Data())
        throw std::runtime_error("the data of a sampled document cannot be cleared");
    TickPosition start{}, end{};
    document.GetSelection(&start, &end);
    if (start.record == HostRecordEnd || start.record != end.record || end.tick <= start.tick)
        throw std::runtime_error("select the data to clear first");
    std::vector<int32_t> channels = document.SelectedChannels();
    if (channels.empty())
        for (size_t channel = 0; channel < recording.Channels().size(); ++channel)
            channels.push_back(static_cast<int32_t>(channel));
    Record& record = recording.RecordAt(static_cast<size_t>(start.record));
    for (const int32_t channel : channels)
        record.Fill(static_cast<size_t>(channel), start.tick, end.tick, 0.0f);
    document.ForgetSampleResults();
    for (int32_t channel : channels)
        document.Tell(HostDocEventGUID, HostDocEventNumber::ChannelDataReplaced, &channel);
    document.Tell(HostDocEventGUID, HostDocEventNumber::Refresh, nullptr);
    return channels.size();
}

namespace
{

// The document's event sources that yield events now.
std::vector<std::wstring> SourcesWithEvents(HostDocument& document)
{
    std::vector<std::wstring> sources;
    for (const std::wstring& name : document.NamedEventSources())
        if (VARIANT_BOOL has = VARIANT_FALSE; SUCCEEDED(document.SourceHasEvents(name.c_str(), &has)) && has)
            sources.push_back(name);
    return sources;
}

void TellSourcesRemoved(HostDocument& document, std::vector<HostSourcePair> sources)
{
    HostSourcesChangedRecord removed{{0, 0, SourcesRemoved}, sources.data(), static_cast<uint32_t>(sources.size())};
    document.Tell(HostDocEventGUID, HostDocEventNumber::SourcesChanged, &removed);
    document.TellFixed(MenusChangedNotification);
}

} // namespace

void DeleteChannel(HostDocument& document, Recording& recording, int32_t channel)
{
    const auto recorded = static_cast<int32_t>(recording.Channels().size());
    int32_t count = 0;
    document.GetChannelCount(&count);
    // A deleted recorded channel is still counted and titled, but is no channel to delete.
    if (channel >= count || !document.HasChannel(channel))
        throw std::invalid_argument("there is no channel " + std::to_string(channel + 1) + " to delete");
    if (channel < recorded && &recording != &document.Data())
        throw std::runtime_error("the channels of a sampled document cannot be deleted");
    const std::vector<std::wstring> before = SourcesWithEvents(document);
    if (channel < recorded)
        recording.DeleteChannel(static_cast<size_t>(channel));
    else
        document.RemoveComputedChannel(static_cast<size_t>(channel - recorded));
    document.ForgetSampleResults();
    // The channel first: a document that analyses it finds it before the sources made from it.
    std::vector<HostSourcePair> removed{{channel, 0}};
    const std::vector<std::wstring> after = SourcesWithEvents(document);
    for (const std::wstring& name : before)
        if (HostSourcePair source{}; std::find(after.begin(), after.end(), name) == after.end() &&
                                     document.ResolveSourceName(name.c_str(), &source) == S_OK)
            removed.push_back(source);
    int32_t changed = channel;
    document.Tell(HostDocEventGUID, HostDocEventNumber::ChannelSettingChanged, &changed);
    TellSourcesRemoved(document, std::move(removed));
    document.Tell(HostDocEventGUID, HostDocEventNumber::Refresh, nullptr);
}

void DeleteEventSource(HostDocument& document, const std::wstring& name)
{
    const std::vector<std::wstring> sources = document.NamedEventSources();
    HostSourcePair source{};
    HostItemId item{};
    // Finding an item makes one of a new name: only a source the document has is looked up.
    if (std::find(sources.begin(), sources.end(), name) == sources.end() ||
        document.ResolveSourceName(name.c_str(), &source) != S_OK || FAILED(document.FindItem(name.c_str(), &item)) ||
        document.DropItemCalculation(item) != S_OK)
        throw std::invalid_argument("'" + ToUtf8(name) + "' is no event source of the document");
    TellSourcesRemoved(document, {source});
}

} // namespace Host
