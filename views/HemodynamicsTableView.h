// The hemodynamics table view: the document's table data shown through the document's table-view
// manager above four buttons (help, export, options, add to the results sheet). It keeps the table's
// selection in step with the loop the other views show, and the table's options with its model.
#pragma once

#include "views/base/SistraViewBase.h"
#include "tableview/data/TableInterfaces.h"
#include "tableview/manager/TableViewManager.h"

#include <optional>

namespace OWL
{
class TButton;
}
namespace OrvControls
{
class TBmpTxtButton;
}

namespace Sistra
{

class SistraDocument;
class SistraHemodynamicsTableViewData;

// The loop row of the main pane that a selection report covers when it covers exactly one loop row:
// every reported column spans that one row. None for several rows, the title row or no cells.
std::optional<int> SingleSelectedLoopRow(const TableView::SelectedColumn* cells, ULONG count);

// The user's choice in the format dialog for a parameter's column: its figures, or every column's.
struct ColumnFormatChoice
{
    int32_t digits;
    bool applyToAll;
};
// Applies the choice; applying to all also gives a format to the columns that never had one.
void ApplyColumnFormat(SistraHemodynamicsTableViewData& data, int32_t parameter, const ColumnFormatChoice& choice);

class SistraHemodynamicsTableView final : public SistraViewBase, public ITableUserActionHandler
{
public:
    // Row selection, column moves, row and column titles, whole tables in printouts and the
    // follow-latest strip; with the second grid the summary pane shows too.
    static constexpr ULONG TableStyle = 0x278;
    static constexpr ULONG TableStyleWithSummary = 0x27A;
    static constexpr int PreferredWidth = 750;
    static constexpr int PreferredHeight = 400;

    // The buttons under the table.
    static constexpr int HelpButtonId = 9;
    static constexpr int ExportButtonId = 1000;
    static constexpr int OptionsButtonId = 1001;
    static constexpr int TallionButtonId = 1002;
    // The band the buttons sit in at the bottom of the view, where they fit on one row.
    static constexpr int ButtonBand = 39;

    SistraHemodynamicsTableView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view,
                                IUnknown* document, OWL::TModule* module, IDocView2* hostView);
    ~SistraHemodynamicsTableView() override;

    DECLARE_RESPONSE_TABLE(SistraHemodynamicsTableView);
    VYR_DECLARE_EVENT_MAP()

public:
    // The framework tells the view of the user's actions on the table; the view keeps them to itself.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE OnSelectionChanged(ULONG grid, const TableView::SelectedColumn* cells,
                                                 ULONG count) override;
    HRESULT STDMETHODCALLTYPE OnCellClicked(ULONG gridAndKind, int row, ULONG column) override;
    // The table's values are the analysis's: they are not edited.
    HRESULT STDMETHODCALLTYPE OnCellEdited(ULONG, int, ULONG, const Orv::String&) override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE OnListItemChosen(ULONG, ULONG, int, ULONG, ULONG) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnFollowLatestChanged(ULONG grid, VARIANT_BOOL state) override;

    // Brings the table up to the document's analysis and the model's options; changeFlags are the
    // document's change bits (a moved selection puts the table's on the selected loop).
    void DataChanged(uint32_t changeFlags) override;
    void GetCopyCommandText(Orv::String& text) override;
    void GetPrintCommandText(Orv::String& text) override;
    // Selects every loop row of both panes without telling the other views.
    void SelectAll();
    // The commands of the buttons.
    void ExportTable();
    void ShowOptions();
    void ShowHelp();
    void AddToTallion();

protected:
    void SetupWindow() override;
    void CleanupWindow() override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;
    const wchar_t* GetClassName() override;
    void GetWindowClass(WNDCLASSEXW& windowClass) override;
    void EvSize(UINT sizeType, const OWL::TSize& size);
    void EvGetMinMaxInfo(MINMAXINFO& limits);

private:
    // The table window goes before this window, however this window is closed.
    void CloseTable();
    void PlaceControls(int width, int height);
    void CreateButtons();
    void OnHostRefresh();
    void EnableAlways(IVyrCommandState& state);
    void AnswerHandled() {}
    HRESULT AnswerPreferredSize(ULONG_PTR size);
    // The table's column of the loop the loop view shows; the title row when none is selected.
    int SelectedLoopRow();
    bool IsFollowingLiveData();
    // Asks for the figures of a parameter's column; none when cancelled.
    std::optional<ColumnFormatChoice> AskColumnFormat(int32_t digits);

    Orv::ComPtr<IMessageHandler> m_hostView;
    // Held while the table is shown: the table outlives neither, even when the document goes first.
    Orv::ComPtr<ITableViewManager> m_manager;
    Orv::ComPtr<SistraHemodynamicsTableViewData> m_data;
    // Owned by this window as its children.
    OrvControls::TBmpTxtButton* m_helpButton;
    OWL::TButton* m_exportButton;
    OWL::TButton* m_optionsButton;
    OWL::TButton* m_tallionButton;
    // While set, selections the framework reports are the view's own: they are not passed on (the
    // first) and leave the other pane's selection alone (the second).
    bool m_quietSelection = false;
    bool m_keepOtherPane = false;
    bool m_updating = false;
    // The band the buttons take as they are placed now.
    int m_buttonBand = ButtonBand;
};

} // namespace Sistra
