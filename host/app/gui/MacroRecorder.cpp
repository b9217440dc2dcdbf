#include "host/app/gui/MacroRecorder.h"

#include "host/app/MacroCommand.h"
#include "host/app/SaveDialog.h"
#include "host/app/WholeFile.h"
#include "host/app/TextConversion.h"
#include "host/app/macro/MacroText.h"
#include "hostapi/VyrClassRegistry.h"

#include <commdlg.h>

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
    writer_ = Orv::ComPtr<IMacroWriter>::Adopt(Macro::CreateMacroRecorder([this] { return SelectionLeadIn(); }));
    path_ = path;
    // A macro runs on a new document, which has nothing selected.
    selected_.reset();
    opened_.StandIn().RecordMacro(writer_.Get());
}

void MacroRecorder::Stop()
{
    if (!Recording())
        throw std::runtime_error("no macro is being recorded: Macro > Record... starts one");
    // Stopped first, so that no statement comes in while the others are saved.
    opened_.StandIn().RecordMacro(nullptr);
    std::string text;
    for (const std::wstring& statement : Macro::RecordedTexts(writer_.Get()))
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

std::wstring MacroRecorder::SelectionLeadIn()
{
    TickPosition start{}, end{};
    if (FAILED(opened_.Host().GetSelection(&start, &end)) || start.record == HostRecordEnd)
        return {};
    const auto same = [](TickPosition a, TickPosition b) { return a.record == b.record && a.tick == b.tick; };
    if (selected_ && same(selected_->first, start) && same(selected_->second, end))
        return {};
    selected_ = {start, end};
    return SelectStatement(opened_.Host().Data(), start, end);
}

} // namespace Host
