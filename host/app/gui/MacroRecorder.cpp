#include "host/app/gui/MacroRecorder.h"

#include "host/app/SaveDialog.h"
#include "host/app/WholeFile.h"
#include "host/app/TextConversion.h"
#include "host/app/macro/MacroText.h"
#include "hostapi/VyrClassRegistry.h"

#include <commdlg.h>

#include <stdexcept>

namespace Host
{

MacroRecorder::MacroRecorder(FrameWindow& frame, IVyrStandIn& standIn) : frame_(frame), standIn_(standIn)
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
    standIn_.RecordMacro(nullptr);
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
    writer_ = Orv::ComPtr<IMacroWriter>::Adopt(Macro::CreateMacroRecorder());
    path_ = path;
    standIn_.RecordMacro(writer_.Get());
}

void MacroRecorder::Stop()
{
    if (!Recording())
        throw std::runtime_error("no macro is being recorded: Macro > Record... starts one");
    // Stopped first, so that no statement comes in while the others are saved.
    standIn_.RecordMacro(nullptr);
    std::string text;
    for (const std::wstring& statement : Macro::RecordedTexts(writer_.Get()))
        text += ToUtf8(statement) + "\n";
    try
    {
        WriteWholeFile(path_, text);
    }
    catch (const std::exception&)
    {
        standIn_.RecordMacro(writer_.Get());
        throw;
    }
    writer_.Reset();
}

} // namespace Host
