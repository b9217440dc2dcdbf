// What every page of the guided workflow shares: a modeless dialog shown in one pane of the workflow
// panel's accordion, linked to its step's model, with the common controls (instruction texts,
// from-selection buttons, the detector-settings button, the sampling button and its label, unit labels),
// the white look, resizing by the page's map, and its dialog keys and idle work in the host's loop.
//
// A page T of step N derives from StepDlgBase<T, N>, names its template (IDD), chains its message map to
// the base's and overrides the handler operations it needs. Its static Layout says which of the shared
// roles it fills differently from the defaults.
#pragma once

#include "dialogs/framework/StepFactory.h"
#include "dialogs/framework/StepModelHandler.h"
#include "dialogs/framework/StepPageParts.h"
#include "dialogs/framework/WhiteDialog.h"
#include "document/core/SistraDocument.h"
#include "platform/atl/DialogImpl.h"
#include "platform/atl/DialogResize.h"
#include "platform/atl/MessageLoop.h"

namespace Sistra
{

template <class T, int N>
class StepDlgBase : public ATL::CDialogImpl<T>,
                    public WTL::CMessageFilter,
                    public WTL::CIdleHandler,
                    public StepDlgModelHandler,
                    public WTL::CDialogResize<T>,
                    public Orv::WhiteDlg<T>
{
public:
    static constexpr int StepNumber = N;
    // The roles a page fills as most pages do; a page declares its own Layout to differ.
    static constexpr StepPageLayout Layout{};

    explicit StepDlgBase(SistraDocument* document)
        : StepDlgModelHandler(document, document ? document->GetModel(ModelKindOfStep(N)) : ModelPtr())
    {
    }

    // The accordion pane shows the page's problem and readiness.
    void ShowPaneProblem(const Orv::String& title, const Orv::String& text) override
    {
        parts_.SendToPane(Handle(), PaneProblemMessage, reinterpret_cast<WPARAM>(title.c_str()),
                          reinterpret_cast<LPARAM>(text.c_str()));
    }
    void ClearPaneProblem() override { parts_.SendToPane(Handle(), PaneProblemMessage, 0, 0); }
    void SetPaneReady(bool ready) override { parts_.SendToPane(Handle(), PaneReadyMessage, ready ? 1 : 0, 0); }

    BOOL PreTranslateMessage(MSG* msg) override { return IsDialogMessageW(Handle(), msg); }
    // The detector settings cannot be opened while the host samples.
    BOOL OnIdle() override
    {
        ::EnableWindow(::GetDlgItem(Handle(), StepControl::DetectorSettings), !IsHostSampling());
        return FALSE;
    }

    // Asks the document, through its automation message, to open the settings dialog.
    void OpenSettings() { parts_.OpenSettings(GetDocument()); }
    void UpdateSamplingLabel() { parts_.UpdateSamplingLabel(Handle(), T::Layout, IsHostSampling()); }
    void OnApplyClicked(int appliedProperty)
    {
        if (GetModel())
            ApplyCheckBoxClicked(Handle(), *GetModel(), appliedProperty);
    }

    // A page without its own map keeps its controls where they are.
    BEGIN_DLGRESIZE_MAP(StepDlgBase)
    END_DLGRESIZE_MAP()

    BEGIN_MSG_MAP(StepDlgBase)
        MESSAGE_HANDLER(WM_INITDIALOG, OnInitDialog)
        MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
        COMMAND_HANDLER(StepControl::DetectorSettings, BN_CLICKED, OnSettingsClicked)
        CHAIN_MSG_MAP(WTL::CDialogResize<T>)
        CHAIN_MSG_MAP(Orv::WhiteDlg<T>)
    END_MSG_MAP()

protected:
    HWND Handle() const { return static_cast<const T*>(this)->m_hWnd; }
    bool IsHostSampling() const { return GetDocument() && GetDocument()->IsSampling(); }
    StepPageParts& Parts() { return parts_; }

    // The page is deleted with its window.
    void OnFinalMessage(HWND) override { delete static_cast<T*>(this); }

    LRESULT OnInitDialog(UINT, WPARAM, LPARAM, BOOL&)
    {
        RefreshFromModel();
        parts_.SetUp(Handle(), T::Layout, GetDocument(), [this] { UpdateSamplingLabel(); });
        UpdateSamplingLabel();
        parts_.ShowUnitLabels(Handle(), T::Layout, GetDocument());
        parts_.Hook(this, this);
        // The page's controls lie whole at the size its template gives it: it names that as its least, so
        // that the panel is never narrower.
        this->DlgResize_Init(false, true);
        return TRUE;
    }

    // A change left invalid ends without a notification; committed values stay.
    LRESULT OnDestroy(UINT, WPARAM, LPARAM, BOOL& handled)
    {
        if (GetModel() && GetModel()->Validate().HasProblem())
            GetModel()->DiscardChanges();
        parts_.Unhook();
        handled = FALSE;
        return 0;
    }

    LRESULT OnSettingsClicked(WORD, WORD, HWND, BOOL&)
    {
        OpenSettings();
        return 0;
    }

private:
    // Every control shows the model's values before the page is seen, and nothing is committed meanwhile.
    void RefreshFromModel()
    {
        if (!GetModel())
            return;
        GetModel()->SetSuppressCommit(true);
        OnModelChanged(GetModel()->GetPropertyIds());
        OnDocumentRefresh();
        GetModel()->SetSuppressCommit(false);
    }

    StepPageParts parts_;
};

} // namespace Sistra
