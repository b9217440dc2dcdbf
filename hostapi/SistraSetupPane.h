// The choices a user makes in the workflow's setup pane (source channels, end-diastole detection, the
// region mode, online mode), the two points typed into the pressure calibration pane, and the results
// the analysis views read back. It stands in for those panes, whose windows are not built yet, so that a
// host without windows (the command line) can drive the module's document; the document answers it
// through QueryInterface. Nothing else should grow on it.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/CalcEventRecords.h"

#include <oaidl.h>
#include <unknwn.h>

#include <cstdint>

// A parameter's summary over the included loops, in the units the document shows.
struct SistraParameterSummary
{
    int32_t count;
    int32_t reserved;
    double average;
    double minimum;
    double maximum;
};
static_assert(sizeof(SistraParameterSummary) == 32);

// The relations between loops the document fits.
enum class SistraRelation : LONG
{
    EspvrLinear = 0,
    EspvrQuadratic = 1,      // pressure = intercept + slope * volume + curvature * volume^2
    EspvrPerpendicular = 2,
    EspvrTangent = 3,
    EdpvrLinear = 4,
    EdpvrExponential = 5,    // pressure = intercept * exp(slope * volume)
    Prsw = 6,                // stroke work against end-diastolic volume
    DpdtMaxEdv = 7,          // dP/dt max against end-diastolic volume
};
inline constexpr LONG SistraRelationCount = 8;

struct SistraRegression
{
    double slope;
    double intercept;
    double curvature;        // 0 but for the quadratic relation
    double rSquared;         // r squared; for the perpendicular ESPVR the correlation r itself
};
static_assert(sizeof(SistraRegression) == 32);

// {52AC344E-7976-4A85-950C-D5F3D5EE384E}
struct ISistraSetupPane : IUnknown
{
    // 3: channels counted from 0. ecgSource: the text of the event source whose events mark end-diastole,
    // or null to find end-diastole from the pressure's peaks.
    virtual HRESULT STDMETHODCALLTYPE SetSources(int32_t pressureChannel, int32_t volumeChannel,
                                                 const WCHAR* ecgSource) = 0;
    // 4: the pressure peak detector: the least peak height (mmHg, whatever unit the pressure channel shows)
    // and period (seconds).
    virtual HRESULT STDMETHODCALLTYPE SetDetector(double peakHeight, double minimumPeriod) = 0;
    // 5: regionMode 0 analyses the host's selection, 1 the whole recording; online analyses while the
    // host samples.
    virtual HRESULT STDMETHODCALLTYPE SetRegion(LONG regionMode, VARIANT_BOOL online) = 0;
    // 6: the loops of the analysis, counted without the closing records of blocks.
    virtual HRESULT STDMETHODCALLTYPE GetLoopCount(ULONG* count) = 0;
    // 7: the loops from first on, at most count of them: each one's block, record and parameters 1-31 as
    // the document shows them (31 values a loop, back to back; NaN for an excluded loop's); read says how
    // many were given. E_INVALIDARG when first is past the last loop.
    virtual HRESULT STDMETHODCALLTYPE GetLoops(ULONG first, ULONG count, int32_t* blocks, Sistra::SistraEvent* records,
                                               double* values, ULONG* read) = 0;
    // 8: the summary of parameter 1-31 and its unit; S_FALSE when the document has none.
    virtual HRESULT STDMETHODCALLTYPE GetSummary(LONG parameter, SistraParameterSummary* summary, BSTR* unit) = 0;
    // 9: one relation; S_FALSE when the loops do not give it, its terms NaN and its r squared NaN, or the
    // r squared (below 0) of a fit further from the loops than their mean, which is no fit.
    virtual HRESULT STDMETHODCALLTYPE GetRegression(SistraRelation relation, SistraRegression* regression) = 0;
    // 10: the pressure calibration's two points and its Apply button: raw values in the pressure
    // channel's raw unit without its prefix (volts for a channel recorded in mV), pressures in mmHg.
    // E_INVALIDARG when the points cannot calibrate.
    virtual HRESULT STDMETHODCALLTYPE ApplyPressureCalibration(double raw1, double pressure1, double raw2,
                                                               double pressure2) = 0;
    // 11: the loops (counted from 0) excluded from the summaries and fits, as the loop view's check
    // marks exclude them; every other loop is included.
    virtual HRESULT STDMETHODCALLTYPE ExcludeLoops(ULONG count, const ULONG* loops) = 0;
    // 12: the loop the views show selected (counted from 0); -1 when none is.
    virtual HRESULT STDMETHODCALLTYPE GetSelectedLoop(LONG* loop) = 0;
};

inline constexpr IID IID_ISistraSetupPane = {0x52AC344E, 0x7976, 0x4A85, {0x95, 0x0C, 0xD5, 0xF3, 0xD5, 0xEE, 0x38, 0x4E}};
