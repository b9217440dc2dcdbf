// The table window a manager makes inside its client's view: the main grid on top and, when the style
// asks for it, a second grid of fixed height below, each drawn by a table renderer from the client's
// cells. It keeps the grids' columns in step with the manager's column state, copies, exports and
// transfers the table, and answers the host's copy message sent to the client's view.
#pragma once

#include "foundation/com/ComObjectRoot.h"
#include "foundation/com/ComPtr.h"
#include "hostapi/VyrServices.h"
#include "hostframework/messaging/MessageSenders.h"
#include "hostframework/messaging/Subjects.h"
#include "tableview/grid/EventGridControl.h"
#include "tableview/manager/TableWindow.h"
#include "tableview/render/TableRenderer.h"
#include "tableview/transfer/TableText.h"

#include <memory>

namespace TableView
{

// Style bits of CreateTableView and SetStyle.
namespace TableStyle
{
constexpr ULONG Editing = 0x01;
constexpr ULONG SecondGrid = 0x02;
constexpr ULONG RowSelection = 0x08;
constexpr ULONG ColumnMoves = 0x10;
constexpr ULONG RowTitles = 0x20;
constexpr ULONG ColumnTitles = 0x40;
constexpr ULONG NoHorizontalBar = 0x80;
constexpr ULONG PrintWholeTables = 0x100;
constexpr ULONG SnapGadget = 0x200;
} // namespace TableStyle

// The host's copy and print messages, sent to the client's view.
constexpr ULONG CopyMessageId = 0x80010008;
constexpr ULONG PrintMessageId = 0x8001000B;
constexpr ULONG PrintSecondFormMessageId = 0x8001000C;

// The window that owns the client's window handle; an alias when that window is no OWL window. A base,
// so that it outlives the table window's own destruction.
struct TableViewParent
{
    explicit TableViewParent(HWND parent);
    OWL::TWindow* window;
    std::unique_ptr<OWL::TWindow> alias;
};

// The channels' names by number (from 1), as the host document's channel descriptions give them.
ChannelNames BuildIndexedNameMap(IUnknown* hostDocument);

class TVF_TableView final : private TableViewParent,
                            public OWL::TWindow,
                            public TableWindow,
                            public VyrSubject,
                            public Orv::CComObjectRoot
{
public:
    static constexpr int DefaultSecondGridHeight = 100;

    TVF_TableView(HWND parent, ITableViewMgrInternal* manager, IUnknown* frameServices,
                  IMessageHandler* clientHandler);
    ~TVF_TableView() override;

    // The window owns itself: references never delete it. Observers of the window hear the grids' width
    // changes and column moves again.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return InternalRelease(); }

    // Keys reach the main grid whichever of the table's windows has the focus; Ctrl combinations are
    // left to the host's accelerators; other messages get the dialog keys of the window.
    bool PreProcessMsg(MSG& msg) override;

    DECLARE_RESPONSE_TABLE(TVF_TableView);

    HRESULT Setup(ULONG style, IUnknown* frameServices, ITableDataManager* data, ITableStoredRowInfo* rowInfo,
                  ITableUserActionHandler* actions, IListGenerator* lists) override;
    HRESULT Layout(const ViewOptions& options) override;
    HRESULT Refresh(ULONG columnCount) override;
    void Cleanup() override;
    void SetStyle(ULONG style) override;
    void RefreshCell(int row, ULONG displayColumn) override;
    void SelectRows(ULONG grid, int firstRow, int endRow) override;
    void SelectCells(ULONG grid, ULONG displayColumn, int firstRow, int endRow) override;
    void EnsureRowVisible(ULONG grid, int row) override;
    void SetFollowLatest(bool follow) override;
    HRESULT AddToTallion() override;
    HRESULT ExportCsv(const wchar_t* fileName) override;

    // The selected blocks, or both whole grids, as text with separator between cells.
    std::wstring TableText(const Orv::String& separator);
    void CopyToClipboard();
    // Prints each grid's selection, or both whole grids when there is none (or the style says so),
    // through the host's print service: its print operation, or its second form.
    void Print(bool secondForm);
    TVF_Grid::EventGridControl& MainGrid() const { return *m_mainGrid; }
    TVF_Grid::EventGridControl& SecondGrid() const { return *m_secondGrid; }
    bool HasSecondGrid() const { return m_hasSecondGrid; }

protected:
    const wchar_t* GetClassName() override { return L"TVF_TableView"; }
    void EvSize(UINT sizeType, const OWL::TSize& size);
    bool EvEraseBkgnd(HDC) { return true; }
    bool EvMouseWheel(UINT modKeys, int delta, const OWL::TPoint& point);

private:
    // Hears the grids' scrolling, width changes, column moves and clicks.
    class GridObserver final : public IObserver
    {
    public:
        explicit GridObserver(TVF_TableView& view) : m_view(view) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject* subject) override;
        HRESULT STDMETHODCALLTYPE Notify(ISubject* subject, ULONG eventId, ULONG_PTR, void* data) override;

    private:
        TVF_TableView& m_view;
    };

    // The window's node in the client view's message-handler tree: the host's copy reaches it there.
    class ViewMessages final : public VyrMessageHandler
    {
    public:
        explicit ViewMessages(TVF_TableView& view) : m_view(view) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
        ULONG STDMETHODCALLTYPE Release() override { return 1; }
        HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override;

    private:
        TVF_TableView& m_view;
    };

    // The host's message loop shows the table its messages before they are dispatched.
    class LoopHooks final : public IHostLoopHooks
    {
    public:
        explicit LoopHooks(TVF_TableView& view) : m_view(view) {}
        BOOL STDMETHODCALLTYPE PreTranslate(MSG* message) override;
        BOOL STDMETHODCALLTYPE OnLoopIdle() override { return FALSE; }

    private:
        TVF_TableView& m_view;
    };

    void OnGridEvent(ISubject* subject, ULONG eventId, void* data);
    void OnDocumentEvent(ULONG eventId);
    // The channel names of the host document, given to both grids and their renderers.
    void ReadIndexedNames();
    Orv::ComPtr<IUnknown> UiServices() const;
    void RepaintGrids();
    void LayoutGrids();
    // The grid's columns from the client's column count, widths from the manager and titles from the
    // title row, and its rows from the client's row count.
    void RebuildColumns(TVF_Grid::EventGridControl& grid, ULONG columnCount);
    void SelectAndReport(TVF_Grid::EventGridControl& grid, const TVF_Grid::CellRange& range);
    void ApplyStyleTo(TVF_Grid::EventGridControl& grid);
    TVF_Grid::EventGridControl& GridOf(ULONG gridWord) const;
    GridText TextSourceOf(TVF_Grid::EventGridControl& grid, TableCopier& copier) const;
    CopySource CopySourceOf(TVF_Grid::EventGridControl& grid, ULONG gridWord) const;
    CopyOptions Options() const { return {m_includeRowTitles, m_includeColumnTitles}; }
    // The host document's name, ": " and the table's title.
    Orv::String PrintTitle() const;

    TVF_Grid::EventGridControl* m_mainGrid;
    TVF_Grid::EventGridControl* m_secondGrid;
    std::unique_ptr<TableRenderer> m_mainRenderer;
    std::unique_ptr<TableRenderer> m_secondRenderer;
    bool m_hasSecondGrid = true;
    bool m_includeRowTitles = false;
    bool m_includeColumnTitles = true;
    bool m_printWholeTables = false;
    ULONG m_style = 0;
    int m_secondGridHeight = DefaultSecondGridHeight;
    int m_defaultColumnWidth = 100;
    ITableViewMgrInternal* m_manager;
    IUnknown* m_frameServices;
    IMessageHandler* m_clientHandler;
    ITableDataManager* m_data = nullptr;
    ITableStoredRowInfo* m_rowInfo = nullptr;
    GridObserver m_observer{*this};
    ViewMessages m_messages{*this};
    LoopHooks m_loopHooks{*this};
    bool m_observing = false;
    bool m_hooked = false;
    // The host document's events reach the window through the frame's subject. Not counted: the frame
    // outlives the views of its document, and a reference would keep a document with an open table alive.
    ISubject* m_documentSubject = nullptr;
    ChannelNames m_indexedNames;
};

} // namespace TableView
