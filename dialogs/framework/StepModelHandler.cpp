#include "dialogs/framework/StepModelHandler.h"

#include "document/core/SistraDocument.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/messaging/SistraIds.h"

#include "hostapi/VyrIds.h"

namespace Sistra
{

namespace
{

template <USHORT Number>
ULONG* DocumentMessage(ULONG* slot)
{
    return MsgIdClass<&SistraDocumentGUID, Number>::GetId(slot);
}

Orv::String TextOf(IOrvString* text)
{
    return text ? Orv::String::FromInterface(text) : Orv::String();
}

} // namespace

VYR_DEFINE_EVENT_MAP(StepDlgModelHandler, VyrEventHandlerBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::ModelPropertiesChanged>,
                          &DispatchObserverEvent<StepDlgModelHandler, ModelChangedRecord,
                                                 &StepDlgModelHandler::HandleModelChanged>),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::ModelStatus>,
                          &DispatchObserverEvent<StepDlgModelHandler, ModelProblemRecord,
                                                 &StepDlgModelHandler::HandleValidationProblem>),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::ModelReady>,
                          &DispatchObserverEvent<StepDlgModelHandler, ModelStatusRecord, &StepDlgModelHandler::HandleReady>),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::ModelNotReady>,
                          &DispatchObserverEvent<StepDlgModelHandler, ModelStatusRecord, &StepDlgModelHandler::HandleNotReady>),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::AnalysisCleared>,
                          &CallMemberNoArgs<StepDlgModelHandler, &StepDlgModelHandler::HandleReset>),
    VyrEventMap::Observer(&DocumentMessage<DocumentNotification::AnalysisResultsChanged>,
                          &CallMemberNoArgs<StepDlgModelHandler, &StepDlgModelHandler::HandleResultsChanged>),
    VyrEventMap::End(),
};

StepDlgModelHandler::StepDlgModelHandler(SistraDocument* document, ModelPtr model)
    : model_(std::move(model)), document_(document)
{
    if (model_)
        model_->AddObserver(static_cast<IObserver*>(this));
    Orv::ComPtr<ISubject> views;
    if (document_ && SUCCEEDED(document_->Outer()->QueryInterface(IID_ISubject, views.PutVoid())) && views)
        views->AddObserver(static_cast<IObserver*>(this));
}

StepDlgModelHandler::~StepDlgModelHandler() = default;

HRESULT STDMETHODCALLTYPE StepDlgModelHandler::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IObserver))
        *object = static_cast<IObserver*>(this);
    else if (IsEqualIID(iid, IID_IVyrCommandHandler))
        *object = static_cast<IVyrCommandHandler*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

void StepDlgModelHandler::CommitModel()
{
    if (model_)
        model_->CommitChanges();
}

void StepDlgModelHandler::HandleModelChanged(ModelChangedRecord* record)
{
    if (record)
        OnModelChanged(PropertyIdSet(record->changed));
}

void StepDlgModelHandler::HandleValidationProblem(ModelProblemRecord* record)
{
    if (!record)
        return;
    ShowPaneProblem(TextOf(record->title), TextOf(record->message));
    OnValidationProblem();
}

// The pane's mark first, then its text, then the page's own reaction.
void StepDlgModelHandler::HandleReady(ModelStatusRecord*)
{
    SetPaneReady(true);
    ClearPaneProblem();
    OnStepReady();
}

void StepDlgModelHandler::HandleNotReady(ModelStatusRecord*)
{
    SetPaneReady(false);
    ClearPaneProblem();
    OnStepNotReady();
}

void StepDlgModelHandler::HandleReset()
{
    if (!model_)
        return;
    ModelChangedRecord record{static_cast<ISubject*>(model_.get()), model_->GetPropertyIds().Words()};
    NotifyObserverEvent(MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::Id(), &record);
}

} // namespace Sistra
