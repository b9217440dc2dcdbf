#include "views/base/SistraViewBase.h"

#include "hostapi/ModelMessages.h"
#include "hostapi/SistraDocInterface.h"
#include "document/core/SistraDocument.h"
#include "foundation/com/ComPtr.h"
#include "hostframework/messaging/SistraIds.h"

#include <vector>

namespace Sistra
{

SistraDocument* ModuleDocumentOf(IUnknown* document)
{
    Orv::ComPtr<ISistraDocInterface> face;
    if (!document || FAILED(document->QueryInterface(IID_ISistraDocInterface, face.PutVoid())) || !face)
        return nullptr;
    // Only the module's documents answer this interface; the reference is not kept, since the document
    // outlives its views.
    return static_cast<SistraDocument*>(face.Get());
}

namespace
{

// The host's site of the document's views, which the document object answers; not counted, as the
// document it belongs to outlives its views.
IVyrViewSite* ViewSiteOf(IUnknown* document)
{
    Orv::ComPtr<IVyrViewSite> site;
    if (!document || FAILED(document->QueryInterface(IID_IVyrViewSite, site.PutVoid())))
        return nullptr;
    return site.Get();
}

} // namespace

DEFINE_RESPONSE_TABLE1(SistraViewBase, ViewBase)
    EV_WM_DESTROY,
END_RESPONSE_TABLE;

VYR_DEFINE_EVENT_MAP(SistraViewBase, ViewBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(&MsgIdClass<&SistraDocumentGUID, DocumentNotification::AnalysisResultsChanged>::GetId,
                          &DispatchObserverEvent<SistraViewBase, const uint32_t, &SistraViewBase::OnResultsChanged>),
    VyrEventMap::End(),
};

SistraViewBase::SistraViewBase(const ViewCreation& creation, const Orv::String& title, int32_t viewNumber,
                               int modelKind)
    : ViewBase(creation.parent, creation.document, creation.hostView, ViewSiteOf(creation.document),
               title.c_str(), creation.module),
      document_(ModuleDocumentOf(creation.document)), documentObject_(creation.document), name_(title),
      viewNumber_(viewNumber)
{
    Attr.Style |= WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    if (modelKind != NoModel && document_)
        model_ = document_->GetModel(modelKind);
}

SistraViewBase::~SistraViewBase() = default;

std::shared_ptr<Model> SistraViewBase::GetSetupModel() const
{
    return document_ ? document_->GetSetupModel() : nullptr;
}

Orv::String SistraViewBase::GetControlText(int controlId) const
{
    const HWND control = GetHandle() ? ::GetDlgItem(GetHandle(), controlId) : nullptr;
    if (!control)
        return Orv::String();
    std::vector<wchar_t> text(static_cast<size_t>(::GetWindowTextLengthW(control)) + 1, L'\0');
    ::GetWindowTextW(control, text.data(), static_cast<int>(text.size()));
    return Orv::String(text.data());
}

void SistraViewBase::SetupWindow()
{
    if (model_)
        Observe(static_cast<ISubject*>(model_.get()));
    ViewBase::SetupWindow();
    // The view fills itself from every property of its model exactly as it later follows changes.
    if (model_ && Proxy())
    {
        ModelChangedRecord record{static_cast<ISubject*>(model_.get()), model_->GetPropertyIds().Words()};
        Proxy()->Notify(static_cast<ISubject*>(model_.get()),
                        MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::Id(), 0,
                        &record);
    }
}

void SistraViewBase::EvDestroy()
{
    // From now on host events addressed to the view's proxy reach nothing.
    if (Proxy())
        SetProxy(nullptr);
    ViewBase::EvDestroy();
}

void SistraViewBase::OnResultsChanged(const uint32_t* hint)
{
    DataChanged(hint ? *hint : 0);
}

} // namespace Sistra
