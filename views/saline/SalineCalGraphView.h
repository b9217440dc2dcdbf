// The saline calibration plot: the end-systolic volume of each loop of a saline bolus against its
// end-diastolic volume, the straight line fitted through them, and the parallel-conductance volume Vp
// where that line meets the line of identity (Ves = Ved). A band above the graph reports the analysed Vp
// and offers Apply; a band below switches the calibration on and shows the applied Vp, which may also be
// typed. Vp and the switch are the saline calibration model's, so the workflow's saline step and this
// view follow each other through the model's notifications.
#pragma once

#include "views/graph/SistraGraphViewBase.h"

#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include "controls/errors/ErrorProvider.h"
#include "platform/owl/controls/Control.h"
#include "platform/owl/controls/Edit.h"

#include <array>

namespace Sistra
{

class SistraSalineCalGraphView final : public SistraGraphViewBase
{
public:
    enum ControlId : int
    {
        ApplyId = 3001,
        StatusId = 3002,
        EnableId = 3003,
        AppliedLabelId = 3004,
        VpEditId = 3005,
        UnitLabelId = 3006,
        TopBandId = 3007,
        BottomBandId = 3008,
        SeparatorId = 3009,
    };
    static constexpr int32_t SalineViewNumber = 5;
    // The top band's height for a notice on one line; a notice on more lines deepens it.
    static constexpr int TopBandHeight = 35;
    static constexpr int BottomMargin = 40;
    // The colour of the Vp mark.
    static constexpr COLORREF VpColour = 0x00B6AFAF;

    SistraSalineCalGraphView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view,
                             IUnknown* document, OWL::TModule* module, IDocView2* hostView);

    DECLARE_RESPONSE_TABLE(SistraSalineCalGraphView);

    const wchar_t* GetClassName() override { return L"SistraSalineCalViewClass"; }

    Orv::String GetTitle() override { return Orv::LoadedText(IDS_VIEW_SALINE_CALIBRATION); }
    bool GetRegression(ViewRegression& regression) override;
    ViewChannel GetDomainChannel() override { return VolumeChannel(); }
    ViewChannel GetRangeChannel() override { return VolumeChannel(); }
    Orv::String GetDomainTitle() override { return Orv::LoadedText(IDS_PARAM_ED_VOLUME); }
    Orv::String GetDomainSymbol() override { return Orv::LoadedText(IDS_PLOT_SYMBOL_VED); }
    Orv::String GetRangeTitle() override { return Orv::LoadedText(IDS_PARAM_ES_VOLUME); }
    Orv::String GetRangeSymbol() override { return Orv::LoadedText(IDS_PLOT_SYMBOL_VES); }
    int32_t GetSeriesId() override { return 6; }
    int32_t GetFunctionIndex() override { return IsOnlineAnalysisRunning() ? -1 : 4; }
    bool GetDataExtents(ViewExtents& extents) override;
    Orv::String GetTooltipFormat() override { return Orv::LoadedText(IDS_SALINE_TOOLTIP); }
    Orv::String GetHelpText() override { return Orv::LoadedText(IDS_SALINE_HELP); }
    Orv::String GetHelpTopic() override;
    bool HasTitle() override { return false; }
    void BeginUpdate(const Orv::Bitset&) override { UpdateVp(); }
    // Inside the workflow the step page holds the calibration's switch: the plot takes the bottom band's
    // room, and the help button lies over the plot's corner as in the other graph views.
    ViewMargins GetGraphMargins() override { return ViewMargins{0, 0, topBandHeight_, inWorkflow_ ? 0 : BottomMargin}; }
    bool HasWhiteBackground() override { return false; }
    bool IsHelpButtonInGraph() override { return inWorkflow_; }

    // The operations behind the controls, reached by tests as by the user.
    void OnApply();
    void OnEnableToggled();
    bool IsVpAvailable() const { return vpAvailable_; }
    bool AreLinesParallel() const { return linesParallel_; }
    double AnalysedVp() const { return vp_ / divisor_ * factor_; }

protected:
    void SetupWindow() override;
    void EvSize(UINT sizeType, const OWL::TSize& size);
    HBRUSH EvCtlColor(HDC dc, HWND child, UINT controlType);
    bool GetGlyphs(double domainLow, double domainHigh, int seriesId, int* count,
                   const MGraph1::GlyphRecord** records) override;
    SIZE GetLeastSize() override;

private:
    ViewChannel VolumeChannel();
    bool WorkflowModeOn();
    // The factor of the volume channel's prefix in its first record; 1 without one.
    double VolumePrefixFactor();
    bool CalibrationChecksPass();
    void UpdateVp();
    void UpdateControls();
    void LayoutTopBand();
    // The height of the status notice broken into lines no wider than width.
    int StatusHeight(int width);
    int BottomRowEndRoom() const;
    void LayoutBottomBand();
    void OnVpEdited();
    void OnModelChanged(const ModelChangedRecord* record);

    OWL::TButton* apply_;
    OWL::TStatic* status_;
    OWL::TCheckBox* enable_;
    OWL::TStatic* appliedLabel_;
    OWL::TEdit* vpEdit_;
    OrvControls::StaticTextErrorProvider* unitLabel_;
    OWL::TStatic* topBand_;
    OWL::TStatic* bottomBand_;
    OWL::TStatic* separator_;
    bool updating_ = false;
    bool editing_ = false;
    bool vpAvailable_ = false;
    bool linesParallel_ = false;
    double vp_ = 0.0;
    double factor_ = 1.0;
    double divisor_ = 1.0;
    bool created_ = false;
    bool inWorkflow_ = false; // the workflow mode the view is laid out for
    int topBandHeight_ = TopBandHeight;
    std::array<MGraph1::GlyphRecord, 2> fitAndVp_{};

    VYR_DECLARE_EVENT_MAP()
};

} // namespace Sistra
