#include "document/analysis/VChanData.h"

#include "calc/engine/ExpressionText.h"
#include "calc/sources/ChannelEntries.h"

#include <algorithm>
#include <cmath>
#include <cwctype>
#include <iterator>

namespace Sistra
{
namespace
{

constexpr const wchar_t* EventsWithoutVpName = L"pveventwithoutvp";
constexpr const wchar_t* EchoSuffix = L"_echo";
constexpr const wchar_t* ItemNames[] = {LoopEventStreamName, PvaEventStreamName, CorrectedVolumeName, EventsWithoutVpName};

bool IsSet(HostItemId id) { return id.first != HostItemUnsetFirst; }

HostItemId Find(IHostCalcItems& items, const wchar_t* name, bool echo)
{
    const std::wstring full = echo ? std::wstring(name) + EchoSuffix : std::wstring(name);
    HostItemId id;
    if (items.FindItem(full.c_str(), &id) != S_OK)
        return HostItemId{};
    return id;
}

} // namespace

VChanData::VChanData(IUnknown* host, bool echo) : host_(host), echo_(echo) {}

bool VChanData::IsAnalysisItemName(const std::wstring& name)
{
    std::wstring lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](wchar_t c) { return std::towlower(c); });
    return std::any_of(std::begin(ItemNames), std::end(ItemNames), [&](const wchar_t* own) {
        return lower == own || lower == std::wstring(own) + EchoSuffix;
    });
}

VChanData::VChanData(const VChanData& other)
    : host_(other.host_), echo_(other.echo_), loops_(other.loops_), pva_(other.pva_), volume_(other.volume_),
      events_(other.events_), stats_(other.stats_ ? std::make_unique<EventStats>(*other.stats_) : nullptr),
      calculationsPresent_(other.calculationsPresent_)
{
}

// Every record read goes through the host's items: the face is asked for once. The host outlives this, and
// its faces with it, so no reference is kept (the host holds the document that holds this).
IHostCalcItems* VChanData::Items() const
{
    if (!items_ && host_)
    {
        Orv::ComPtr<IHostCalcItems> items;
        if (SUCCEEDED(host_->QueryInterface(IID_IHostCalcItems, items.PutVoid())))
            items_ = items.Get();
    }
    return items_;
}

void VChanData::Reset()
{
    stats_.reset();
    ResetReaders();
}

void VChanData::ResetReaders()
{
    loopReader_.Reset();
    pvaReader_.Reset();
    volumeReader_.Reset();
}

void VChanData::AddEvent(int32_t block, const SistraEvent& loop)
{
    if (!stats_)
        stats_ = std::make_unique<EventStats>();
    stats_->AddEvent(block, loop.state);
}

void VChanData::SetEventState(uint32_t eventIndex, int32_t state)
{
    if (stats_)
        stats_->SetState(eventIndex, state);
}

bool VChanData::FindCalculations()
{
    if (IsSet(loops_))
        return true;
    const auto items = Items();
    if (!items)
        return false;
    loops_ = Find(*items, LoopEventStreamName, echo_);
    pva_ = Find(*items, PvaEventStreamName, echo_);
    volume_ = Find(*items, CorrectedVolumeName, echo_);
    events_ = Find(*items, EventsWithoutVpName, echo_);
    return IsSet(loops_);
}

bool VChanData::Build(HostItemId item, const std::wstring& text)
{
    const auto items = Items();
    return items && IsSet(item) && items->SetItemCalculation(item, text.c_str(), nullptr) == S_OK;
}

bool VChanData::CreateCalculations(const std::wstring& loopText, const std::wstring& volumeText,
                                   const std::wstring& eventText)
{
    calculationsPresent_ = true;
    // The readers keep the host's enumerators open: none may go on reading a calculation being replaced.
    ResetReaders();
    // The loop analysis may read the corrected volume: that item comes first.
    if (!volumeText.empty())
        Build(volume_, volumeText);
    if (!Build(loops_, loopText))
        return false;
    if (!eventText.empty())
        Build(events_, eventText);
    return true;
}

bool VChanData::CreatePvaCalculation(const std::wstring& text)
{
    pvaReader_.Reset();
    return IsSet(loops_) && Build(pva_, text);
}

void VChanData::AttachToChannel(int32_t channel, int32_t previousChannel, bool attach)
{
    if (previousChannel != -1 && HostChannelHasEntry(host_, loops_.first, previousChannel))
        HostChannelRemoveEntry(host_, loops_.first, previousChannel);
    if (!attach || !IsSet(loops_))
        return;
    Orv::ComPtr<IHostDataItems> items;
    if (host_ && SUCCEEDED(host_->QueryInterface(IID_IHostDataItems, items.PutVoid())) && items)
    {
        ChannelEntry entry = ModuleChannelEntry(loops_.first);
        entry.size = loops_.second;
        items->AddChannelEntry(channel, HostUnsetPosition, &entry);
    }
}

void VChanData::ClearStreams(int32_t channel)
{
    if (!calculationsPresent_)
        return;
    if (HostChannelHasEntry(host_, loops_.first, channel))
        HostChannelRemoveEntry(host_, loops_.first, channel);
    if (const auto items = Items())
        for (HostItemId item : {loops_, pva_, volume_, events_})
            if (IsSet(item))
                items->DropItemCalculation(item);
    calculationsPresent_ = false;
    Reset();
}

std::wstring VChanData::ItemText(HostItemId item) const
{
    const auto items = Items();
    BSTR text = nullptr;
    if (!items || items->FormatItemId(item, &text) != S_OK || !text)
        return {};
    std::wstring result(text, SysStringLen(text));
    SysFreeString(text);
    return result;
}

void VChanData::WriteRegionTexts()
{
    const auto items = Items();
    if (!items)
        return;
    for (HostItemId item : {loops_, pva_, volume_, events_})
        items->KeepItemText(ItemText(item).c_str());
}

bool VChanData::GetRegion(HostItemId& loops, std::wstring& loopsText, HostItemId& pva, std::wstring& pvaText)
{
    loops = loops_;
    pva = pva_;
    loopsText = ItemText(loops_);
    pvaText = ItemText(pva_);
    return IsSet(loops_);
}

bool VChanData::GetLoopRecord(uint32_t eventIndex, SistraEvent& loop, int32_t& block)
{
    const auto items = Items();
    const auto place = stats_ ? stats_->FindBlockOfEvent(eventIndex) : std::nullopt;
    if (!items || !place ||
        !loopReader_.Read(*items, loops_, place->block, place->offset, &loop, sizeof loop))
        return false;
    if (stats_->StateOf(eventIndex) == LoopStateExcluded)
        loop.state = LoopStateExcluded;
    block = place->block;
    return true;
}

bool VChanData::GetLoopRecordIncluded(uint32_t loopIndex, SistraEvent& loop, int32_t& block)
{
    const auto eventIndex = stats_ ? stats_->FromIncludedIndex(loopIndex) : std::nullopt;
    return eventIndex && GetLoopRecord(*eventIndex, loop, block);
}

template <class Record>
bool VChanData::ReadAtLoopTick(EventBuffer& reader, HostItemId item, uint32_t loopIndex, Record& record)
{
    SistraEvent loop;
    int32_t block = 0;
    const auto items = Items();
    if (!items || !IsSet(item) || !GetLoopRecordIncluded(loopIndex, loop, block) ||
        !reader.ReadFrom(*items, item, block, loop.base.tick, &record, sizeof record))
        return false;
    // The item has no record of this loop when its first record from the loop's tick on is a later one's.
    return record.base.tick == loop.base.tick;
}

bool VChanData::GetPvaRecord(uint32_t loopIndex, PVAEvent& pva)
{
    return ReadAtLoopTick(pvaReader_, pva_, loopIndex, pva);
}

bool VChanData::GetVolumeRecord(uint32_t loopIndex, SistraEvent& loop)
{
    return ReadAtLoopTick(volumeReader_, events_, loopIndex, loop);
}

std::optional<TickPosition> VChanData::GetLoopPosition(uint32_t loopIndex)
{
    SistraEvent loop;
    int32_t block = 0;
    if (!GetLoopRecordIncluded(loopIndex, loop, block))
        return std::nullopt;
    return TickPosition{block, static_cast<int32_t>(std::floor(loop.base.Position() + 0.5))};
}

int32_t VChanData::FindEventAt(int32_t tick, int32_t block)
{
    const auto items = Items();
    if (!stats_ || !items || block < 0)
        return -1;
    const auto& records = stats_->Records();
    int32_t index = static_cast<size_t>(block) < records.size() ? records[static_cast<size_t>(block)].first : -1;
    EventBuffer reader;
    SistraEvent loop;
    int32_t offset = 0;
    if (!reader.Read(*items, loops_, block, offset, &loop, sizeof loop))
        return -1;
    do
    {
        if (loop.base.tick == tick)
            return index;
        ++index;
    } while (reader.Read(*items, loops_, block, ++offset, &loop, sizeof loop));
    return index;
}

} // namespace Sistra
