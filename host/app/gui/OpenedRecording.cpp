#include "host/app/gui/OpenedRecording.h"

#include "host/app/AnalyzeCommand.h"
#include "host/app/ModuleLoader.h"
#include "host/app/TextConversion.h"
#include "host/app/calc/SampleFilterClass.h"
#include "host/app/recording/RecordingText.h"

#include <stdexcept>

namespace Host
{

namespace
{

// The channels the analysis reads, found by their names; none when the recording does not name them.
std::optional<AnalysisChoices> ChoicesByName(const Recording& recording, std::string& problem)
{
    try
    {
        AnalysisChoices choices;
        choices.pressureChannel = ChannelByWord(recording, "pressure");
        choices.volumeChannel = ChannelByWord(recording, "volume");
        return choices;
    }
    catch (const std::runtime_error&)
    {
        problem = "the recording does not name one pressure and one volume channel";
        return std::nullopt;
    }
}

} // namespace

OpenedRecording::OpenedRecording(const std::string& file) : file_(file), recording_(LoadRecordingFile(file))
{
    Calc::RegisterSampleFilterClass(session_.Framework().StandIn());
    const HRESULT loaded = session_.LoadModule(ExecutableFolder() + L"Sistra.dll", &application_);
    if (FAILED(loaded))
        throw std::runtime_error("the module did not register (" + HResultText(loaded) + ")");
    hostDocument_ = HostDocument::Offline(recording_);
    classes_.emplace(session_.Framework());
    if (const std::optional<AnalysisChoices> choices = ChoicesByName(recording_, notAnalysed_))
    {
        analysis_.emplace(session_.Framework().StandIn(), *hostDocument_.Get(), *choices);
        analysis_->AnalyzeNow();
    }
    else
        document_.emplace(classes_->DocumentClass(), *hostDocument_.Get());
}

} // namespace Host
