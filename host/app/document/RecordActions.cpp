#include "host/app/document/RecordActions.h"

#include <map>
#include <stdexcept>
#include <string>

namespace Host
{

namespace
{

// Why the recording's records cannot be deleted; empty when they can.
std::string WhyRecordsStay(HostDocument& document, const Recording& recording)
{
    if (&recording != &document.Data())
        return "the records of a sampled document cannot be deleted";
    if (recording.RecordCount() < 2)
        return "the recording's only record cannot be deleted";
    return {};
}

} // namespace

int32_t RecordToDelete(HostDocument& document, const Recording& recording)
{
    if (const std::string refusal = WhyRecordsStay(document, recording); !refusal.empty())
        throw std::runtime_error(refusal);
    TickPosition start{}, end{};
    document.GetSelection(&start, &end);
    if (start.record == HostRecordEnd || start.record != end.record || start.record < 0 ||
        static_cast<size_t>(start.record) >= recording.RecordCount())
        throw std::runtime_error("select data within the record to delete first");
    return start.record;
}

void HostDocument::RecordDeleted(int32_t record)
{
    if (selection_)
    {
        auto& [start, end] = *selection_;
        if (start.record <= record && end.record >= record)
            ClearSelection();
        else if (start.record > record)
        {
            --start.record;
            if (end.record != HostRecordEnd)
                --end.record;
        }
    }
    std::map<std::pair<int32_t, int32_t>, Orv::ComPtr<IUnitConversion>> moved;
    for (auto& [key, conversion] : recordConversions_)
        if (const auto [channel, at] = key; at != record)
            moved.emplace(std::pair{channel, at > record ? at - 1 : at}, std::move(conversion));
    recordConversions_ = std::move(moved);
    ++conversionRevision_;
    ForgetSampleResults();
}

void DeleteRecord(HostDocument& document, Recording& recording, int32_t record)
{
    if (const std::string refusal = WhyRecordsStay(document, recording); !refusal.empty())
        throw std::runtime_error(refusal);
    if (record < 0 || static_cast<size_t>(record) >= recording.RecordCount())
        throw std::invalid_argument("there is no record " + std::to_string(record + 1) + " to delete");
    recording.DeleteRecord(static_cast<size_t>(record));
    document.RecordDeleted(record);
    document.Tell(HostDocEventGUID, HostDocEventNumber::RecordDeleted, &record);
    document.Tell(HostDocEventGUID, HostDocEventNumber::Refresh, nullptr);
}

} // namespace Host
