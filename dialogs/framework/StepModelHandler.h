// The link of one workflow step page to its model and document: it observes the model (changes,
// validation problems, readiness) and the document's broadcasts to its views (results changed, analysis
// cleared) and turns each into a call of one of the page's handler operations.
#pragma once

#include "document/models/Model.h"
#include "foundation/com/ComObjectRoot.h"
#include "hostframework/messaging/EventHandlers.h"

#include "hostapi/ModelMessages.h"

namespace Sistra
{

class SistraDocument;

class StepDlgModelHandler : public VyrEventHandlerT<1>, public Orv::CComObjectRoot
{
public:
    // Observes the model (none: nothing) and, when the document offers them, its broadcasts to views.
    StepDlgModelHandler(SistraDocument* document, ModelPtr model);
    ~StepDlgModelHandler() override;

    // The page owns the handler: references are counted for the host's sake and never delete it.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return InternalRelease(); }

    // The page's reactions; models may call them before the page's window exists.
    virtual void OnModelChanged(const PropertyIdSet&) {}
    virtual void OnValidationProblem() {}
    virtual void OnStepReady() {}
    virtual void OnStepNotReady() {}
    virtual void OnDocumentRefresh() {}
    // What the accordion pane that holds the page shows.
    virtual void ShowPaneProblem(const Orv::String& title, const Orv::String& text) = 0;
    virtual void ClearPaneProblem() = 0;
    virtual void SetPaneReady(bool ready) = 0;

    // Commits the model's pending changes; a page calls it after each setter its controls drive.
    void CommitModel();

    const ModelPtr& GetModel() const { return model_; }
    SistraDocument* GetDocument() const { return document_; }

    VYR_DECLARE_EVENT_MAP()

private:
    void HandleModelChanged(ModelChangedRecord* record);
    void HandleValidationProblem(ModelProblemRecord* record);
    void HandleReady(ModelStatusRecord*);
    void HandleNotReady(ModelStatusRecord*);
    // The analysis was cleared, or sampling started or stopped: every control is refreshed.
    void HandleReset();
    void HandleResultsChanged() { OnDocumentRefresh(); }

    ModelPtr model_;
    SistraDocument* document_;
};

} // namespace Sistra
