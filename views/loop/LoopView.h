// The loop view: every analysed beat as a closed pressure-volume loop (volume across, pressure up),
// the end-systolic and end-diastolic points, the fitted ESPVR and EDPVR with their equations, a check
// list with a row per loop beside the graph and a strip of controls above it that choose the relations
// shown and how they are fitted. The controls send the document's automation commands; the view
// follows the loop-view model.
#pragma once

#include "views/graph/SistraGraphViewBase.h"
#include "views/graph/ViewPlotData.h"

#include "controls/errors/ErrorProvider.h"
#include "graph/plotters/FunctionGlyphPlotter.h"
#include "platform/owl/controls/CheckList.h"
#include "platform/owl/controls/ComboBox.h"
#include "platform/owl/window/LayoutWindow.h"

#include <array>
#include <memory>

namespace Sistra
{

// Control ids of the loop view.
namespace LoopViewControl
{
constexpr int LoopList = 3001;
constexpr int ShowEspvr = 3002;
constexpr int ShowEdpvr = 3003;
constexpr int EspvrType = 3004;
constexpr int EdpvrType = 3005;
constexpr int Warning = 3006;
constexpr int EsPoints = 3007;
} // namespace LoopViewControl

// The function-interface series of the two relations.
namespace RelationSeries
{
constexpr int Edpvr = 14;
constexpr int Espvr = 16;
} // namespace RelationSeries

class SistraAnalysisGraphView final : public SistraGraphViewBase
{
public:
    static constexpr COLORREF EspvrColour = 0x6464C8;
    static constexpr COLORREF EdpvrColour = 0xAA8908;

    SistraAnalysisGraphView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view, IUnknown* document,
                            OWL::TModule* module, IDocView2* hostView);
    ~SistraAnalysisGraphView() override;

    const wchar_t* GetClassName() override { return L"SistraAnalysisGraphViewClass"; }
    void DataChanged(uint32_t hint) override;
    void BuildPlot(MGraph1::Graph2DDrawer& graph) override;
    void UpdateData(MGraph1::Graph2DDrawer& graph) override;
    Orv::String GetTitle() override;
    bool GetRegression(ViewRegression&) override { return false; }
    ViewChannel GetDomainChannel() override;
    Orv::String GetDomainTitle() override;
    Orv::String GetDomainSymbol() override;
    ViewChannel GetRangeChannel() override;
    Orv::String GetRangeTitle() override;
    Orv::String GetRangeSymbol() override;
    int32_t GetSeriesId() override { return 18; }
    int32_t GetFunctionIndex() override { return 0; }
    int32_t GetAuxSeriesId() override { return 17; }
    bool GetDataExtents(ViewExtents& extents) override;
    Orv::String GetTooltipFormat() override;
    Orv::String GetHelpText() override;
    Orv::String GetHelpTopic() override;
    int GetTitleWidth() override;
    ViewMargins GetGraphMargins() override;
    SIZE GetLeastSize() override;
    bool HasWhiteBackground() override { return false; }
    void UpdatePart(uint32_t step) override;
    std::optional<ViewBatches> GetBatches() override { return std::nullopt; }
    std::optional<Orv::String> GetRegressionText() override;
    bool CanCopyRegression() override;

    // Whether the relations may be shown: outside workflow mode, or in the analyse step of an occlusion.
    bool RegressionsAvailable();
    // The equation of a relation of the given type as the copy text shows it; none when it cannot be fitted.
    std::optional<Orv::String> EspvrText(int32_t type);
    std::optional<Orv::String> EdpvrText(int32_t type);
    // A straight relation's equation in the units the axes show.
    Orv::String LinearRelationText(const wchar_t* rangeSymbol, const wchar_t* domainSymbol, const ViewRegression& line);
    // A straight relation fitted once, for its line and its equation; none when the loops give no fit.
    struct StraightRelation
    {
        ViewRegression line;
        Orv::String text;
    };
    std::optional<StraightRelation> StraightEspvr(SistraData& data, int32_t type);
    std::optional<StraightRelation> LinearEdpvr(SistraData& data);

    OWL::TCheckList& LoopList() { return *loopList_; }
    OWL::TCheckBox& EspvrCheck() { return *espvrCheck_; }
    OWL::TCheckBox& EdpvrCheck() { return *edpvrCheck_; }
    OWL::TComboBox& EspvrTypeCombo() { return *espvrTypeCombo_; }
    OWL::TComboBox& EdpvrTypeCombo() { return *edpvrTypeCombo_; }
    OWL::TComboBox& EsPointsCombo() { return *esPointsCombo_; }
    OrvControls::ErrorProvider& WarningIcon() { return *errorIcon_; }

    // The strip's notifications.
    void ToggleEspvr();
    void ToggleEdpvr();
    void EspvrTypeChosen();
    void EdpvrTypeChosen();
    void EsPointsChosen();
    // A list closed without a choice: the three lists show the model's types again.
    void ShowModelChoices();
    // The list's selection changed: the row's loop is selected and its tick stored.
    void LoopRowChosen();

protected:
    void SetupWindow() override;
    void EvSize(UINT sizeType, const OWL::TSize& size);

    bool GetSeries(int seriesId, int* count, int* firstIndex, const float** x, const float** y,
                   const COLORREF** colours, COLORREF* colour, uint32_t* flags) override;
    bool GetGlyphs(double domainLow, double domainHigh, int seriesId, int* count,
                   const MGraph1::GlyphRecord** records) override;
    bool GetFunctions(double domainLow, double domainHigh, int seriesId, int* count,
                      const MGraph1::FunctionRecord** records) override;
    bool OnMessage(const MessSys::Message& message) override;

    DECLARE_RESPONSE_TABLE(SistraAnalysisGraphView);

private:
    // The strip above the graph, which hands its controls' notifications to the view.
    class LayoutWindow final : public OWL::TLayoutWindow
    {
    public:
        explicit LayoutWindow(SistraAnalysisGraphView& view);

        DECLARE_RESPONSE_TABLE(LayoutWindow);

        SistraAnalysisGraphView& view;
    };

    std::shared_ptr<Model> Setup() const;
    bool LoopViewFlag(int propertyId) const;
    int32_t LoopViewInt(int propertyId) const;
    bool HostSampling();
    void FillCombos();
    void RenewDetectionTexts();
    // The widths of the strip's combos (ESPVR type, ES points, EDPVR type) and boxes (ESPVR, EDPVR).
    struct StripWidths
    {
        std::array<int, 3> combos;
        std::array<int, 2> boxes;
    };
    // Each control as wide as its longest text needs, the combos as the given measure says.
    StripWidths StripTextRoom(int (*comboRoom)(const OWL::TComboBox&) = ComboTextRoom) const;
    static int OneRowWidth(const StripWidths& widths);
    static int TwoRowWidth(const StripWidths& widths);
    bool StripMeasurable() const;
    int StripRowsAt(int stripWidth) const;
    static ViewMargins MarginsFor(int stripRows);
    void LayOutStrip();
    // Lays the view out again after what the strip holds changed.
    void Relayout();
    static int ComboTextRoom(const OWL::TComboBox& combo);
    static int ComboLeastRoom(const OWL::TComboBox& combo);
    static int CheckTextRoom(const OWL::TCheckBox& box);
    static int GuiTextWidth(const std::wstring& text);
    // The list down the left and the strip above the graph, for the current client area.
    void PlaceListAndStrip();
    void UpdateRegressionControls(bool enable);
    void OnSamplingStarts();
    void OnSamplingStops();
    void OnModelChanged(ModelChangedRecord* record);
    void ResendSettings();
    void SendFlag(USHORT command, bool value);
    void SendText(USHORT command, const wchar_t* text);
    void ShowPlausibilityWarning();
    // A limit given in limitUnit, in the unit the channel is shown in.
    double LimitInShownUnit(const ViewChannel& channel, double limit, const Orv::PrefixedUnit& limitUnit);
    void AddPointPlotters(MGraph1::Graph2DDrawer& graph, bool showEspvr, bool showEdpvr);
    void AddRelationPlotters(MGraph1::Graph2DDrawer& graph, bool showEspvr, bool showEdpvr);
    void RebuildLoopList();
    void UpdateLoopList();
    int ListedRows() const;
    int32_t LoopState(uint32_t loop);

    std::unique_ptr<ViewPlotData> espvrPoints_;
    std::unique_ptr<ViewPlotData> edpvrPoints_;
    MGraph1::GlyphRecord lineFunction_{};
    MGraph1::FunctionRecord polynomialFunction_;
    MGraph1::FunctionRecord exponentialFunction_;
    std::unique_ptr<LayoutWindow> layoutWindow_;
    std::unique_ptr<OWL::TCheckBox> espvrCheck_;
    std::unique_ptr<OWL::TCheckBox> edpvrCheck_;
    std::unique_ptr<OWL::TComboBox> espvrTypeCombo_;
    std::unique_ptr<OWL::TComboBox> edpvrTypeCombo_;
    std::unique_ptr<OrvControls::ErrorProvider> errorIcon_;
    std::unique_ptr<OWL::TComboBox> esPointsCombo_;
    std::unique_ptr<OWL::TCheckList> loopList_;
    CIArray<OWL::TCheckListItem> loopItems_;
    bool regressionsAvailable_ = false;
    bool controlsReady_ = false;
    // 0 while the strip holds nothing to show (its controls hidden, no warning): it then takes no room.
    int stripRows_ = 1;
    bool stripShown_ = false;
    bool warningShown_ = false;

    VYR_DECLARE_EVENT_MAP()
};

} // namespace Sistra
