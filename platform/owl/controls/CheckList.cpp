#include "platform/owl/controls/CheckList.h"

#include "platform/owl/gdi/DC.h"

namespace OWL
{

namespace
{

constexpr DWORD CheckListStyle = LBS_OWNERDRAWFIXED | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER;
constexpr int BoxMargin = 2;

} // namespace

DEFINE_RESPONSE_TABLE1(TCheckList, TControl)
    EV_MESSAGE(WM_DRAWITEM, EvDrawItem),
    EV_MESSAGE(WM_MEASUREITEM, EvMeasureItem),
    EV_WM_LBUTTONDOWN,
    EV_WM_CHAR,
END_RESPONSE_TABLE;

TCheckList::TCheckList(TWindow* parent, int id, int x, int y, int w, int h, TModule* module)
    : TControl(parent, id, nullptr, x, y, w, h, module)
{
    Attr.Style |= CheckListStyle;
}

TCheckList::TCheckList(TWindow* parent, int resourceId, TModule* module) : TControl(parent, resourceId, module) {}

int TCheckList::AddItem(TCheckListItem* item)
{
    // Straight to the list box, which the list adds nothing to here: a list may take a hundred thousand
    // rows, and a message through the window's procedure looks its object up first, a call to the
    // window manager each time.
    const int index = static_cast<int>(DefWindowProc(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item)));
    return index < 0 ? -1 : index;
}

int TCheckList::InsertItem(TCheckListItem* item, int index)
{
    const int at = static_cast<int>(SendMessage(LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(item)));
    return at < 0 ? -1 : at;
}

bool TCheckList::DetachItem(int index)
{
    return SendMessage(LB_DELETESTRING, index) != LB_ERR;
}

TCheckListItem* TCheckList::GetItem(int index) const
{
    const LRESULT data = SendMessage(LB_GETITEMDATA, index);
    return data == LB_ERR ? nullptr : reinterpret_cast<TCheckListItem*>(data);
}

void TCheckList::Toggle(int index)
{
    TCheckListItem* item = GetItem(index);
    if (!item || !item->IsEnabled())
        return;
    item->Toggle();
    RECT rect{};
    if (SendMessage(LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&rect)) != LB_ERR)
        InvalidateRect(rect, false);
}

int TCheckList::BoxSize() const
{
    return static_cast<int>(SendMessage(LB_GETITEMHEIGHT, 0)) - 2 * BoxMargin;
}

LRESULT TCheckList::EvMeasureItem(WPARAM, LPARAM item)
{
    auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(item);
    const HFONT font = GetWindowFont();
    TScreenDC dc;
    SelectedObject selected(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    measure->itemHeight = static_cast<UINT>(dc.GetTextMetrics().tmHeight + 2);
    return TRUE;
}

LRESULT TCheckList::EvDrawItem(WPARAM, LPARAM item)
{
    const auto& draw = *reinterpret_cast<DRAWITEMSTRUCT*>(item);
    if (draw.itemID == static_cast<UINT>(-1))
        return TRUE;
    const auto* row = reinterpret_cast<const TCheckListItem*>(draw.itemData);
    TDC dc(draw.hDC);
    const TRect rect(draw.rcItem);
    const bool selected = (draw.itemState & ODS_SELECTED) != 0;
    dc.TextRect(rect, selected ? TColor::SysHighlight : TColor::SysWindow);
    const int box = rect.Height() - 2 * BoxMargin;
    const TRect boxRect(TPoint(rect.left + BoxMargin, rect.top + BoxMargin), TSize(box, box));
    UINT state = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (row && row->IsChecked())
        state |= DFCS_CHECKED;
    if (row && row->IsIndeterminate())
        state = DFCS_BUTTON3STATE | DFCS_CHECKED | DFCS_FLAT;
    if (row && !row->IsEnabled())
        state |= DFCS_INACTIVE;
    dc.DrawFrameControl(boxRect, DFC_BUTTON, state);
    if (row)
    {
        const int mode = dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(!row->IsEnabled() ? TColor::SysGrayText
                        : selected        ? TColor::SysHighlightText
                                          : TColor::SysWindowText);
        TRect text(boxRect.right + 2 * BoxMargin, rect.top, rect.right, rect.bottom);
        dc.DrawText(row->GetText(), text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        dc.SetBkMode(mode);
    }
    if (draw.itemState & ODS_FOCUS)
        dc.DrawFocusRect(rect);
    return TRUE;
}

void TCheckList::EvLButtonDown(UINT modKeys, const TPoint& point)
{
    const LRESULT hit = SendMessage(LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    if (HIWORD(hit) == 0 && point.x < BoxSize() + 2 * BoxMargin)
        Toggle(LOWORD(hit));
    TControl::EvLButtonDown(modKeys, point);
}

void TCheckList::EvChar(UINT key, UINT repeatCount, UINT flags)
{
    if (key == L' ')
    {
        Toggle(GetSelIndex());
        return;
    }
    TControl::EvChar(key, repeatCount, flags);
}

} // namespace OWL
