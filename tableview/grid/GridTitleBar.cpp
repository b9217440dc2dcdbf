#include "tableview/grid/GridTitleBar.h"

#include "foundation/system/GdiObjects.h"
#include "platform/owl/gdi/DC.h"
#include "tableview/grid/GridActions.h"
#include "tableview/grid/GridControl.h"
#include "tableview/grid/GridPane.h"

#include <algorithm>

namespace TVF_Grid
{

DEFINE_RESPONSE_TABLE1(GridTitleBar, OWL::TWindow)
    EV_WM_SETCURSOR,
    EV_WM_LBUTTONDOWN,
    EV_WM_MOUSEMOVE,
    EV_WM_LBUTTONUP,
    EV_WM_LBUTTONDBLCLK,
    EV_WM_RBUTTONUP,
    EV_WM_CONTEXTMENU,
    EV_WM_ERASEBKGND,
END_RESPONSE_TABLE;

GridTitleBar::GridTitleBar(GridControl& grid, GridPane& pane) : OWL::TWindow(&grid, L""), m_grid(grid), m_pane(pane)
{
}

int GridTitleBar::HitColumnBorder(int x) const
{
    for (int i = 0; i < m_pane.ColumnCount(); ++i)
    {
        const int right = m_pane.Column(i).Right() - m_pane.ScrollX();
        if (right - BorderZone < x && x < right + BorderZone)
            return i;
    }
    return -1;
}

int GridTitleBar::HitColumn(int x)
{
    for (int i = 0; i < m_pane.ColumnCount(); ++i)
    {
        const int right = m_pane.Column(i).Right() - m_pane.ScrollX();
        if (x < right - BorderZone)
        {
            m_grabOffset = right - x;
            return i;
        }
    }
    return -1;
}

int GridTitleBar::ColumnUnder(int x)
{
    const int column = HitColumn(x);
    return column >= 0 ? column : m_pane.ColumnCount() - 1;
}

bool GridTitleBar::RightOfLastColumn(int x) const
{
    const int count = m_pane.ColumnCount();
    return count == 0 || x > m_pane.Column(count - 1).Right() - m_pane.ScrollX();
}

void GridTitleBar::Paint(OWL::TDC& dc, bool, OWL::TRect& rect)
{
    if (m_grid.Options().fitToTitle)
        for (int i = m_pane.FirstColumn(); i < m_pane.ColumnCount(); ++i)
        {
            GridColumn& column = m_pane.Column(i);
            if (!column.Resizable() || column.GetState() != GridColumn::State::FitToContent)
                continue;
            column.SetState(GridColumn::State::Normal);
            m_grid.SetColumnWidth(TextExtent(column.Title(), m_grid.CellFont()) + FitMargin,
                                  i + GridControl::ColumnOrigin, GridControl::ColumnOrigin);
        }
    DrawHeaders(dc, rect);
}

void GridTitleBar::DrawHeader(HDC dc, int index, const RECT& box, COLORREF background, COLORREF textColour,
                              bool centredOnly)
{
    const GridColumn& column = m_pane.Column(index);
    ::SetBkColor(dc, background);
    ::SetTextColor(dc, textColour);
    const Orv::String& title = column.Title();
    const int middle = (box.left + box.right) / 2;
    const int width = box.right - box.left;
    const Orv::String* shown = &title;
    int x = middle;
    UINT align = TA_CENTER;
    SIZE extent{};
    ::GetTextExtentPoint32W(dc, title.c_str(), static_cast<int>(title.Length()), &extent);
    if (!centredOnly && extent.cx > width)
    {
        x = box.left;
        align = TA_LEFT;
        const Orv::String& shortTitle = column.SecondText();
        SIZE shortExtent{};
        ::GetTextExtentPoint32W(dc, shortTitle.c_str(), static_cast<int>(shortTitle.Length()), &shortExtent);
        if (!shortTitle.IsEmpty() && shortExtent.cx <= width)
        {
            shown = &shortTitle;
            x = middle;
            align = TA_CENTER;
        }
    }
    Orv::TextAlignment alignment(dc, static_cast<int>(align | TA_TOP));
    ::ExtTextOutW(dc, x, box.top, ETO_CLIPPED | ETO_OPAQUE, &box, shown->c_str(), static_cast<UINT>(shown->Length()),
                  nullptr);
}

void GridTitleBar::DrawHeaders(HDC dc, const RECT& rect)
{
    ::FillRect(dc, &rect, ::GetSysColorBrush(COLOR_BTNFACE));
    OWL::SelectedObject font(dc, m_grid.TitleFont());
    Orv::UniquePen shadow(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_BTNSHADOW)));
    Orv::UniquePen light(::CreatePen(PS_SOLID, 1, ::GetSysColor(COLOR_3DHILIGHT)));
    OWL::SelectedObject pen(dc, light.Get());
    const OWL::TRect client = GetClientRect();
    const int height = client.Height();
    const CellRange& selection = m_grid.Selection().Range();
    if (m_pane.ColumnCount() > 0)
    {
        const int last = m_pane.ColumnAt(client.Width());
        for (int i = std::max(m_pane.FirstColumn(), 0); i <= last; ++i)
        {
            const GridColumn& column = m_pane.Column(i);
            const int left = column.X() - m_pane.ScrollX();
            const int right = left + column.Width();
            ::SelectObject(dc, light.Get());
            Orv::StrokeLines(dc, {{left, 0}, {left, height}});
            const int number = i + GridControl::ColumnOrigin;
            const bool selected = selection.IsValid() && number >= selection.firstColumn.index &&
                                  number < selection.endColumn.index;
            const RECT box{left + 1, 0, right, height - 1};
            DrawHeader(dc, i, box, ::GetSysColor(selected ? COLOR_BTNSHADOW : COLOR_BTNFACE),
                       selected ? RGB(255, 255, 255) : RGB(0, 0, 0), false);
            ::SelectObject(dc, shadow.Get());
            Orv::StrokeLines(dc, {{right, 0}, {right, height}});
            Orv::StrokeLines(dc, {{left + 1, height - 1}, {right, height - 1}});
        }
    }
    ::SelectObject(dc, light.Get());
    Orv::StrokeLines(dc, {{0, 0}, {client.Width() - 1, 0}});
}

void GridTitleBar::Redraw(int mouseX)
{
    if (!IsWindow())
        return;
    const OWL::TRect client = GetClientRect();
    OWL::TClientDC window(GetHandle());
    Orv::MemoryDc memory(window);
    Orv::UniqueBitmap bitmap(::CreateCompatibleBitmap(window, std::max(client.Width(), 1), std::max(client.Height(), 1)));
    OWL::SelectedObject selected(memory.Get(), bitmap.Get());
    DrawHeaders(memory.Get(), client);
    if (m_moving && !m_resizing && m_activeColumn >= 0 && m_activeColumn < m_pane.ColumnCount())
    {
        OWL::SelectedObject font(memory.Get(), m_grid.TitleFont());
        const int right = mouseX + m_grabOffset;
        const RECT box{right - m_pane.Column(m_activeColumn).Width(), 0, right, client.Height() - 1};
        DrawHeader(memory.Get(), m_activeColumn, box, ::GetSysColor(COLOR_3DHILIGHT), RGB(0, 0, 0), true);
    }
    ::BitBlt(window, 0, 0, client.Width(), client.Height(), memory.Get(), 0, 0, SRCCOPY);
}

bool GridTitleBar::EvSetCursor(HWND window, UINT hitTest, UINT)
{
    OWL::TPoint point;
    ::GetCursorPos(&point);
    ScreenToClient(point);
    const OWL::TRect client = GetClientRect();
    if (window == GetHandle() && hitTest == HTCLIENT && ::PtInRect(&client, point))
    {
        const bool border = m_grid.Options().columnResizing && HitColumnBorder(point.x) >= 0;
        ::SetCursor(::LoadCursorW(nullptr, border ? IDC_SIZEWE : IDC_ARROW));
    }
    else
        SetCursor(nullptr, OWL::TResId());
    return true;
}

void GridTitleBar::SelectColumn(int column, unsigned modifiers)
{
    m_grid.Selection().MouseSelect({GridControl::RowOrigin - 1, GridControl::RowOrigin},
                                   {column + GridControl::ColumnOrigin, GridControl::ColumnOrigin}, modifiers);
}

void GridTitleBar::EndAtColumn(int column, unsigned modifiers)
{
    m_grid.Selection().Click({GridControl::RowOrigin - 1, GridControl::RowOrigin},
                             {column + GridControl::ColumnOrigin, GridControl::ColumnOrigin}, modifiers);
}

void GridTitleBar::EvLButtonDown(UINT, const OWL::TPoint& point)
{
    if (m_pane.IsWindow())
        m_pane.SetFocus();
    m_activeColumn = HitColumn(point.x);
    const int border = HitColumnBorder(point.x);
    if (RightOfLastColumn(point.x) && border < 0)
        m_grid.Selection().Clear();
    if (border >= 0)
        m_activeColumn = border;
    if (m_activeColumn < 0)
        return;
    SelectColumn(m_activeColumn, m_grid.HeldModifiers());
    if (m_grid.Options().columnResizing && border >= 0)
    {
        m_resizeLeft = m_pane.Column(m_activeColumn).X();
        m_resizing = true;
        SetCapture();
        m_pane.ResetDirtyColumns();
    }
    if (m_grid.Options().columnMoving)
    {
        m_moving = true;
        Redraw(point.x);
        SetCapture();
    }
}

void GridTitleBar::EvMouseMove(UINT, const OWL::TPoint& point)
{
    if (m_resizing && m_activeColumn >= 0)
    {
        m_pane.ResizeColumn(m_activeColumn, std::max<int>(point.x + m_pane.ScrollX(), m_resizeLeft));
        Redraw(point.x);
    }
    else if (m_moving)
        Redraw(point.x);
    if (m_pane.ColumnCount() == 0 || m_resizing || m_moving)
        return;
    const int column = ColumnUnder(point.x);
    const int button = ::GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON;
    const unsigned held = m_grid.HeldModifiers();
    if (!(::GetAsyncKeyState(button) & 0x8000) || (held & (SelectModifier::Ctrl | SelectModifier::Shift)))
        return;
    m_grid.Selection().DragTo(held, {GridControl::RowOrigin - 1, GridControl::RowOrigin},
                              {column + GridControl::ColumnOrigin, GridControl::ColumnOrigin});
    if (column >= m_pane.FirstColumn() + m_pane.VisibleColumnCount())
        m_grid.ScrollColumns(1);
}

void GridTitleBar::EvLButtonUp(UINT, const OWL::TPoint& point)
{
    const unsigned held = m_grid.HeldModifiers();
    if (m_resizing)
    {
        ::ReleaseCapture();
        m_resizing = false;
        m_moving = false;
        if (m_activeColumn >= 0)
            m_pane.AfterColumnResize(m_activeColumn);
        Invalidate(false);
        return;
    }
    const bool wasMoving = m_moving;
    if (!wasMoving && m_pane.ColumnCount() > 0)
        EndAtColumn(ColumnUnder(point.x), held);
    ::ReleaseCapture();
    m_moving = false;
    Invalidate(false);
    const int under = HitColumn(point.x);
    if (!wasMoving || under < 0 || m_activeColumn < 0)
        return;
    if (under == m_activeColumn)
        EndAtColumn(under, held);
    else
        m_grid.OnColumnNotify(m_activeColumn + GridControl::ColumnOrigin, GridControl::ColumnOrigin,
                              under + GridControl::ColumnOrigin, GridControl::ColumnOrigin);
}

void GridTitleBar::EvLButtonDblClk(UINT, const OWL::TPoint& point)
{
    const int border = HitColumnBorder(point.x);
    if (RightOfLastColumn(point.x) && border < 0)
    {
        m_grid.Selection().Clear();
        return;
    }
    const int column = border >= 0 ? border : HitColumn(point.x);
    if (column < 0)
        return;
    const unsigned modifiers = m_grid.HeldModifiers() | SelectModifier::DoubleClick;
    SelectColumn(column, modifiers);
    EndAtColumn(column, modifiers);
}

void GridTitleBar::EvRButtonUp(UINT, const OWL::TPoint& point)
{
    if (RightOfLastColumn(point.x))
        m_grid.Selection().Clear();
    else if (const int column = HitColumn(point.x); column >= 0)
    {
        const unsigned modifiers = m_grid.HeldModifiers() | SelectModifier::RightRelease;
        SelectColumn(column, modifiers);
        EndAtColumn(column, modifiers);
    }
    DefaultProcessing();
}

void GridTitleBar::EvContextMenu(HWND, int x, int y)
{
    IListGenerator* lists = m_grid.Lists();
    if (!m_grid.Options().listMenu || !lists)
        return;
    OWL::TPoint at(x, y);
    if (x == -1 && y == -1)
        ::GetCursorPos(&at);
    OWL::TPoint local = at;
    ScreenToClient(local);
    const int column = ColumnUnder(local.x);
    if (column < 0)
        return;
    const int row = GridControl::RowOrigin - 1;
    const int number = column + GridControl::ColumnOrigin;
    const ULONG chosen = ChooseFromList(*lists, row, number, at.x, at.y, ::GetParent(GetHandle()));
    if (chosen > 0)
        m_grid.OnCellMenuCommand(GridActions::CellMenuList, row, GridControl::RowOrigin, number,
                                 GridControl::ColumnOrigin, chosen - 1);
}

} // namespace TVF_Grid
