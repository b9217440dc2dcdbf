// Drawers of the graph's annotation list, which also follow the mouse, offer a text for its position
// and handle clicks: a tracking cross settled by a tracker object, and a clickable item.
#pragma once

#include "graph/drawers/GraphDrawer.h"

#include <cstdint>
#include <string>

namespace MGraph1
{

class Annotation : public GraphDrawer
{
public:
    virtual bool HandleClick(const RECT& plotRect, UINT keys, const POINT& down, const POINT& up)
    {
        return OnClick(-1, plotRect, keys, down, up);
    }
    virtual bool TrackToPixel(int, int, const RECT&, const RECT&) { return false; }
    virtual bool SetPosition(double, double) { return false; }
    virtual bool GetText(std::wstring&) { return false; }
    virtual void ForgetDrawnPosition() {}
    virtual bool UsesInvertMode() { return false; }
    virtual bool OnClick(int32_t, const RECT&, UINT, const POINT&, const POINT&) { return false; }
    // The pointer left the graph: whatever followed it has no position until it comes back.
    virtual void Untrack() {}
};

class ClickAnnotation : public Annotation
{
public:
    bool HandleClick(const RECT& plotRect, UINT keys, const POINT& down, const POINT& up) override
    {
        return OnClick(id, plotRect, keys, down, up);
    }

    int32_t id = -1;
};

// What a tracker is asked: the mouse (or a requested position) in, the settled position and text out.
struct TrackInfo
{
    int32_t pixelX = 0, pixelY = 0;
    int32_t relX = 0, relY = 0;
    double resolvedX = 0.0, resolvedY = 0.0;
    double valueX = 0.0, valueY = 0.0;
    std::wstring label;
    bool show = false;
};

class AnnotationTracker
{
public:
    virtual ~AnnotationTracker() = default;
    virtual bool Track(int32_t trackerId, TrackInfo& info) = 0;
};

inline constexpr int32_t InvertRasterMode = R2_NOT;

class BasicAnnotation : public Annotation
{
public:
    BasicAnnotation() { Reset(); }
    BasicAnnotation(const BasicAnnotation&) = delete;
    BasicAnnotation& operator=(const BasicAnnotation&) = delete;
    ~BasicAnnotation() override;

    void OnDraw(HDC dc, HDC attributeDc, RECT plotRect, RECT clipRect) override;
    bool HandleClick(const RECT& plotRect, UINT keys, const POINT& down, const POINT& up) override
    {
        return OnClick(trackerId, plotRect, keys, down, up);
    }
    bool TrackToPixel(int x, int y, const RECT& plotRect, const RECT& clipRect) override;
    bool SetPosition(double x, double y) override;
    bool GetText(std::wstring& out) override;
    void ForgetDrawnPosition() override { drawn = false; }
    bool UsesInvertMode() override { return rasterMode == InvertRasterMode; }
    void Untrack() override { hasPosition = showMarker = false; }
    // An inverted cross still on the screen is drawn once more, which takes it away.
    void EraseDrawn(HDC dc, const RECT& plotRect);
    virtual bool AttachObject(AnnotationTracker* object, int32_t id, bool owns);

    void Reset();

    int32_t rasterMode = R2_COPYPEN;
    int32_t markerSize = 3;
    int32_t markerKind = 1;
    bool hasPosition = false;
    double x = -DBL_MAX, y = -DBL_MAX;
    std::wstring label;
    AnnotationTracker* tracker = nullptr;
    int32_t trackerId = -1;
    bool ownsTracker = false;
    bool showMarker = false;
    int32_t lastX = 0, lastY = 0;
    bool drawn = false;

private:
    bool Apply(TrackInfo& info);
    void DrawCross(HDC dc, const RECT& plot, int px, int py) const;
};

} // namespace MGraph1
