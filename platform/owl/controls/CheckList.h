// OWL::TCheckList: a list whose rows carry a check box each. The rows are TCheckListItem objects that
// the list shows but does not own. A click on a row's box, or the space bar on the selected row,
// toggles it; the list then selects the row as a list box does (LBN_SELCHANGE to the parent).
#pragma once

#include "platform/owl/controls/Control.h"

#include <string>

namespace OWL
{

class TCheckListItem
{
public:
    explicit TCheckListItem(const wchar_t* text = L"", UINT state = BST_UNCHECKED, bool enabled = true)
        : Text(text ? text : L""), State(state), Enabled(enabled)
    {
    }
    virtual ~TCheckListItem() = default;

    const std::wstring& GetText() const { return Text; }
    void SetText(const wchar_t* text) { Text = text ? text : L""; }
    bool IsChecked() const { return State == BST_CHECKED; }
    bool IsIndeterminate() const { return State == BST_INDETERMINATE; }
    void Check() { State = BST_CHECKED; }
    void Uncheck() { State = BST_UNCHECKED; }
    void SetIndeterminate() { State = BST_INDETERMINATE; }
    void Toggle() { State = IsChecked() ? BST_UNCHECKED : BST_CHECKED; }
    bool IsEnabled() const { return Enabled; }
    void Enable() { Enabled = true; }
    void Disable() { Enabled = false; }

private:
    std::wstring Text;
    UINT State;
    bool Enabled;
};

class TCheckList : public TControl
{
public:
    TCheckList(TWindow* parent, int id, int x, int y, int w, int h, TModule* module = nullptr);
    TCheckList(TWindow* parent, int resourceId, TModule* module = nullptr);

    DECLARE_RESPONSE_TABLE(TCheckList);

    const wchar_t* GetClassName() override { return L"LISTBOX"; }

    // The index the row got, or -1.
    int AddItem(TCheckListItem* item);
    int InsertItem(TCheckListItem* item, int index);
    // Takes the row off the list (the item stays its owner's); false for a bad index.
    bool DetachItem(int index);
    void ClearList() { SendMessage(LB_RESETCONTENT); }
    // Room for this many more rows at once, rather than a few at a time as rows come.
    void ReserveRows(int count) { SendMessage(LB_INITSTORAGE, static_cast<WPARAM>(count)); }
    TCheckListItem* GetItem(int index) const;
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    int GetSelIndex() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    int SetSelIndex(int index) { return static_cast<int>(SendMessage(LB_SETCURSEL, index)); }
    // Toggles an enabled row and repaints it.
    void Toggle(int index);

protected:
    LRESULT EvDrawItem(WPARAM id, LPARAM item);
    LRESULT EvMeasureItem(WPARAM id, LPARAM item);
    void EvLButtonDown(UINT modKeys, const TPoint& point);
    void EvChar(UINT key, UINT repeatCount, UINT flags);

private:
    int BoxSize() const;
};

} // namespace OWL
