// OWL::TComboBox: a combo box with its list operations. Indexes are zero-based; -1 (CB_ERR) means none.
#pragma once

#include "platform/owl/controls/Control.h"

#include <string>

namespace OWL
{

class TComboBox : public TControl
{
public:
    TComboBox(TWindow* parent, int id, int x, int y, int w, int h, DWORD style = CBS_DROPDOWNLIST,
              UINT textLimit = 0, TModule* module = nullptr);
    TComboBox(TWindow* parent, int resourceId, UINT textLimit = 0, TModule* module = nullptr);

    const wchar_t* GetClassName() override { return L"COMBOBOX"; }
    void SetupWindow() override;

    int AddString(const wchar_t* text) { return static_cast<int>(SendMessage(CB_ADDSTRING, 0, Text(text))); }
    int InsertString(const wchar_t* text, int index)
    {
        return static_cast<int>(SendMessage(CB_INSERTSTRING, index, Text(text)));
    }
    int DeleteString(int index) { return static_cast<int>(SendMessage(CB_DELETESTRING, index)); }
    void ClearList() { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    int GetSelIndex() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetSelIndex(int index) { return static_cast<int>(SendMessage(CB_SETCURSEL, index)); }
    // Selects the first item that begins with the text, searching after index; its index or -1.
    int SetSelString(const wchar_t* text, int searchAfter = -1)
    {
        return static_cast<int>(SendMessage(CB_SELECTSTRING, searchAfter, Text(text)));
    }
    int FindString(const wchar_t* text, int searchAfter = -1) const
    {
        return static_cast<int>(SendMessage(CB_FINDSTRING, searchAfter, Text(text)));
    }
    int FindStringExact(const wchar_t* text, int searchAfter = -1) const
    {
        return static_cast<int>(SendMessage(CB_FINDSTRINGEXACT, searchAfter, Text(text)));
    }
    std::wstring GetString(int index) const;
    int GetStringLen(int index) const { return static_cast<int>(SendMessage(CB_GETLBTEXTLEN, index)); }
    LPARAM GetItemData(int index) const { return SendMessage(CB_GETITEMDATA, index); }
    int SetItemData(int index, LPARAM data) { return static_cast<int>(SendMessage(CB_SETITEMDATA, index, data)); }
    std::wstring GetText() const { return GetWindowText(); }
    void SetText(const wchar_t* text) { SetWindowText(text); }
    bool ShowList(bool show = true) { return SendMessage(CB_SHOWDROPDOWN, show) != 0; }

private:
    static LPARAM Text(const wchar_t* text) { return reinterpret_cast<LPARAM>(text ? text : L""); }

    UINT TextLimit;
};

} // namespace OWL
