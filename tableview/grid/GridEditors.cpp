#include "tableview/grid/GridEditors.h"

#include "tableview/grid/GridPane.h"

namespace TVF_Grid
{

DEFINE_RESPONSE_TABLE1(GridEditCtrl, OWL::TEdit)
    EV_WM_KEYDOWN,
    EV_WM_CHAR,
    EV_WM_KILLFOCUS,
    EV_WM_LBUTTONDBLCLK,
END_RESPONSE_TABLE;

GridEditCtrl::GridEditCtrl(GridPane& pane, CellData& cell)
    : OWL::TEdit(&pane, GridPane::EditorId, L"", 0, 0, 0, 0), m_cell(cell)
{
    // The pane places the editor and deletes it; it is made on demand, not with the pane.
    Attr.Style &= ~WS_BORDER;
    SetFlag(OWL::wfDeleteOnClose);
    DisableAutoCreate();
}

void GridEditCtrl::TransferCell(bool toCell)
{
    auto* text = dynamic_cast<CellStringData*>(&m_cell);
    if (!text)
        return;
    // The whole text goes into the cell: a fixed buffer would cut a long comment without a word.
    if (toCell)
        text->SetString(Orv::String(GetWindowText().c_str()));
    else
        SetWindowText(text->GetString().c_str());
}

void GridEditCtrl::EvKeyDown(UINT key, UINT repeatCount, UINT flags)
{
    if (!m_alias || !m_alias->KeyDown(key))
        OWL::TEdit::EvKeyDown(key, repeatCount, flags);
}

void GridEditCtrl::EvChar(UINT key, UINT repeatCount, UINT flags)
{
    if (!ControlAlias::DropsChar(key))
        OWL::TEdit::EvChar(key, repeatCount, flags);
}

void GridEditCtrl::EvKillFocus(HWND getsFocus)
{
    OWL::TEdit::EvKillFocus(getsFocus);
    if (m_alias)
        m_alias->FocusLost();
}

void GridEditCtrl::EvLButtonDblClk(UINT, const OWL::TPoint&)
{
    if (m_alias)
        m_alias->DoubleClicked();
}

DEFINE_RESPONSE_TABLE1(StringComboBox, OWL::TComboBox)
    EV_WM_KEYDOWN,
    EV_WM_KILLFOCUS,
    OWL_MSG(WM_SIZE, self.OWL::TWindow::EvSize(static_cast<UINT>(wParam), ::OWL::TSize(LOWORD(lParam), HIWORD(lParam)))),
END_RESPONSE_TABLE;

StringComboBox::StringComboBox(GridPane& pane, CellData& cell, const std::vector<Orv::String>& choices)
    : OWL::TComboBox(&pane, GridPane::EditorId, 0, 0, 0, 0, CBS_DROPDOWNLIST, TextLimit), m_choices(choices),
      m_cell(cell)
{
    Attr.Style = EditorStyle;
    Attr.ExStyle &= ~WS_EX_CLIENTEDGE;
    DisableAutoCreate();
}

void StringComboBox::SetupWindow()
{
    OWL::TComboBox::SetupWindow();
    for (const Orv::String& choice : m_choices)
        AddString(choice.c_str());
}

void StringComboBox::TransferCell(bool toCell)
{
    auto& number = dynamic_cast<CellUint32Data&>(m_cell);
    if (toCell)
        number.SetValue(static_cast<std::uint32_t>(GetSelIndex()));
    else
        SetSelIndex(static_cast<int>(number.GetValue()));
}

void StringComboBox::EvKeyDown(UINT key, UINT repeatCount, UINT flags)
{
    if (!m_alias || !m_alias->KeyDown(key))
        OWL::TComboBox::EvKeyDown(key, repeatCount, flags);
}

void StringComboBox::EvKillFocus(HWND getsFocus)
{
    OWL::TComboBox::EvKillFocus(getsFocus);
    if (m_alias)
        m_alias->FocusLost();
}

bool ControlAlias::IsLive() const
{
    const GridItemControl* editor = m_pane.Editor();
    return editor && const_cast<GridItemControl*>(editor)->Window().GetHandle() == m_editor;
}

bool ControlAlias::KeyDown(UINT key)
{
    if (key != VK_RETURN && key != VK_TAB && key != VK_ESCAPE)
        return false;
    if (!IsLive())
        return true;
    // The grid ends the edit as its keys do when the table window hands them over (Enter then moves on
    // to the next row); a grid without keys of its own leaves the ending to the alias.
    if (m_pane.GridKeyDown(key))
        return true;
    if (key != VK_ESCAPE)
        m_pane.EndEditorInput();
    m_pane.CommitEdit();
    return true;
}

void ControlAlias::FocusLost()
{
    if (!IsLive())
        return;
    m_pane.EndEditorInput();
    m_pane.CommitEdit();
}

void ControlAlias::DoubleClicked()
{
    const int row = m_row;
    const int column = m_column;
    GridPane& pane = m_pane;
    if (IsLive())
        pane.CommitEdit();
    pane.BeginEdit(row, column, 0);
}

void GridControlClass::DrawText(const Orv::String& text, HDC dc, const RECT& rect)
{
    ::ExtTextOutW(dc, rect.left, rect.top, ETO_CLIPPED | ETO_OPAQUE, &rect, text.c_str(),
                  static_cast<UINT>(text.Length()), nullptr);
}

void GridControlClass::DrawCell(const CellData& cell, HDC dc, const RECT& rect)
{
    DrawText(cell.GetString(), dc, rect);
}

GridItemControl* GridText::CreateEditor(GridPane& pane, CellData& cell)
{
    return new GridEditCtrl(pane, cell);
}

void GridStringList::DrawCell(const CellData& cell, HDC dc, const RECT& rect)
{
    if (m_choices.empty())
        return;
    const auto& number = dynamic_cast<const CellUint32Data&>(cell);
    const std::size_t index = number.GetValue() < m_choices.size() ? number.GetValue() : 0;
    DrawText(m_choices[index], dc, rect);
}

GridItemControl* GridStringList::CreateEditor(GridPane& pane, CellData& cell)
{
    return new StringComboBox(pane, cell, m_choices);
}

} // namespace TVF_Grid
