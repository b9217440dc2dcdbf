#include "host/app/gui/ChannelCommands.h"

#include "host/app/ChannelActions.h"
#include "host/app/TextConversion.h"
#include "host/app/gui/FieldsDialog.h"

#include <sstream>
#include <stdexcept>

namespace Host
{

namespace
{

double NumberOf(const std::wstring& text, const std::wstring& field)
{
    std::wistringstream stream(text);
    stream.imbue(std::locale::classic());
    double value = 0.0;
    if (!(stream >> value) || !(stream >> std::ws).eof())
        throw std::invalid_argument(ToUtf8(field) + " needs a number, not '" + ToUtf8(text) + "'");
    return value;
}

std::wstring ChannelChoice(const Recording& recording, size_t channel)
{
    const ChannelInfo& info = recording.Channels()[channel];
    return std::to_wstring(channel + 1) + L": " + FromUtf8(info.name) +
           (info.unit.empty() ? L"" : L" (" + FromUtf8(info.unit) + L")");
}

} // namespace

ChannelCommands::ChannelCommands(FrameWindow& frame, OpenedRecording& opened, std::function<void()> changed)
    : frame_(frame), opened_(opened), changed_(std::move(changed))
{
    frame_.AddHostMenu(L"&Channel", {{L"&Units...", [this] { AskUnits(); }},
                                     {L"&Recorded Units",
                                      [this] {
                                          RestoreRecordedUnits(opened_.Host());
                                          changed_();
                                      }},
                                     {L"&Delete Event Source...", [this] { DeleteSource(); }}});
    frame_.SetDataClearer([this] {
        ClearSelectedData(opened_.Host(), opened_.EditableRecording());
        changed_();
    });
}

ChannelCommands::~ChannelCommands()
{
    frame_.SetDataClearer({});
}

void ChannelCommands::AskUnits()
{
    const Recording& recording = opened_.Host().Data();
    std::vector<std::wstring> channels;
    for (size_t channel = 0; channel < recording.Channels().size(); ++channel)
        channels.push_back(ChannelChoice(recording, channel));
    const std::vector<DialogField> fields{{L"Channel", channels.front(), channels},
                                          {L"Raw value 1", L"0", {}},
                                          {L"Shows 1", L"0", {}},
                                          {L"Raw value 2", L"1", {}},
                                          {L"Shows 2", L"1", {}},
                                          {L"Unit", FromUtf8(recording.Channels().front().unit), {}}};
    const auto answer = AskFields(frame_.Handle(), L"Units", fields);
    if (!answer)
        return;
    UnitsChange change;
    for (size_t channel = 0; channel < channels.size(); ++channel)
        if (channels[channel] == (*answer)[0])
            change.channel = static_cast<int32_t>(channel);
    change.raw1 = NumberOf((*answer)[1], fields[1].label);
    change.shown1 = NumberOf((*answer)[2], fields[2].label);
    change.raw2 = NumberOf((*answer)[3], fields[3].label);
    change.shown2 = NumberOf((*answer)[4], fields[4].label);
    change.unit = (*answer)[5];
    ChangeChannelUnits(opened_.Host(), change);
    changed_();
}

void ChannelCommands::DeleteSource()
{
    const std::vector<std::wstring> sources = opened_.Host().NamedEventSources();
    if (sources.empty())
        throw std::runtime_error("the document has no event source to delete");
    const auto answer = AskFields(frame_.Handle(), L"Delete Event Source", {{L"Event source", sources.front(), sources}});
    if (!answer)
        return;
    DeleteEventSource(opened_.Host(), answer->front());
    changed_();
}

} // namespace Host
