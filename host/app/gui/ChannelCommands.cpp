#include "host/app/gui/ChannelCommands.h"

#include "host/app/document/ChannelActions.h"
#include "host/app/document/RecordActions.h"
#include "host/app/files/TextConversion.h"
#include "host/app/gui/FieldsDialog.h"

#include <algorithm>
#include <iomanip>
#include <optional>
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

struct ChannelChoice
{
    int32_t channel;
    std::wstring text;
};

// The channels a person can choose, numbered as the document numbers them: the recorded ones not deleted
// and, withComputed, the computed ones after them.
std::vector<ChannelChoice> ChannelChoices(const HostDocument& document, bool withComputed)
{
    std::vector<ChannelChoice> choices;
    const std::vector<ChannelInfo>& recorded = document.Data().Channels();
    const auto choice = [&](size_t channel, const std::wstring& title) {
        choices.push_back({static_cast<int32_t>(channel), std::to_wstring(channel + 1) + L": " + title});
    };
    for (size_t channel = 0; channel < recorded.size(); ++channel)
        if (const ChannelInfo& info = recorded[channel]; !info.deleted)
            choice(channel, FromUtf8(info.name) + (info.unit.empty() ? L"" : L" (" + FromUtf8(info.unit) + L")"));
    for (size_t computed = 0; withComputed && computed < document.ComputedChannelCount(); ++computed)
        choice(recorded.size() + computed, document.ComputedChannelTitle(computed));
    return choices;
}

// Asks for one of the choices in a dialog titled title; none on Cancel.
std::optional<int32_t> AskChannel(HWND owner, const std::wstring& title, const std::vector<ChannelChoice>& choices,
                                  std::vector<DialogField> more, std::vector<std::wstring>* answers = nullptr)
{
    if (choices.empty())
        throw std::runtime_error("the document has no channel left");
    std::vector<std::wstring> texts;
    for (const ChannelChoice& choice : choices)
        texts.push_back(choice.text);
    more.insert(more.begin(), DialogField{L"Channel", texts.front(), texts});
    const auto answer = AskFields(owner, title, more);
    if (!answer)
        return std::nullopt;
    if (answers)
        *answers = *answer;
    const auto chosen = std::find(texts.begin(), texts.end(), answer->front());
    return chosen == texts.end() ? std::nullopt : std::optional<int32_t>(choices[static_cast<size_t>(chosen - texts.begin())].channel);
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
                                     {L"&Delete Event Source...", [this] { DeleteSource(); }},
                                     {L"Delete &Channel...", [this] { DeleteChosenChannel(); }}});
    frame_.SetEditActions({[this] {
                               ClearSelectedData(opened_.Host(), opened_.EditableRecording());
                               changed_();
                           },
                           [this] { DeleteSelectedRecord(); }});
}

ChannelCommands::~ChannelCommands()
{
    frame_.SetEditActions({});
}

void ChannelCommands::AskUnits()
{
    const std::vector<ChannelChoice> choices = ChannelChoices(opened_.Host(), false);
    // The unit box offers the chosen channel's recorded unit, as the identity points above it do.
    std::vector<std::wstring> units;
    for (const ChannelChoice& choice : choices)
        units.push_back(FromUtf8(opened_.Host().Data().Channels()[static_cast<size_t>(choice.channel)].unit));
    const std::vector<DialogField> fields{{L"Raw value 1", L"0", {}},
                                          {L"Shows 1", L"0", {}},
                                          {L"Raw value 2", L"1", {}},
                                          {L"Shows 2", L"1", {}},
                                          {L"Unit", units.empty() ? L"" : units.front(), {}, units}};
    std::vector<std::wstring> answer;
    const auto channel = AskChannel(frame_.Handle(), L"Units", choices, fields, &answer);
    if (!channel)
        return;
    UnitsChange change;
    change.channel = *channel;
    change.raw1 = NumberOf(answer[1], fields[0].label);
    change.shown1 = NumberOf(answer[2], fields[1].label);
    change.raw2 = NumberOf(answer[3], fields[2].label);
    change.shown2 = NumberOf(answer[4], fields[3].label);
    change.unit = answer[5];
    const bool turnedOver = ChangeChannelUnits(opened_.Host(), change);
    changed_();
    if (turnedOver)
        MessageBoxW(frame_.Handle(),
                    (L"Channel " + std::to_wstring(change.channel + 1) +
                     L" is shown turned over: a higher raw value shows a lower value, as a transducer connected the "
                     L"other way round needs.").c_str(),
                    L"Units", MB_OK | MB_ICONINFORMATION);
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

void ChannelCommands::DeleteSelectedRecord()
{
    const Recording& recording = opened_.EditableRecording();
    const int32_t record = RecordToDelete(opened_.Host(), recording);
    const auto count = recording.RecordCount();
    const Record& doomed = recording.RecordAt(static_cast<size_t>(record));
    std::wostringstream question;
    question.imbue(std::locale::classic());
    question << L"Delete record " << record + 1 << L" of " << count << L" (" << std::fixed << std::setprecision(3)
             << static_cast<double>(doomed.Length()) * doomed.SampleInterval() << L" s)?";
    if (record + 1 < static_cast<int32_t>(count))
        question << L" The records after it move up a place.";
    if (MessageBoxW(frame_.Handle(), question.str().c_str(), L"Delete Record", MB_OKCANCEL | MB_ICONQUESTION) != IDOK)
        return;
    DeleteRecord(opened_.Host(), opened_.EditableRecording(), record);
    changed_();
}

void ChannelCommands::DeleteChosenChannel()
{
    const auto channel = AskChannel(frame_.Handle(), L"Delete Channel", ChannelChoices(opened_.Host(), true), {});
    if (!channel)
        return;
    DeleteChannel(opened_.Host(), opened_.EditableRecording(), *channel);
    changed_();
}

} // namespace Host
