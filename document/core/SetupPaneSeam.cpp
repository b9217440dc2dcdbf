#include "document/core/SetupPaneSeam.h"

#include "document/core/SistraDocument.h"
#include "document/models/ModelFactory.h"
#include "foundation/com/ComBoundary.h"
#include "foundation/com/ErrorReason.h"

#include <cmath>
#include <limits>
#include <string>

namespace Sistra
{
namespace
{

constexpr int32_t PressurePeaks = 0;
constexpr int32_t EcgEvents = 1;
constexpr LONG FirstParameter = 1;
constexpr LONG LastParameter = 31;
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// Choices the setup refuses are taken back, so that no later commit carries them in.
HRESULT CommitSetup(Model& setup)
{
    if (const ValidationResult problem = setup.Validate(); problem.HasProblem())
    {
        setup.DiscardChanges();
        return Orv::FailWithReason(E_INVALIDARG, IID_ISistraSetupPane, problem.message.c_str());
    }
    setup.CommitChanges();
    return S_OK;
}

using LineFit = bool (SistraData::*)(FittedLine&, bool);

// The relations that are straight lines, by relation.
LineFit LineFitOf(SistraRelation relation)
{
    switch (relation)
    {
    case SistraRelation::EspvrLinear: return &SistraData::FitEspvrLinear;
    case SistraRelation::EspvrPerpendicular: return &SistraData::FitEspvrPerpendicular;
    case SistraRelation::EspvrTangent: return &SistraData::FitEspvrTangent;
    case SistraRelation::EdpvrLinear: return &SistraData::FitEdpvrLinear;
    case SistraRelation::Prsw: return &SistraData::FitPrsw;
    case SistraRelation::DpdtMaxEdv: return &SistraData::FitDpdtMaxEdv;
    default: return nullptr;
    }
}

// The relation as the document fits and shows it (display units); false when the loops do not give it.
bool Fit(SistraData& data, SistraRelation relation, SistraRegression& result)
{
    double rSquared = NaN;
    bool fitted = false;
    if (const LineFit fit = LineFitOf(relation))
    {
        FittedLine line;
        fitted = (data.*fit)(line, false);
        result = {line.slope, line.intercept, 0.0, line.fit};
    }
    else if (relation == SistraRelation::EspvrQuadratic)
    {
        std::array<double, 3> terms{};
        fitted = data.FitEspvrQuadratic(terms, &rSquared, false);
        result = {terms[1], terms[0], terms[2], rSquared};
    }
    else
    {
        double amplitude = NaN, rate = NaN;
        fitted = data.FitEdpvrExponential(amplitude, rate, &rSquared, false);
        result = {rate, amplitude, 0.0, rSquared};
    }
    // A fit worse than the points' mean keeps its r squared alone, which says why there is no relation.
    if (!fitted)
        result = {NaN, NaN, NaN, FitsWorseThanMean(result.rSquared) ? result.rSquared : NaN};
    return fitted;
}

} // namespace

HRESULT STDMETHODCALLTYPE SetupPaneSeam::QueryInterface(REFIID iid, void** object)
{
    return document_.QueryInterface(iid, object);
}

ULONG STDMETHODCALLTYPE SetupPaneSeam::AddRef()
{
    return document_.AddRef();
}

ULONG STDMETHODCALLTYPE SetupPaneSeam::Release()
{
    return document_.Release();
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::SetSources(int32_t pressureChannel, int32_t volumeChannel,
                                                    const WCHAR* ecgSource)
{
    return Orv::CatchReturn([&] {
        const ModelPtr setup = document_.GetSetupModel();
        setup->SetPressureChannel(pressureChannel);
        setup->SetVolumeChannel(volumeChannel);
        setup->SetValue<PropertyType::Int>(PropertyId::DetectionSource, ecgSource ? EcgEvents : PressurePeaks);
        setup->SetValue<PropertyType::Text>(PropertyId::EcgEventSource, Orv::String(ecgSource ? ecgSource : L""));
        return CommitSetup(*setup);
    });
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::SetDetector(double peakHeight, double minimumPeriod)
{
    return Orv::CatchReturn([&] {
        const ModelPtr setup = document_.GetSetupModel();
        setup->SetValue<PropertyType::Double>(PropertyId::MinimumPeakHeight, peakHeight);
        setup->SetValue<PropertyType::Double>(PropertyId::MinimumPeriod, minimumPeriod);
        return CommitSetup(*setup);
    });
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::SetRegion(LONG regionMode, VARIANT_BOOL online)
{
    return Orv::CatchReturn([&] {
        const ModelPtr setup = document_.GetSetupModel();
        setup->SetValue<PropertyType::Int>(PropertyId::RegionMode, regionMode);
        setup->SetValue<PropertyType::Bool>(PropertyId::OnlineMode, online != VARIANT_FALSE);
        return CommitSetup(*setup);
    });
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::GetLoopCount(ULONG* count)
{
    return Orv::AnswerValue(count, document_.Data().GetLoopCount());
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::GetLoops(ULONG first, ULONG count, int32_t* blocks, SistraEvent* records,
                                                  double* values, ULONG* read)
{
    if (!read || (count && (!blocks || !records || !values)))
        return E_POINTER;
    *read = 0;
    return Orv::CatchReturn([&] {
        SistraData& data = document_.Data();
        if (first >= data.GetLoopCount())
            return E_INVALIDARG;
        *read = data.LoopRows(first, count, blocks, records, values);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::GetSummary(LONG parameter, SistraParameterSummary* summary, BSTR* unit)
{
    if (!summary || !unit)
        return E_POINTER;
    *unit = nullptr;
    if (parameter < FirstParameter || parameter > LastParameter)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        const std::optional<ParameterSummary> found = document_.Data().GetParameterStatistics(parameter);
        if (!found)
            return S_FALSE;
        *summary = {found->count, 0, found->average, found->minimum, found->maximum};
        const std::wstring text = document_.ParameterUnit(parameter);
        *unit = SysAllocString(text.c_str());
        return *unit ? S_OK : E_OUTOFMEMORY;
    });
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::GetRegression(SistraRelation relation, SistraRegression* regression)
{
    if (!regression)
        return E_POINTER;
    if (static_cast<LONG>(relation) < 0 || static_cast<LONG>(relation) >= SistraRelationCount)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] { return Fit(document_.Data(), relation, *regression) ? S_OK : S_FALSE; });
}

// The pane marks its calibration applied; the document then puts the calibrator's conversion on the
// pressure channel, as it does when the pane's model becomes ready.
HRESULT STDMETHODCALLTYPE SetupPaneSeam::ApplyPressureCalibration(double raw1, double pressure1, double raw2,
                                                                  double pressure2)
{
    return Orv::CatchReturn([&] {
        const ModelPtr pressure = document_.GetModel(ModelKind::PressureCalib);
        const ModelPtr before = ModelClassObjBase::CreateModel(ModelKind::PressureCalib, &document_, ModelRole::Snapshot);
        if (!before || !before->CopyFrom(pressure.get()))
            return E_FAIL;
        pressure->SetValue<PropertyType::Double>(PropertyId::PressureBase1, raw1);
        pressure->SetValue<PropertyType::Double>(PropertyId::PressureConverted1, pressure1);
        pressure->SetValue<PropertyType::Double>(PropertyId::PressureBase2, raw2);
        pressure->SetValue<PropertyType::Double>(PropertyId::PressureConverted2, pressure2);
        pressure->SetValue<PropertyType::Bool>(PropertyId::PressureCalibrationApplied, true);
        if (const ValidationResult problem = pressure->Validate(); problem.HasProblem())
        {
            pressure->DiscardChanges();
            return Orv::FailWithReason(E_INVALIDARG, IID_ISistraSetupPane, problem.message.c_str());
        }
        pressure->CommitChanges();
        document_.ReapplyPressureCalibration();
        if (!document_.IsPressureCalibrationShown())
        {
            // What the host said when it refused the channel's new conversion.
            std::wstring reason = Orv::TakeErrorReason();
            pressure->CopyFrom(before.get());
            document_.ReapplyPressureCalibration();
            if (reason.empty())
                reason = L"the host does not show the pressure channel calibrated";
            return Orv::FailWithReason(E_INVALIDARG, IID_ISistraSetupPane, reason.c_str());
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::ExcludeLoops(ULONG count, const ULONG* loops)
{
    return Orv::CatchReturn([&]() -> HRESULT {
        if (count && !loops)
            return E_POINTER;
        const uint32_t analysed = document_.Data().GetLoopCount();
        IntSet checked;
        for (ULONG i = 0; i < count; ++i)
        {
            if (loops[i] >= analysed)
                return Orv::FailWithReason(E_INVALIDARG, IID_ISistraSetupPane,
                                           (L"loops: there is no loop " + std::to_wstring(loops[i] + 1) +
                                            L": the analysis has " + std::to_wstring(analysed))
                                               .c_str());
            checked.insert(static_cast<int32_t>(loops[i]));
        }
        const ModelPtr loopView = document_.GetModel(ModelKind::LoopView);
        loopView->SetValue<PropertyType::IntSet>(PropertyId::CheckedItems, checked);
        loopView->CommitChanges();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE SetupPaneSeam::GetSelectedLoop(LONG* loop)
{
    return Orv::CatchReturn([&] {
        return Orv::AnswerValue(loop, static_cast<LONG>(document_.GetSetupModel()->GetValue<PropertyType::Int>(
                                          PropertyId::SelectedLoop)));
    });
}

} // namespace Sistra
