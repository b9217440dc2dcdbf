// In-place editing: a cell class draws a column's cells and makes their editor; the editor moves the
// value between itself and the cell data; the alias gives the editor the grid's keys (Enter and Tab
// commit, Esc closes without taking the input, losing the focus commits).
#pragma once

#include "platform/owl/controls/ComboBox.h"
#include "platform/owl/controls/Edit.h"
#include "tableview/grid/CellData.h"

#include <vector>

namespace TVF_Grid
{

class GridPane;
class ControlAlias;

class GridItemControl
{
public:
    virtual ~GridItemControl() = default;
    // toCell: the editor's value goes into the cell data; else the cell's value into the editor.
    virtual void TransferCell(bool toCell) = 0;
    virtual OWL::TWindow& Window() = 0;
    void SetAlias(ControlAlias* alias) { m_alias = alias; }

protected:
    // The editors' own message handlers ask the alias first.
    ControlAlias* m_alias = nullptr;
};

class GridEditCtrl : public OWL::TEdit, public GridItemControl
{
public:
    GridEditCtrl(GridPane& pane, CellData& cell);
    DECLARE_RESPONSE_TABLE(GridEditCtrl);
    void TransferCell(bool toCell) override;
    OWL::TWindow& Window() override { return *this; }

protected:
    void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
    void EvChar(UINT key, UINT repeatCount, UINT flags);
    void EvKillFocus(HWND getsFocus);
    void EvLButtonDblClk(UINT modKeys, const OWL::TPoint& point);

private:
    CellData& m_cell;
};

class StringComboBox : public OWL::TComboBox, public GridItemControl
{
public:
    static constexpr int TextLimit = 32;
    static constexpr DWORD EditorStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_GROUP | WS_TABSTOP |
                                         CBS_DROPDOWNLIST | CBS_AUTOHSCROLL;

    StringComboBox(GridPane& pane, CellData& cell, const std::vector<Orv::String>& choices);
    DECLARE_RESPONSE_TABLE(StringComboBox);
    void SetupWindow() override;
    void TransferCell(bool toCell) override;
    OWL::TWindow& Window() override { return *this; }

protected:
    void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
    void EvKillFocus(HWND getsFocus);

private:
    const std::vector<Orv::String>& m_choices;
    CellData& m_cell;
};

// The grid's keys for an editor; the editors' message handlers consult it.
class ControlAlias
{
public:
    ControlAlias(HWND editor, GridPane& pane, int column, int row)
        : m_editor(editor), m_pane(pane), m_column(column), m_row(row)
    {
    }
    // True when the key was the grid's (the editor may be closed by then).
    bool KeyDown(UINT key);
    // Tab typed into the editor inserts nothing.
    static bool DropsChar(UINT character) { return character == L'\t'; }
    void FocusLost();
    void DoubleClicked();
    HWND Editor() const { return m_editor; }

private:
    bool IsLive() const;

    HWND m_editor;
    GridPane& m_pane;
    int m_column;
    int m_row;
};

class GridControlClass
{
public:
    virtual ~GridControlClass() = default;
    virtual void DrawCell(const CellData& cell, HDC dc, const RECT& rect);
    // The editor over the cell for the pane; null when none could be made.
    virtual GridItemControl* CreateEditor(GridPane& pane, CellData& cell) = 0;

protected:
    static void DrawText(const Orv::String& text, HDC dc, const RECT& rect);
};

class GridStaticText : public GridControlClass
{
};

class GridText : public GridStaticText
{
public:
    GridItemControl* CreateEditor(GridPane& pane, CellData& cell) override;
};

class GridStringList : public GridControlClass
{
public:
    void Add(const Orv::String& choice) { m_choices.push_back(choice); }
    const std::vector<Orv::String>& Choices() const { return m_choices; }
    // The cell's value picks the choice; a value past the end shows the first.
    void DrawCell(const CellData& cell, HDC dc, const RECT& rect) override;
    GridItemControl* CreateEditor(GridPane& pane, CellData& cell) override;

private:
    std::vector<Orv::String> m_choices;
};

} // namespace TVF_Grid
