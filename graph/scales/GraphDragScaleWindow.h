// An axis scale strip: the host scale control's window bound as an OWL window, observed so that its
// drags, rescaling and autoscale requests reach the graph window as graph messages.
#pragma once

#include "foundation/com/ComPtr.h"
#include "graph/scales/GraphDragScale.h"
#include "platform/owl/window/Window.h"

namespace MGraph1
{

// Keeps the host's control, and with it the strip's window, until the OWL window has let go of it.
struct ScaleControlHolder
{
    Orv::ComPtr<IScaleControl> scaleControl;
};

// The host's strip window as a child of an OWL window.
class CDragScale : protected ScaleControlHolder, public OWL::TWindow
{
public:
    CDragScale(OWL::TWindow* parent, LONG kind, LONG word1, LONG word2, int childId);

    // Makes the host's control and binds its window; throws XOrv when the host offers none.
    bool Create() override;

protected:
    LONG controlKind;
    LONG creationWord1;
    LONG creationWord2;
    int childId;
};

class GraphDragScaleWindow : public GraphDragScale, public CDragScale, public IDragScaleObserver
{
public:
    GraphDragScaleWindow(OWL::TWindow* parent, LONG kind, LONG word1, LONG word2, int childId);
    ~GraphDragScaleWindow() override;

    bool Create() override;

    // Not reference counted: the window object owns itself.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE OnBeginDrag(LONG source, LONG extra) override;
    HRESULT STDMETHODCALLTYPE OnEndDrag(LONG source, LONG extra) override;
    HRESULT STDMETHODCALLTYPE OnScalingChanged(LONG source, LONG extra, const AxisTransform* transform) override;
    HRESULT STDMETHODCALLTYPE OnAutoScale(LONG source) override;
    HRESULT STDMETHODCALLTYPE GetDataExtent(LONG, double*, double*, VARIANT_BOOL*) override { return S_FALSE; }

    std::pair<double, double> GetScaling() override;
    bool HasScaleControl() override { return true; }
    IScaleControl* GetScaleControl() override { return scaleControl.Get(); }

    bool registered = false;
};

// Control kinds of the two strips of a graph window.
inline constexpr LONG DomainStripKind = 110035;
inline constexpr LONG RangeStripKind = 110032;

} // namespace MGraph1
