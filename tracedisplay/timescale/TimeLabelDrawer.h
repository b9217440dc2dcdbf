// The drawer of the time scale strip: tick marks and time labels whose step follows the zoom.
#pragma once

#include "tracedisplay/drawers/DrawerBase.h"
#include "tracedisplay/timescale/TimeSteps.h"
#include "tracedisplay/timescale/TimeValue.h"

namespace StrixDraw
{

class TimeScale;

class TimeLabelDrawer : public DrawerBase
{
public:
    explicit TimeLabelDrawer(TimeScale* scale);
    // A copy keeps the layout state but belongs to no strip.
    TimeLabelDrawer(const TimeLabelDrawer& other);

    HRESULT STDMETHODCALLTYPE GetUpdateExtent(ULONG reserved, ULONG* flags, LONG* left, LONG* right,
                                              void* context) override;
    HRESULT STDMETHODCALLTYPE SetScaling(ULONG scaleId, ULONG reserved, const ScalePair* pair,
                                         IUnknown* scale) override;
    HRESULT STDMETHODCALLTYPE Draw(HDC dc, LONGLONG from, LONGLONG to, LONGLONG preTrigger, LONG record,
                                   LONG xOffset, const RECT* clip, ULONG drawFlags, ULONG option,
                                   ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE Clone(ULONG flags, IStrixRecordDrawer** clone) override;

    // Labels every so many steps, so that neighbouring texts keep two characters apart.
    int LabelsEvery() const { return labelsEvery_; }
    const TimeStep& Step() const { return step_; }
    int MinorPerStep() const { return minorPerStep_; }

private:
    struct Layout
    {
        double charWidth;
        double secondsPerPixel;
        double scale;
    };
    void ChooseLayout(HDC dc, const Layout& layout, const TimeValue& first, const TimePunctuation& punctuation);

    TimeScale* scale_;
    TimeStep step_{1.0, 1, 5};
    int minorPerStep_ = 2;
    int labelsEvery_ = 1;
};

} // namespace StrixDraw
