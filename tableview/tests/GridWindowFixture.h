// A grid window over a table client for the tests and the table bench: a top-level window holding one
// event grid, drawn by the table renderer, with the client's columns and rows.
#pragma once

#include "tableview/grid/EventGridControl.h"
#include "tableview/grid/GridPane.h"
#include "tableview/grid/RowNumbersPane.h"
#include "tableview/render/TableRenderer.h"
#include "tableview/tests/FakeTable.h"

#include <memory>
#include <string>
#include <vector>

namespace TableViewTests
{

// The keys a test holds down, instead of the keyboard's.
class TestGrid : public TVF_Grid::EventGridControl
{
public:
    using EventGridControl::EventGridControl;
    unsigned HeldModifiers() const override { return held; }
    unsigned held = 0;
};

inline std::vector<std::wstring> Titles(int count)
{
    std::vector<std::wstring> titles;
    for (int i = 1; i <= count; ++i)
        titles.push_back(L"Param " + std::to_wstring(i));
    return titles;
}

inline void DispatchWaitingMessages()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

struct GridWindow
{
    GridWindow(FakeTable& table, int width, int height, int columnWidth = 80, bool snapGadget = false)
        : frame(nullptr, L"grid"), grid(new TestGrid(&frame)), renderer(*grid)
    {
        grid->Options().snapGadget = snapGadget;
        frame.Attr.Style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN;
        // Test executables run side by side on one display: the grid does not take the foreground.
        frame.Attr.ExStyle = WS_EX_NOACTIVATE;
        frame.Attr.X = frame.Attr.Y = 0;
        frame.Attr.W = grid->Attr.W = width;
        frame.Attr.H = grid->Attr.H = height;
        grid->SetClient(&table, &table, &table, nullptr, TableView::MainGridWord);
        renderer.Attach(&table, &table, TableView::MainGridWord);
        renderer.SetChannelNames(&grid->IndexedNames());
        grid->Pane().SetRenderer(&renderer);
        for (ULONG c = 1; c < table.ColumnCount(); ++c)
        {
            Orv::String title;
            table.GetCellText(TableView::MainGridWord, 0, c, &title);
            grid->Pane().AddColumn(std::make_unique<TVF_Grid::UniformGridColumn>(static_cast<int>(c - 1), title,
                                                                                 columnWidth, grid->CellFont()));
        }
        frame.Create();
        grid->RowNumbers().SetWidth(40);
        ULONG rows = 0;
        table.GetRowCount(0, &rows);
        grid->SetRowCount(static_cast<int>(rows), 1);
        grid->RepaintAll();
        grid->UpdateWindow();
        DispatchWaitingMessages();
    }
    // Client point of the pane's cell (pane indices).
    POINT CellCentre(int row, int column) const
    {
        const TVF_Grid::GridColumn& c = grid->Pane().Column(column);
        return {c.X() - grid->Pane().ScrollX() + c.Width() / 2,
                row * grid->Pane().RowHeight() - grid->Pane().ScrollY() + grid->Pane().RowHeight() / 2};
    }
    static void Send(OWL::TWindow& window, UINT msg, POINT at, WPARAM wParam = 0)
    {
        window.SendMessage(msg, wParam, MAKELPARAM(at.x, at.y));
    }
    void PressRowNumber(int row, unsigned held)
    {
        grid->held = held;
        const POINT at{5, CellCentre(row, 0).y};
        Send(grid->RowNumbers(), WM_LBUTTONDOWN, at);
        Send(grid->RowNumbers(), WM_LBUTTONUP, at);
    }

    OWL::TWindow frame;
    TestGrid* grid;
    TableView::TableRenderer renderer;
};

} // namespace TableViewTests
