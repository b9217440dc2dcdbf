// The module's link to the calculations the host runs for a document: the loop records of "sistra", the
// pressure-volume areas of "pva", and the volume and loop records without parallel conductance,
// "pvvolumewithoutvp" and "pveventwithoutvp" (the echo workflow's items carry "_echo"). It keeps the
// statistics of the current analysis' loop records and reads records back by event or loop index.
#pragma once

#include "document/analysis/EventBuffer.h"
#include "document/analysis/EventStats.h"

#include "hostapi/CalcEventRecords.h"
#include "hostapi/HostDocument.h"

#include <memory>
#include <optional>
#include <string>

namespace Sistra
{

// The three readers of the stores, each with its own position.
class VChanDataInit
{
protected:
    EventBuffer loopReader_;
    EventBuffer pvaReader_;
    EventBuffer volumeReader_;
};

class VChanData : public VChanDataInit
{
public:
    // host: the host document (not owned; it outlives this). echo: the echo workflow's items.
    VChanData(IUnknown* host, bool echo);
    // A copy keeps the items and the statistics; its readers start afresh.
    VChanData(const VChanData& other);
    VChanData& operator=(const VChanData&) = delete;

    // Forgets the statistics and the readers' positions; the items stay.
    void Reset();
    void AddEvent(int32_t block, const SistraEvent& loop);
    void SetEventState(uint32_t eventIndex, int32_t state);

    // Whether a host item of that name (any letter case) is one of the items an analysis makes, in or out
    // of the echo workflow.
    static bool IsAnalysisItemName(const std::wstring& name);
    // Finds (creating them where the document has none) the four items by their names.
    bool FindCalculations();
    // Builds the loop item's calculation, and when that succeeds the volume and event items' from their
    // texts where given; true when the loop calculation was built.
    bool CreateCalculations(const std::wstring& loopText, const std::wstring& volumeText,
                            const std::wstring& eventText);
    bool CreatePvaCalculation(const std::wstring& text);
    // Moves the loop item's mark from the previous channel (-1: none) to the new one when attach is set.
    void AttachToChannel(int32_t channel, int32_t previousChannel, bool attach);
    // Drops the four calculations and the channel's mark, then resets.
    void ClearStreams(int32_t channel);
    // Hands the host the texts of the four items, which it keeps with the document's file.
    void WriteRegionTexts();
    // The loop and area items with their texts; false while the loop item is unset.
    bool GetRegion(HostItemId& loops, std::wstring& loopsText, HostItemId& pva, std::wstring& pvaText);

    // The loop record of an event index, with the user's state written into it.
    bool GetLoopRecord(uint32_t eventIndex, SistraEvent& loop, int32_t& block);
    // The loop record of a loop index (loops counted without closing records).
    bool GetLoopRecordIncluded(uint32_t loopIndex, SistraEvent& loop, int32_t& block);
    // The pressure-volume area and the loop record without parallel conductance of a loop, found by its
    // tick in its block.
    bool GetPvaRecord(uint32_t loopIndex, PVAEvent& pva);
    bool GetVolumeRecord(uint32_t loopIndex, SistraEvent& loop);
    // The loop's block and tick (rounded); none when there is no such loop.
    std::optional<TickPosition> GetLoopPosition(uint32_t loopIndex);
    // The event index of the block's first loop record at the tick; the index past the block's last
    // record when none is; -1 without statistics or records.
    int32_t FindEventAt(int32_t tick, int32_t block);

    const EventStats* Stats() const { return stats_.get(); }
    uint32_t EventCount() const { return stats_ ? stats_->Total() : 0; }
    uint32_t LoopCount() const { return stats_ ? stats_->TotalIncluded() : 0; }
    HostItemId LoopItem() const { return loops_; }
    bool HasCalculations() const { return calculationsPresent_; }

private:
    template <class Record>
    bool ReadAtLoopTick(EventBuffer& reader, HostItemId item, uint32_t loopIndex, Record& record);
    IHostCalcItems* Items() const;
    std::wstring ItemText(HostItemId item) const;
    bool Build(HostItemId item, const std::wstring& text);
    void ResetReaders();

    IUnknown* host_;
    mutable IHostCalcItems* items_ = nullptr;
    bool echo_;
    HostItemId loops_, pva_, volume_, events_;
    std::unique_ptr<EventStats> stats_;
    bool calculationsPresent_ = false;
};

} // namespace Sistra
