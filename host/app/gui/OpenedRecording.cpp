#include "host/app/gui/OpenedRecording.h"

#include "host/app/ModuleLoader.h"
#include "host/app/TextConversion.h"
#include "host/app/calc/SampleFilterClass.h"
#include "host/app/recording/RecordingText.h"

#include <stdexcept>

namespace Host
{

OpenedRecording::OpenedRecording(const std::string& file) : file_(file), recording_(LoadRecordingFile(file))
{
    Calc::RegisterSampleFilterClass(session_.Framework().StandIn());
    const HRESULT loaded = session_.LoadModule(ExecutableFolder() + L"Sistra.dll", &application_);
    if (FAILED(loaded))
        throw std::runtime_error("the module did not register (" + HResultText(loaded) + ")");
    hostDocument_ = HostDocument::Offline(recording_);
    functions_.emplace(recording_, session_.Framework().StandIn(), hostDocument_->Unknown());
    hostDocument_->SetFunctionLookup(functions_->Lookup());
    classes_.emplace(session_.Framework());
    document_.emplace(classes_->DocumentClass(), *hostDocument_.Get());
}

} // namespace Host
