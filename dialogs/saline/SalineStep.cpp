#include "dialogs/saline/SalineStep.h"

#include "calc/numerics/NumericHelpers.h"
#include "controls/theme/UxTheme.h"
#include "dialogs/framework/DocumentCommand.h"
#include "dialogs/helpers/ControlBalloons.h"
#include "dialogs/helpers/NumberFields.h"
#include "dialogs/helpers/UnitChoices.h"
#include "dialogs/saline/EditBolusDlg.h"
#include "foundation/com/XOrv.h"
#include "foundation/system/RaisedFlag.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "hostframework/services/HostMessageBox.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

using namespace Sistra;

namespace
{

const StepDlgClassObj<SalineStep> factory;

constexpr DWORD ListExtendedStyles = LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;

// "EditParallelConductanceInList": the 1-based row, then the new Vp in the volume channel's display unit.
struct RowValuePayload
{
    ULONG typeWord = 2 | 3 << 4;
    LONG row = 0;
    double value = 0.0;
};
static_assert(sizeof(RowValuePayload) == 16 && offsetof(RowValuePayload, value) == 8,
              "the values follow the type word without gaps");

// A volume as the page shows it: in the volume channel's unit, followed by the unit's text.
Orv::String VolumeText(UINT format, double stored, const Orv::PrefixedUnit& unit)
{
    Orv::OFormatStringStream text(format);
    text << FormatNumber(unit.FromBaseValue(stored)) << unit.GetText();
    return text.Str();
}

} // namespace

namespace Sistra
{

LRESULT FullWidthColumnList::OnSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&)
{
    const LRESULT result = DefWindowProc(msg, wParam, lParam);
    RECT client{};
    GetClientRect(&client);
    ListView_SetColumnWidth(m_hWnd, 0, client.right - client.left);
    ::ShowScrollBar(m_hWnd, SB_HORZ, FALSE);
    return result;
}

double AverageParallelConductance(const std::vector<BolusEntry>& list, const IntSet& selected)
{
    double sum = 0.0;
    int counted = 0;
    for (const int32_t index : selected)
        if (index >= 0 && static_cast<size_t>(index) < list.size())
        {
            sum += list[static_cast<size_t>(index)].value;
            ++counted;
        }
    return counted ? sum / counted : BlankMarker();
}

} // namespace Sistra

LRESULT SalineStep::OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    HWND heading = ::GetDlgItem(m_hWnd, IDC_SALINE_HEADING);
    headingFont_.Reset(MakeHeadingFont(heading));
    ::SendMessageW(heading, WM_SETFONT, reinterpret_cast<WPARAM>(headingFont_.Get()), TRUE);
    AlignSeparator(m_hWnd, IDC_SALINE_LINE);
    AlignSeparator(m_hWnd, IDC_SALINE_BOTTOM_LINE);

    HWND list = List();
    list_.SubclassWindow(list);
    try
    {
        OrvLinkingUtils::UxThemeDLL::Instance().Call<HRESULT>("SetWindowTheme", list, L"Explorer",
                                                                static_cast<const wchar_t*>(nullptr));
    }
    catch (const XOrv&)
    {
        // Without visual styles the list keeps its classic look.
    }
    ListView_SetExtendedListViewStyleEx(list, ListExtendedStyles, ListExtendedStyles);
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    ListView_InsertColumn(list, 0, &column);
    // The column fills the list from the start, not only once the list is resized.
    RECT client{};
    ::GetClientRect(list, &client);
    ListView_SetColumnWidth(list, 0, client.right - client.left);
    return StepDlgBase::OnInitDialog(msg, wParam, lParam, handled);
}

Orv::PrefixedUnit SalineStep::VolumeUnit() const
{
    return GetDocument() ? GetVolumeUnit(*GetDocument(), true) : Orv::PrefixedUnit();
}

int SalineStep::FocusedItem() const
{
    return ListView_GetNextItem(List(), -1, LVNI_FOCUSED);
}

void SalineStep::OnModelChanged(const PropertyIdSet& changed)
{
    const ModelPtr& model = GetModel();
    if (!m_hWnd || !model)
        return;
    if (changed.Test(PropertyId::SalineCalibrationApplied))
        CheckDlgButton(m_hWnd, StepControl::Apply,
                       model->GetValue<PropertyType::Bool>(PropertyId::SalineCalibrationApplied) ? BST_CHECKED
                                                                                                  : BST_UNCHECKED);
    if (changed.Test(PropertyId::ParallelConductance))
    {
        const double vp = model->GetValue<PropertyType::Double>(PropertyId::ParallelConductance);
        SetDlgItemTextW(m_hWnd, IDC_SALINE_APPLIED,
                        std::isnan(vp) ? L"" : VolumeText(IDS_SALINE_APPLIED, vp, VolumeUnit()).c_str());
    }
    const Orv::RaisedFlag showing(showingModel_);
    if (changed.Test(PropertyId::BolusList))
    {
        ListView_SetItemCountEx(List(), static_cast<int>(model->GetBolusList().size()), 0);
        // An edited entry keeps the row count; its row must be drawn again all the same.
        ::InvalidateRect(List(), nullptr, TRUE);
    }
    if (changed.Test(PropertyId::BolusList) || changed.Test(PropertyId::SelectedBoluses))
        ShowSelection();
}

void SalineStep::ShowSelection()
{
    HWND list = List();
    const IntSet selected = GetModel()->GetSelectedBoluses();
    const auto count = static_cast<int>(GetModel()->GetBolusList().size());
    for (int item = 0; item < count; ++item)
    {
        const UINT wanted = selected.count(item) ? LVIS_SELECTED : 0;
        if ((ListView_GetItemState(list, item, LVIS_SELECTED) & LVIS_SELECTED) != wanted)
            ListView_SetItemState(list, item, wanted, LVIS_SELECTED);
    }
}

void SalineStep::OnDocumentRefresh()
{
    if (!m_hWnd || !GetDocument())
        return;
    const SalineIntersection meeting =
        IsHostSampling() ? SalineIntersection{} : GetDocument()->Data().IntersectSalineLine();
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_SALINE_ADD), meeting.HasVp());
    const Orv::String analysed =
        meeting.HasVp()       ? VolumeText(IDS_SALINE_ANALYZED, meeting.vp, VolumeUnit())
        : meeting.VpBelowZero() ? VolumeText(IDS_SALINE_VP_BELOW_ZERO, meeting.vp, VolumeUnit())
                                : Orv::String(Orv::ThisModule(), IDS_SALINE_NOTHING_TO_ADD, true);
    SetDlgItemTextW(m_hWnd, IDC_SALINE_ANALYZED, analysed.c_str());
}

LRESULT SalineStep::OnListItemChanged(int, NMHDR*, BOOL&)
{
    const ModelPtr& model = GetModel();
    if (showingModel_ || !model)
        return 0;
    HWND list = List();
    IntSet selected;
    const int count = ListView_GetItemCount(list);
    for (int item = 0; item < count; ++item)
        if (ListView_GetItemState(list, item, LVIS_SELECTED) & LVIS_SELECTED)
            selected.insert(item);
    model->SetSelectedBoluses(selected);
    model->SetParallelConductance(AverageParallelConductance(model->GetBolusList(), selected));
    CommitModel();
    return 0;
}

LRESULT SalineStep::OnListGetDispInfo(int, NMHDR* header, BOOL&)
{
    const ModelPtr& model = GetModel();
    LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(header)->item;
    if (!model || item.iItem < 0)
        return 0;
    if (item.mask & LVIF_STATE)
    {
        item.state = model->GetSelectedBoluses().count(item.iItem) ? LVIS_SELECTED : 0;
        item.stateMask = LVIS_SELECTED;
    }
    const std::vector<BolusEntry> boluses = model->GetBolusList();
    const auto row = static_cast<size_t>(item.iItem);
    if ((item.mask & LVIF_TEXT) && item.iSubItem == 0 && row < boluses.size())
    {
        rowTexts_.resize(row + 1);
        rowTexts_[row] = VolumeText(IDS_SALINE_ROW, boluses[row].value, VolumeUnit()).c_str();
        item.pszText = rowTexts_[row].data();
    }
    return 0;
}

LRESULT SalineStep::OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL& handled)
{
    HWND list = List();
    if (reinterpret_cast<HWND>(wParam) != list)
    {
        handled = FALSE;
        return 0;
    }
    POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    // From the keyboard: at the focused entry's centre, and no menu without one.
    if (point.x == -1 && point.y == -1)
    {
        const int focused = FocusedItem();
        RECT bounds{};
        if (focused < 0 || !ListView_GetItemRect(list, focused, &bounds, LVIR_BOUNDS))
            return 0;
        point = {(bounds.left + bounds.right) / 2, (bounds.top + bounds.bottom) / 2};
        ::ClientToScreen(list, &point);
    }
    LVHITTESTINFO hit{};
    hit.pt = point;
    ::ScreenToClient(list, &hit.pt);
    const int item = ListView_HitTest(list, &hit);
    if (item >= 0)
        ListView_SetItemState(list, item, LVIS_FOCUSED, LVIS_FOCUSED);
    if (!MonitorFromPoint(point, MONITOR_DEFAULTTONULL))
    {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), &monitor);
        point.x = std::clamp(point.x, monitor.rcWork.left, monitor.rcWork.right - 1);
    }
    if (HMENU menu = LoadMenuW(Orv::ThisModule(), MAKEINTRESOURCEW(IDM_BOLUS_LIST)))
    {
        TrackPopupMenu(GetSubMenu(menu, 0), TPM_RIGHTBUTTON, point.x, point.y, 0, m_hWnd, nullptr);
        DestroyMenu(menu);
    }
    return 0;
}

LRESULT SalineStep::OnAnalyzeNow(WORD, WORD, HWND, BOOL&)
{
    if (GetDocument())
        SendDocumentCommand(*GetDocument(), AutomationMessage::AnalyzeSistraNow);
    return 0;
}

LRESULT SalineStep::OnAddBolus(WORD, WORD, HWND, BOOL&)
{
    if (!GetDocument())
        return 0;
    if (GetDocument()->ParallelConductanceAwaitsVolume())
        ShowControlBalloonFromStrings(GetDlgItem(IDC_SALINE_ADD), IDS_SALINE_NOT_VOLUME_TITLE, IDS_SALINE_NOT_VOLUME);
    else
        SendDocumentCommand(*GetDocument(), AutomationMessage::AddAnalyzedParallelConductance);
    return 0;
}

LRESULT SalineStep::OnApply(WORD, WORD, HWND, BOOL&)
{
    OnApplyClicked(PropertyId::SalineCalibrationApplied);
    return 0;
}

LRESULT SalineStep::OnDeleteBolus(WORD, WORD, HWND, BOOL&)
{
    const int focused = FocusedItem();
    if (focused >= 0 && GetDocument())
        SendDocumentCommand(*GetDocument(), AutomationMessage::RemoveParallelConductanceFromList,
                            OneLongPayload{.value = focused + 1});
    return 0;
}

LRESULT SalineStep::OnEditBolus(WORD, WORD, HWND, BOOL&)
{
    const int focused = FocusedItem();
    if (!GetModel() || !GetDocument() || focused < 0)
        return 0;
    const std::vector<BolusEntry> boluses = GetModel()->GetBolusList();
    if (static_cast<size_t>(focused) >= boluses.size())
        return 0;
    double value = boluses[static_cast<size_t>(focused)].value;
    const Orv::PrefixedUnit unit = VolumeUnit();
    HWND owner = ::GetActiveWindow();
    const int closed = RunModuleDialogOnState(L"EditParallelConductance", owner, value, [&] {
        EditBolusDlg dialog(&value, UnitInfo{unit.Name(), unit.Prefix()});
        return static_cast<int>(dialog.DoModal(owner));
    });
    if (closed == IDOK)
        SendDocumentCommand(*GetDocument(), AutomationMessage::EditParallelConductanceInList,
                            RowValuePayload{.row = focused + 1, .value = unit.FromBaseValue(value)});
    return 0;
}
