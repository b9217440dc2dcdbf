// Turns an axis scale strip's drag notifications into graph messages for the graph window.
#pragma once

#include "hostapi/ScaleControl.h"
#include "graph/messages/MessageSystem.h"

#include <utility>

namespace MGraph1
{

class GraphDragScale : public MessSys::MessageSender
{
public:
    // The notifications of the scale control's observer interface, with its calling convention, so that
    // a strip that is also the observer answers both with one operation.
    virtual HRESULT STDMETHODCALLTYPE OnBeginDrag(LONG source, LONG extra);
    virtual HRESULT STDMETHODCALLTYPE OnEndDrag(LONG source, LONG extra);
    virtual HRESULT STDMETHODCALLTYPE OnScalingChanged(LONG source, LONG extra, const AxisTransform* transform) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAutoScale(LONG) { return S_OK; }
    virtual HRESULT STDMETHODCALLTYPE GetDataExtent(LONG, double*, double*, VARIANT_BOOL*) { return S_FALSE; }
    // The strip's limits, (low, high).
    virtual std::pair<double, double> GetScaling() { return {0.0, 1.0}; }
    virtual bool HasScaleControl() { return false; }
    virtual IScaleControl* GetScaleControl() { return nullptr; }
};

} // namespace MGraph1
