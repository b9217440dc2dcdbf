#include "host/app/gui/MacroRecorder.h"

#include "host/app/document/DocumentAnalysis.h"
#include "host/app/commands/MacroCommand.h"
#include "host/app/files/SaveDialog.h"
#include "host/app/files/WholeFile.h"
#include "host/app/files/TextConversion.h"
#include "host/app/macro/MacroText.h"
#include "hostapi/CalcEventRecords.h"
#include "hostapi/VyrClassRegistry.h"

#include <commdlg.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace Host
{

MacroRecorder::MacroRecorder(FrameWindow& frame, OpenedRecording& opened) : frame_(frame), opened_(opened)
{
    frame_.AddHostMenu(L"&Macro", {{L"&Record...", [this] { AskAndStart(); }}, {L"&Stop Recording", [this] { Stop(); }}});
}

MacroRecorder::~MacroRecorder()
{
    if (!Recording())
        return;
    try
    {
        Stop();
    }
    catch (const std::exception&)
    {
        // The frame is going: nobody is left to tell.
    }
    opened_.StandIn().RecordMacro(nullptr);
}

void MacroRecorder::AskAndStart()
{
    if (Recording())
        throw std::runtime_error("a macro is being recorded already: Macro > Stop Recording saves it");
    const HostSaveFileRequest request{L"Record Macro", L"Macro text (*.txt)\0*.txt\0All files (*.*)\0*.*\0", 1,
                                      nullptr, L"txt", OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};
    const std::wstring path = AskSavePath(request, frame_.Handle());
    if (!path.empty())
        Start(path);
}

void MacroRecorder::Start(const std::wstring& path)
{
    if (Recording())
        throw std::runtime_error("a macro is being recorded already");
    writer_ = Orv::ComPtr<IMacroWriter>::Adopt(Macro::CreateMacroRecorder([this] { return LeadIn(); }));
    path_ = path;
    opening_ = FramesState();
    opened_.StandIn().RecordMacro(writer_.Get());
}

void MacroRecorder::Stop()
{
    if (!Recording())
        throw std::runtime_error("no macro is being recorded: Macro > Record... starts one");
    // Stopped first, so that no statement comes in while the others are saved.
    opened_.StandIn().RecordMacro(nullptr);
    std::vector<std::wstring> statements = opening_;
    std::ranges::move(Macro::RecordedTexts(writer_.Get()), std::back_inserter(statements));
    // Loops left out after the last command still count for the results the macro is to bring.
    if (const std::optional<std::wstring> excluding = ExclusionLeadIn())
        statements.push_back(*excluding);
    std::string text;
    for (const std::wstring& statement : statements)
        text += ToUtf8(statement) + "\n";
    try
    {
        WriteWholeFile(path_, text);
    }
    catch (const std::exception&)
    {
        opened_.StandIn().RecordMacro(writer_.Get());
        throw;
    }
    writer_.Reset();
}

// A macro runs on a new document, in the workflow, with nothing analysed, selected or left out, on the
// channels 1 and 2: the frame may have left each behind before the recording began.
std::vector<std::wstring> MacroRecorder::FramesState()
{
    std::vector<std::wstring> statements{L"' the frame's document on " + opened_.Title() + L" as the recording began"};
    if (const std::optional<ChosenChannels>& channels = opened_.Channels())
        statements.push_back(ChannelsStatement(channels->pressure, channels->volume, channels->ecg));
    statements.push_back(WorkflowModeStatement(frame_.CommandEnabled(WorkflowMenuPath)));
    if (DocumentAnalysis* analysis = opened_.Analysis(); analysis && analysis->LoopCount() > 0)
        statements.push_back(AnalyzeStatement);
    selected_.reset();
    excluded_.clear();
    std::ranges::move(LeadIn(), std::back_inserter(statements));
    return statements;
}

std::vector<std::wstring> MacroRecorder::LeadIn()
{
    std::vector<std::wstring> statements;
    for (std::optional<std::wstring> statement : {SelectionLeadIn(), ExclusionLeadIn()})
        if (statement)
            statements.push_back(std::move(*statement));
    return statements;
}

std::optional<std::wstring> MacroRecorder::SelectionLeadIn()
{
    TickPosition start{}, end{};
    if (FAILED(opened_.Host().GetSelection(&start, &end)) || start.record == HostRecordEnd)
        return std::nullopt;
    const auto same = [](TickPosition a, TickPosition b) { return a.record == b.record && a.tick == b.tick; };
    if (selected_ && same(selected_->first, start) && same(selected_->second, end))
        return std::nullopt;
    selected_ = {start, end};
    return SelectStatement(opened_.Host().Data(), start, end);
}

// A command is written once it has run, so the loops are read as it left them: as they were before it for a
// command that keeps them out (a relation's type), moot for one that brings them back (an analysis).
std::optional<std::wstring> MacroRecorder::ExclusionLeadIn()
{
    std::vector<uint32_t> excluded;
    if (DocumentAnalysis* analysis = opened_.Analysis())
    {
        const std::vector<LoopRow> loops = analysis->Loops();
        for (uint32_t loop = 0; loop < loops.size(); ++loop)
            if (loops[loop].record.state == Sistra::LoopStateExcluded)
                excluded.push_back(loop);
    }
    if (excluded == excluded_)
        return std::nullopt;
    excluded_ = excluded;
    return ExcludeLoopsStatement(excluded);
}

} // namespace Host
