// The cuvette calibration view: the known volumes of cuvette wells and the conductance readings taken
// in them in a table (left), known volume against conductance with the fitted line (right), the fit
// offered for applying below the table, and in a band at the bottom the applied calibration: switched on
// or off and typed by hand. Everything it changes goes into the cuvette calibration model and is
// committed there; the view follows the model's change notifications like every other observer.
#pragma once

#include "document/core/CuvetteSelectionTarget.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/manager/TableViewManager.h"
#include "views/cuvette/CuvetteCalibData.h"
#include "views/cuvette/CuvetteFit.h"
#include "views/cuvette/CuvetteLayout.h"
#include "views/graph/SistraGraphViewBase.h"

#include "controls/errors/ErrorProvider.h"
#include "document/models/ValidationResult.h"
#include "platform/owl/controls/Control.h"
#include "platform/owl/controls/Edit.h"

#include <optional>
#include <vector>

namespace Sistra
{

class CuvetteView final : public SistraGraphViewBase, public ITableUserActionHandler, public CuvetteSelectionTarget
{
public:
    enum ControlId : int
    {
        SetFromSelectionId = 3001,
        DeleteRowId = 3002,
        EnableId = 3003,
        EquationStartId = 3004,
        SlopeId = 3005,
        EquationMiddleId = 3006,
        InterceptId = 3007,
        ApplyId = 3008,
        ResultId = 3010,
        ErrorId = 3011,
        GroupId = 3012,
    };
    static constexpr int32_t CuvetteViewNumber = 8;
    // The bands below the plot and below everything.
    static constexpr int PlotBottomMargin = 40;
    static constexpr int BandHeight = 27;
    // The table's layout values: row-title width, column width (columns widen where their texts need
    // more), no summary pane.
    static constexpr int RowHeaderWidth = 60;
    static constexpr int ColumnWidth = 120;
    static constexpr ULONG TableStyle = 0x121;

    CuvetteView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view, IUnknown* document,
                OWL::TModule* module, IDocView2* hostView);
    ~CuvetteView() override;

    DECLARE_RESPONSE_TABLE(CuvetteView);

    // The table's user actions. The view's table face shares the window's life.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnSelectionChanged(ULONG grid, const TableView::SelectedColumn* columns,
                                                 ULONG count) override;
    HRESULT STDMETHODCALLTYPE OnCellClicked(ULONG gridAndKind, int row, ULONG column) override;
    HRESULT STDMETHODCALLTYPE OnCellEdited(ULONG grid, int row, ULONG column, const Orv::String& text) override;
    HRESULT STDMETHODCALLTYPE OnListItemChosen(ULONG grid, ULONG listKind, int row, ULONG column,
                                               ULONG item) override;
    HRESULT STDMETHODCALLTYPE OnFollowLatestChanged(ULONG, VARIANT_BOOL) override { return E_NOTIMPL; }

    // The document's answer to the automation command: the mean of the volume channel over the host's
    // selection into the selected well's reading, then the selection moves on to the next cell.
    Orv::String SetFromSelection() override;

    // Backspace and Delete clear the selected cells while the selection holds a well.
    bool PreProcessMsg(MSG& message) override;
    const wchar_t* GetClassName() override { return L"SistraCuvetteCalibViewClass"; }
    bool CopyToClipboard() override;

    Orv::String GetTitle() override;
    bool GetRegression(ViewRegression& regression) override;
    ViewChannel GetDomainChannel() override { return VolumeChannel(); }
    ViewChannel GetRangeChannel() override { return VolumeChannel(); }
    Orv::String GetDomainTitle() override;
    Orv::String GetDomainSymbol() override { return GetDomainTitle(); }
    Orv::String GetDomainUnits() override;
    double GetDomainUnitScale() override;
    Orv::String GetRangeTitle() override;
    Orv::String GetRangeSymbol() override { return GetRangeTitle(); }
    Orv::String GetRangeUnits() override;
    double GetRangeUnitScale() override;
    int32_t GetSeriesId() override { return 13; }
    int32_t GetFunctionIndex() override { return 12; }
    bool GetDataExtents(ViewExtents& extents) override;
    Orv::String GetTooltipFormat() override;
    Orv::String GetHelpText() override;
    Orv::String GetHelpTopic() override;
    bool HasTitle() override { return false; }
    void BeginUpdate(const Orv::Bitset& pending) override;
    ViewMargins GetGraphMargins() override;
    // The least size at which no control covers another.
    SIZE GetLeastSize() override;
    bool IsHelpButtonInGraph() override { return false; }
    bool ShowsAnalysisData() override { return false; }
    bool ShowRegressionLabel() override { return false; }

    // The operations behind the controls and the table, reached by tests as by the user.
    void ClearSelectedCells();
    void DeleteRowWithConfirm(int well);
    void OnApply();
    void OnEnableToggled();
    // The table as text: one line per well (the title row first), cells of the first columns
    // columns separated by tabs, each line ended by CR LF.
    std::wstring TableText(ULONG columns);
    bool CopyTableToClipboard(ULONG columns);
    UnitInfo GetConductanceUnit();
    UnitInfo VolumeChannelUnit();
    CuvetteCalibData& CalibData();
    ITableViewManager* TableManager();
    bool IsSetFromSelectionEnabled() const;
    bool IsDeleteRowEnabled() const;
    const std::optional<CuvetteFit>& Fit() const { return fit_; }
    // The selected cell: its well row and its column.
    std::pair<int, int> SelectedCell() const { return {selectedRow_, selectedColumn_}; }

protected:
    void SetupWindow() override;
    void CleanupWindow() override;
    void EvSize(UINT sizeType, const OWL::TSize& size);
    bool EvEraseBkgnd(HDC dc);
    HBRUSH EvCtlColor(HDC dc, HWND child, UINT controlType);

private:
    ViewChannel VolumeChannel();
    bool WorkflowModeOn();
    bool HostSampling();
    void RefreshTable();
    void PlaceTable(int width, int height);
    void LayoutCalibrationGroup();
    CuvetteLayoutInput LayoutInput();
    void UpdateControlStates();
    void UpdateSelectionButtons();
    void ShowFitText();
    void OnModelChanged(const ModelChangedRecord* record);
    void OnModelStatus(const ModelProblemRecord* problem);
    void OnModelReadiness();
    void OnSamplingChanged();
    void OnSelectAll();
    void OnSelectAllEnable(IVyrCommandState& state);
    void OnSetFromSelectionClicked();
    void OnDeleteRowClicked() { DeleteRowWithConfirm(selectedRow_); }
    void OnSlopeEdited();
    void OnInterceptEdited();
    void DeleteRow(int well);
    bool FillCellFromSelection(int well, int column);
    void AdvanceSelection(int32_t filledReading);
    void CellsChanged();
    void FollowFitInWorkflow();
    bool CanApplyCalibration();
    ValidationResult AppliedCalibrationProblem();
    void RefuseKnownVolume(const Orv::String& typed);
    HWND TableWindow();
    double ConductanceFactor();
    double VolumeFactor();
    bool DataCellSelected() const { return selectedRow_ > 0 && selectedColumn_ > 0; }

    OWL::TButton* setFromSelection_;
    OWL::TButton* deleteRow_;
    OWL::TStatic* result_;
    OWL::TButton* apply_;
    OWL::TControl* group_;
    OWL::TCheckBox* enable_;
    OWL::TStatic* equationStart_;
    OWL::TEdit* slope_;
    OWL::TStatic* equationMiddle_;
    OWL::TEdit* intercept_;
    OrvControls::ErrorProvider* error_;
    Orv::ComPtr<ITableViewManager> manager_;
    Orv::ComPtr<CuvetteCalibData> data_;
    Orv::ComPtr<IMessageHandler> hostView_;
    std::optional<CuvetteFit> fit_;
    bool severalCells_ = false;
    bool oneCell_ = false;
    int selectedRow_ = 0;      // the selected well's row
    int selectedColumn_ = 0;   // the selected cell's column: 1 the known volume, 2 on the readings
    std::vector<TableView::SelectedColumn> ranges_;
    std::optional<UnitInfo> conductanceUnit_;
    bool updating_ = false;
    bool editing_ = false;
    bool setUp_ = false;
    int placedLeftWidth_ = 0;
    int copyChoice_ = 0;

    VYR_DECLARE_EVENT_MAP()
};

} // namespace Sistra
