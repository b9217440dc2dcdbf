// Step 6: the parallel conductance Vp by the saline-bolus method. The user analyses bolus data, adds the
// Vp the analysed bolus yields to a list of boluses, picks one or several entries (several are averaged)
// and applies it. The list changes only through the document's commands, so that they are recorded like
// any other; the page writes just the selection, the Vp in use and the applied flag.
#pragma once

#include "dialogs/framework/StepDlgBase.h"
#include "document/models/ModelValues.h"
#include "foundation/system/GdiObjects.h"
#include "platform/atl/WindowImpl.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace Sistra
{

// A list with one column that always fills the list's width, without a horizontal scroll bar.
class FullWidthColumnList : public ATL::CWindowImpl<FullWidthColumnList>
{
public:
    BEGIN_MSG_MAP(FullWidthColumnList)
        MESSAGE_HANDLER(WM_SIZE, OnSize)
    END_MSG_MAP()

private:
    LRESULT OnSize(UINT msg, WPARAM wParam, LPARAM lParam, BOOL&);
};

// The mean Vp of the selected entries of the list; selected indices past its end do not count, and
// without any counted entry the blank marker.
double AverageParallelConductance(const std::vector<BolusEntry>& list, const IntSet& selected);

} // namespace Sistra

inline constexpr Sistra::StepImageButton SalineImageButtons[] = {
    {Sistra::StepControl::DetectorSettings, IDP_STEP_DETECTOR_SETTINGS},
    {IDC_SALINE_ANALYZE_NOW, IDP_STEP_ANALYSE_NOW},
};

class SalineStep : public Sistra::StepDlgBase<SalineStep, Sistra::StepId::SalineStep>
{
public:
    enum { IDD = IDD_STEP_SALINE };
    static constexpr Sistra::StepPageLayout Layout{Sistra::StepControl::SamplingLabel, false, SalineImageButtons, 2};

    explicit SalineStep(Sistra::SistraDocument* document) : StepDlgBase(document) {}

    void OnModelChanged(const Sistra::PropertyIdSet& changed) override;
    // What the last analysis would add: "Add" is offered only for a Vp found while the host is not sampling.
    void OnDocumentRefresh() override;

    BEGIN_DLGRESIZE_MAP(SalineStep)
        DLGRESIZE_CONTROL(Sistra::StepControl::FirstInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SALINE_LINE, WTL::DLSZ_SIZE_X)
        // Kept short of "Add", which moves with the right edge: a label reaching under the button painted
        // its background over it whenever its text changed.
        DLGRESIZE_CONTROL(IDC_SALINE_ANALYZED, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SALINE_LIST, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::SecondInstruction, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SALINE_APPLIED, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SALINE_BOTTOM_LINE, WTL::DLSZ_SIZE_X)
        DLGRESIZE_CONTROL(IDC_SALINE_ANALYZE_NOW, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(Sistra::StepControl::DetectorSettings, WTL::DLSZ_MOVE_X)
        DLGRESIZE_CONTROL(IDC_SALINE_ADD, WTL::DLSZ_MOVE_X)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(SalineStep)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_CONTEXTMENU, OnContextMenu)
        COMMAND_HANDLER(IDC_SALINE_ANALYZE_NOW, BN_CLICKED, OnAnalyzeNow)
        COMMAND_HANDLER(IDC_SALINE_ADD, BN_CLICKED, OnAddBolus)
        COMMAND_HANDLER(Sistra::StepControl::Apply, BN_CLICKED, OnApply)
        COMMAND_ID_HANDLER(ID_BOLUS_DELETE, OnDeleteBolus)
        COMMAND_ID_HANDLER(ID_BOLUS_EDIT, OnEditBolus)
        NOTIFY_HANDLER(IDC_SALINE_LIST, LVN_ITEMCHANGED, OnListItemChanged)
        NOTIFY_HANDLER(IDC_SALINE_LIST, LVN_GETDISPINFOW, OnListGetDispInfo)
        CHAIN_MSG_MAP(StepDlgBase)
    END_MSG_MAP()

private:
    LRESULT OnInitDialog(UINT msg, WPARAM wParam, LPARAM lParam, BOOL& handled);
    LRESULT OnContextMenu(UINT, WPARAM wParam, LPARAM lParam, BOOL&);
    LRESULT OnAnalyzeNow(WORD, WORD, HWND, BOOL&);
    LRESULT OnAddBolus(WORD, WORD, HWND, BOOL&);
    LRESULT OnApply(WORD, WORD, HWND, BOOL&);
    LRESULT OnDeleteBolus(WORD, WORD, HWND, BOOL&);
    // Opens the parallel conductance dialog on the focused entry; OK sends its new value.
    LRESULT OnEditBolus(WORD, WORD, HWND, BOOL&);
    // The selection in the list is the model's selection, and their mean the Vp in use.
    LRESULT OnListItemChanged(int, NMHDR*, BOOL&);
    LRESULT OnListGetDispInfo(int, NMHDR* header, BOOL&);

    HWND List() const { return ::GetDlgItem(m_hWnd, IDC_SALINE_LIST); }
    int FocusedItem() const;
    // The list's selection states as the model has them.
    void ShowSelection();
    Orv::PrefixedUnit VolumeUnit() const;

    Orv::UniqueGdiObject<HFONT> headingFont_;
    Sistra::FullWidthColumnList list_;
    // The rows' texts the list reads after asking for them.
    std::vector<std::wstring> rowTexts_;
    // Set while the page puts the model's selection into the list, which must not echo it back.
    bool showingModel_ = false;
};
