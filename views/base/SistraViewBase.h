// The base of every analysis view window: the module's document the view belongs to, the one workflow
// model it may observe, its name and number, and the refresh hook the document's "results changed"
// broadcast reaches. A view stops hearing host events as soon as its window is destroyed.
#pragma once

#include "hostapi/VyrViews.h"
#include "document/models/Model.h"
#include "foundation/text/String.h"
#include "hostframework/views/ViewBase.h"

#include <cstdint>
#include <memory>

namespace Sistra
{

class SistraDocument;

// What the host's view wrapper hands every module view window it makes.
struct ViewCreation
{
    OWL::TWindow* parent;
    IDocViewClass* viewClass;
    IDocView2* view;
    IUnknown* document;   // the module's document object
    OWL::TModule* module;
    IDocView2* hostView;
};

// The module's document behind a document object; null for any other object.
SistraDocument* ModuleDocumentOf(IUnknown* document);

class SistraViewBase : public ViewBase
{
public:
    static constexpr int NoModel = 0;

    // title: the view's name (printouts use it); modelKind: the workflow model the view observes, or
    // NoModel.
    SistraViewBase(const ViewCreation& creation, const Orv::String& title, int32_t viewNumber,
                   int modelKind = NoModel);
    ~SistraViewBase() override;

    // The analysis results changed: the view marks what must be rebuilt and schedules a repaint.
    virtual void DataChanged(uint32_t hint) = 0;

    bool CanCopy() override { return true; }
    bool CanPrint() override { return true; }
    // The host's printing of the view as it shows: offered for a view that prints at all, while the host's
    // site of its views can print.
    bool CanRunCommand3() override { return CanPrint() && ViewBase::CanPrint(); }

    // The document's workflow-setup model when it has one; never creates it.
    std::shared_ptr<Model> GetSetupModel() const;
    // The text of the child control with that id; empty when there is none.
    Orv::String GetControlText(int controlId) const;

    SistraDocument* Document() const { return document_; }
    IUnknown* DocumentObject() const { return documentObject_; }
    const std::shared_ptr<Model>& ViewModel() const { return model_; }
    const Orv::String& Name() const { return name_; }
    int32_t ViewNumber() const { return viewNumber_; }

protected:
    void SetupWindow() override;
    void EvDestroy();

    DECLARE_RESPONSE_TABLE(SistraViewBase);

private:
    void OnResultsChanged(const uint32_t* hint);

    std::shared_ptr<Model> model_;
    SistraDocument* document_;      // not counted: the document outlives its views
    IUnknown* documentObject_;      // not counted, as the document
    Orv::String name_;
    int32_t viewNumber_;

    VYR_DECLARE_EVENT_MAP()
};

} // namespace Sistra
