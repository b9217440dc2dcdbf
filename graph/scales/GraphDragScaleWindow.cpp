#include "graph/scales/GraphDragScaleWindow.h"

#include "foundation/com/XOrv.h"
#include "graph/messages/GraphMessages.h"
#include "graph/scales/ScaleControlFactory.h"

#include <oleidl.h>

#include <cfloat>

namespace MGraph1
{

CDragScale::CDragScale(OWL::TWindow* parent, LONG kind, LONG word1, LONG word2, int id)
    : OWL::TWindow(parent), controlKind(kind), creationWord1(word1), creationWord2(word2), childId(id)
{
    Attr.Id = id;
}

bool CDragScale::Create()
{
    if (GetHandle())
        return true;
    scaleControl.Reset();
    IScaleControlFactory* factory = GetScaleControlFactory();
    if (!factory)
        throw XOrv(Orv::String(L"The host offers no scale controls"), E_FAIL);
    const HRESULT created = factory->CreateScaleWindow(GetParentO() ? GetParentO()->GetHandle() : nullptr,
                                                       creationWord1, creationWord2, controlKind, childId,
                                                       scaleControl.Put());
    const auto window = scaleControl.As<IOleWindow>(IID_IOleWindow);
    HWND handle = nullptr;
    if (FAILED(created) || !window || FAILED(window->GetWindow(&handle)) || !handle)
        throw XOrv(Orv::String(L"The host's scale control has no window"), FAILED(created) ? created : E_FAIL);
    SubclassWindow(handle);
    GetWindowAttributes();
    SetFlag(OWL::wfAlias | OWL::wfFullyCreated);
    return true;
}

GraphDragScaleWindow::GraphDragScaleWindow(OWL::TWindow* parent, LONG kind, LONG word1, LONG word2, int id)
    : CDragScale(parent, kind, word1, word2, id)
{
    Attr.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

GraphDragScaleWindow::~GraphDragScaleWindow()
{
    if (registered && scaleControl)
        scaleControl->RemoveObserver(this);
    registered = false;
}

bool GraphDragScaleWindow::Create()
{
    CDragScale::Create();
    if (!registered && SUCCEEDED(scaleControl->AddObserver(this)))
        registered = true;
    return true;
}

HRESULT STDMETHODCALLTYPE GraphDragScaleWindow::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDragScaleObserver))
    {
        *object = static_cast<IDragScaleObserver*>(this);
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE GraphDragScaleWindow::OnBeginDrag(LONG source, LONG extra)
{
    return GraphDragScale::OnBeginDrag(source, extra);
}

HRESULT STDMETHODCALLTYPE GraphDragScaleWindow::OnEndDrag(LONG source, LONG extra)
{
    return GraphDragScale::OnEndDrag(source, extra);
}

HRESULT STDMETHODCALLTYPE GraphDragScaleWindow::OnScalingChanged(LONG source, LONG, const AxisTransform* transform)
{
    AxisTransform scaling{1.0, 0.0};
    if (scaleControl)
        scaleControl->GetScaling(&scaling, 0);
    Send(MsgScalingChanged(transform, &scaling, source));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraphDragScaleWindow::OnAutoScale(LONG source)
{
    Send(MsgAutoScale(source));
    return S_OK;
}

std::pair<double, double> GraphDragScaleWindow::GetScaling()
{
    double high = DBL_MAX;
    double low = -DBL_MAX;
    if (scaleControl)
        scaleControl->GetLimits(&high, &low);
    return {low, high};
}

} // namespace MGraph1
