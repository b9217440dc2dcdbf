// The workflow panel: a header band with its title and a close image, one collapsible pane per step of
// the workflow in force (each opening onto that step's page) in a scrolling column, and a bottom band
// with "Automatically tile views" and the help button. One pane is open at a time: the current step of
// the workflow-view model, which the rest of the module follows. A change of workflow rebuilds the panes;
// each pane's indicator follows its step model's readiness.
#pragma once

#include "views/base/SistraViewBase.h"

#include "controls/accordion/Accordion.h"
#include "controls/buttons/BmpTxtButton.h"
#include "document/models/workflow/Workflow.h"
#include "foundation/system/ShellDlgFont.h"
#include "hostframework/views/ContextualWindow.h"
#include "platform/owl/controls/Control.h"
#include "platform/owl/window/LayoutWindow.h"

#include <deque>
#include <memory>
#include <vector>

namespace Sistra
{

class WorkflowView final : public SistraViewBase, public ContextualWindowDecorated
{
public:
    enum ControlId : int
    {
        AutoTileId = 1,
        HelpId = 2,
        FirstPaneId = 113,
    };
    static constexpr int32_t WorkflowViewNumber = 9;
    static constexpr COLORREF BandColour = 0xF0F0F0;
    static constexpr COLORREF BandEdgeColour = 0xDFDFDF;
    // The gap around and between the panes, in pixels.
    static constexpr int PaneGap = 10;
    // The close image fades between its looks over this time.
    static constexpr DWORD CloseFadeMs = 80;

    // The scrolling column that holds the panes, between the two bands.
    class AccordionLayout final : public OWL::TLayoutWindow
    {
    public:
        explicit AccordionLayout(WorkflowView& view);

        DECLARE_RESPONSE_TABLE(AccordionLayout);

        LRESULT EvNotify(UINT id, NMHDR& info) override;

    protected:
        void EvSize(UINT sizeType, const OWL::TSize& size);
        void EvVScroll(UINT code, UINT position, HWND bar);

    private:
        WorkflowView& view_;
    };

    WorkflowView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view, IUnknown* document,
                 OWL::TModule* module, IDocView2* hostView);
    ~WorkflowView() override;

    DECLARE_RESPONSE_TABLE(WorkflowView);

    const wchar_t* GetClassName() override { return L"SistraWorkflowView"; }
    void GetCopyCommandText(Orv::String& text) override { text = Orv::String(); }
    void GetPrintCommandText(Orv::String& text) override { text = Orv::String(); }
    // The panel has nothing to copy or print: the host's commands stay off for it.
    bool CanCopy() override { return false; }
    bool CanPrint() override { return false; }
    void DataChanged(uint32_t) override {}

    LRESULT EvNotify(UINT id, NMHDR& info) override;

    // What the user and the tests reach.
    size_t PaneCount() const { return panes_.size(); }
    OrvControls::Accordion& Pane(size_t index) { return *panes_[index]; }
    AccordionLayout& Layout() { return *layout_; }
    // The height of the header and of the bottom band.
    int BandHeight() const;
    OWL::TRect CloseImageRect() const;
    bool IsCloseImageHot() const { return hot_; }
    void OnAutoTileClicked();
    void OnHelp();
    void ScrollPanes(UINT request);

protected:
    void SetupWindow() override;
    void GetWindowClass(WNDCLASSEXW& windowClass) override;
    void Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect) override;
    void EvSize(UINT sizeType, const OWL::TSize& size);
    // Wide enough for the widest page opened so far between the left gap and the column's scroll bar.
    void EvGetMinMaxInfo(MINMAXINFO& limits);
    void EvMouseMove(UINT modKeys, const OWL::TPoint& point);
    void EvMouseLeave();
    void EvLButtonDown(UINT modKeys, const OWL::TPoint& point);
    void EvLButtonUp(UINT modKeys, const OWL::TPoint& point);
    void EvDestroy();
    void EvNCDestroy();
    HBRUSH EvCtlColor(HDC dc, HWND child, UINT controlType);

private:
    enum class Keep
    {
        None,
        First,
    };

    void MakeFonts();
    void PlaceChildren(const OWL::TSize& size);
    void BuildPanes();
    void DestroyPanes(Keep keep);
    void OnPaneExpanding(const NMHDR& header, HWND& content);
    void OnModelChanged(const ModelChangedRecord* record);
    void FollowReadiness();
    void UpdateScrollRange();
    void RelayoutPanes();
    // The step of pane index in the workflow in force; null past its steps.
    const WorkflowStep* StepOfPane(size_t index);
    int32_t CurrentStep() const;
    void PaintCloseImage(HDC dc, bool hot);
    void AnimateCloseImage(HDC dc);
    void InvalidateCloseImage();

    std::deque<std::unique_ptr<OrvControls::Accordion>> panes_;
    // OWL aliases of the panes' windows, through which the layout places them.
    std::vector<std::unique_ptr<OWL::TWindow>> paneWindows_;
    Orv::UniqueFont normalFont_;
    Orv::UniqueFont boldFont_;
    bool lastPaintedHot_ = false;
    bool hot_ = false;
    OWL::TCheckBox* autoTile_;
    OrvControls::TBmpTxtButton* help_;
    AccordionLayout* layout_;
    bool buffered_ = false;
    // The widest least width of the pages opened; the panel keeps room for it when they close.
    int widestPage_ = 0;

    VYR_DECLARE_EVENT_MAP()
};

} // namespace Sistra
