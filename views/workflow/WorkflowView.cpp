#include "views/workflow/WorkflowView.h"

#include "hostapi/ModelMessages.h"
#include "controls/theme/UxTheme.h"
#include "controls/windows/GdiPlusBitmaps.h"
#include "dialogs/framework/StepFactory.h"
#include "document/core/SistraDocument.h"
#include "document/models/workflow/Workflow.h"
#include "foundation/system/SystemInfo.h"
#include "foundation/text/StringResources.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/services/HostHelp.h"
#include "hostframework/services/HostServices.h"
#include "platform/owl/gdi/DC.h"
#include "resources/ResourceIds.h"

#include <gdiplus.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace Sistra
{

namespace
{

constexpr int TitleInset = 10;
constexpr int CloseInset = 10;
constexpr int CheckBoxLeft = 10;
constexpr int HelpFromRight = 39;
constexpr int HelpWidth = 30;
constexpr int HelpHeight = 23;
// The bands are two and a half lines of the bold font high; a pane's header two lines.
constexpr double BandLines = 2.5;
constexpr double PaneHeaderLines = 2.0;

// The close image's two looks, loaded once and kept for the process.
Gdiplus::Bitmap* CloseImage(bool hot)
{
    static const std::unique_ptr<Gdiplus::Bitmap> normal = LoadPngAsPargbBitmap(IDP_WORKFLOW_CLOSE);
    static const std::unique_ptr<Gdiplus::Bitmap> highlighted = LoadPngAsPargbBitmap(IDP_WORKFLOW_CLOSE_HOT);
    return hot ? highlighted.get() : normal.get();
}

SIZE CloseImageSize()
{
    static const SIZE size = []
    {
        Gdiplus::Bitmap* image = CloseImage(false);
        return image ? SIZE{static_cast<LONG>(image->GetWidth()), static_cast<LONG>(image->GetHeight())}
                     : SIZE{};
    }();
    return size;
}

int LineHeight(HFONT font)
{
    const OWL::TScreenDC screen;
    const OWL::SelectedObject selected(screen.GetHDC(),
                                       font ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(screen.GetHDC(), &metrics);
    return metrics.tmHeight;
}

void FillWithColour(HDC dc, const RECT& rect, COLORREF colour)
{
    const COLORREF old = ::SetDCBrushColor(dc, colour);
    ::FillRect(dc, &rect, static_cast<HBRUSH>(::GetStockObject(DC_BRUSH)));
    ::SetDCBrushColor(dc, old);
}

} // namespace

DEFINE_RESPONSE_TABLE1(WorkflowView::AccordionLayout, OWL::TLayoutWindow)
EV_WM_SIZE, EV_WM_VSCROLL, END_RESPONSE_TABLE;

WorkflowView::AccordionLayout::AccordionLayout(WorkflowView& view) : OWL::TLayoutWindow(&view), view_(view)
{
    Attr.Style |= WS_VSCROLL | WS_CLIPCHILDREN;
    SetBkgndColor(OWL::TColor(::GetSysColor(COLOR_WINDOW)));
}

void WorkflowView::AccordionLayout::EvSize(UINT sizeType, const OWL::TSize&)
{
    view_.UpdateScrollRange();
    view_.RelayoutPanes();
    OWL::TLayoutWindow::EvSize(sizeType, GetClientRect().Size());
}

void WorkflowView::AccordionLayout::EvVScroll(UINT code, UINT, HWND)
{
    view_.ScrollPanes(code);
}

// The panes are the layout's children: what they tell goes to the view.
LRESULT WorkflowView::AccordionLayout::EvNotify(UINT id, NMHDR& info)
{
    return view_.EvNotify(id, info);
}

DEFINE_RESPONSE_TABLE1(WorkflowView, SistraViewBase)
EV_WM_MOUSEMOVE, EV_WM_MOUSELEAVE, EV_WM_LBUTTONDOWN, EV_WM_LBUTTONUP, EV_WM_DESTROY, EV_WM_NCDESTROY,
    EV_WM_SIZE, EV_WM_GETMINMAXINFO, EV_WM_CTLCOLORBTN, EV_WM_CTLCOLORSTATIC,
    EV_BN_CLICKED(WorkflowView::AutoTileId, OnAutoTileClicked),
    EV_BN_CLICKED(WorkflowView::HelpId, OnHelp), END_RESPONSE_TABLE;

VYR_DEFINE_EVENT_MAP(WorkflowView, SistraViewBase){
    VyrEventMap::Header(),
    VyrEventMap::Observer(
        &MsgIdClass<&SistraDocumentGUID, DocumentNotification::ModelPropertiesChanged>::GetId,
        &DispatchObserverEvent<WorkflowView, const ModelChangedRecord, &WorkflowView::OnModelChanged>),
    VyrEventMap::End(),
};

namespace
{
// The host object of the document's frame, which the panel's window answers the host with; not
// counted, the frame keeps it.
IUnknown* FrameHostObject(IUnknown* document)
{
    Orv::ComPtr<IVyrDocumentFrame> frame;
    Orv::ComPtr<IUnknown> object;
    if (!document || FAILED(document->QueryInterface(IID_IVyrDocumentFrame, frame.PutVoid())) || !frame ||
        FAILED(frame->GetHostObject(object.Put())))
        return nullptr;
    return object.Get();
}
} // namespace

WorkflowView::WorkflowView(OWL::TWindow* parent, IDocViewClass* viewClass, IDocView2* view,
                           IUnknown* document, OWL::TModule* module, IDocView2* hostView)
    : SistraViewBase(ViewCreation{parent, viewClass, view, document, module, hostView},
                     Orv::LoadedText(IDS_VIEW_WORKFLOW), WorkflowViewNumber, ModelKind::WorkflowView),
      autoTile_(new OWL::TCheckBox(this, AutoTileId, Orv::LoadedText(IDS_WORKFLOW_AUTO_TILE).c_str(), 0, 0, 0,
                                   0, module)),
      help_(new OrvControls::TBmpTxtButton(this, HelpId, L"", 0, 0, 0, 0, Orv::String(), false, module)),
      layout_(new AccordionLayout(*this))
{
    SetDecorationContext(FrameHostObject(document));
    Attr.ExStyle |= WS_EX_CONTROLPARENT;
    // The panel fills its whole client area itself: no size grip over the help button.
    SetDrawSizeGrip(false);
    SetSizeGripHitTest(false);
}

WorkflowView::~WorkflowView()
{
    DestroyPanes(Keep::None);
}

void WorkflowView::GetWindowClass(WNDCLASSEXW& windowClass)
{
    SistraViewBase::GetWindowClass(windowClass);
    windowClass.hbrBackground = nullptr;
}

void WorkflowView::SetupWindow()
{
    if (Document())
        Observe(static_cast<ISubject*>(Document()->GetModel(ModelKind::WorkflowSetup).get()));
    SistraViewBase::SetupWindow();
    buffered_ = Orv::IsVistaOrLater();
    if (buffered_)
        OrvLinkingUtils::UxThemeDLL::Instance().Call<HRESULT>("BufferedPaintInit");
    MakeFonts();
    autoTile_->SetWindowFont(normalFont_.Get(), false);
    const ModelPtr& model = ViewModel();
    autoTile_->SetCheck(model && model->GetValue<PropertyType::Bool>(PropertyId::AutoTileViews)
                            ? BST_CHECKED
                            : BST_UNCHECKED);
    help_->SetBitmap(IDB_VIEW_HELP);
    help_->SetHelpText(Orv::LoadedText(IDS_WORKFLOW_HELP));
    // The first size came before the fonts and the children.
    PlaceChildren(GetClientRect().Size());
    OWL::TPoint cursor;
    ::GetCursorPos(&cursor);
    ScreenToClient(cursor);
    hot_ = CloseImageRect().Contains(cursor);
    BuildPanes();
    if (model)
    {
        const ModelChangedRecord record{static_cast<ISubject*>(model.get()), model->GetPropertyIds().Words()};
        OnModelChanged(&record);
    }
    Decorate(GetHandle());
}

void WorkflowView::MakeFonts()
{
    NONCLIENTMETRICSW metrics{};
    // The structure grew by its last field with Windows 6; older systems refuse the larger size.
    metrics.cbSize =
        Orv::IsVistaOrLater() ? sizeof(metrics) : offsetof(NONCLIENTMETRICSW, iPaddedBorderWidth);
    ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
    normalFont_ = Orv::UniqueFont(::CreateFontIndirectW(&metrics.lfMessageFont));
    metrics.lfMessageFont.lfWeight = FW_BOLD;
    boldFont_ = Orv::UniqueFont(::CreateFontIndirectW(&metrics.lfMessageFont));
}

int WorkflowView::BandHeight() const
{
    return static_cast<int>(std::lround(BandLines * LineHeight(boldFont_.Get())));
}

OWL::TRect WorkflowView::CloseImageRect() const
{
    const SIZE image = CloseImageSize();
    const int right = GetClientRect().Width() - CloseInset;
    const int top = (BandHeight() - image.cy) / 2;
    return OWL::TRect(right - image.cx, top, right, top + image.cy);
}

void WorkflowView::EvSize(UINT sizeType, const OWL::TSize& size)
{
    SistraViewBase::EvSize(sizeType, size);
    PlaceChildren(size);
}

void WorkflowView::EvGetMinMaxInfo(MINMAXINFO& limits)
{
    if (widestPage_ > 0)
        limits.ptMinTrackSize.x = widestPage_ + PaneGap + ::GetSystemMetrics(SM_CXVSCROLL);
}

void WorkflowView::PlaceChildren(const OWL::TSize& size)
{
    if (!boldFont_.Get())
        return;
    const int w = size.cx, h = size.cy, band = BandHeight();
    constexpr UINT Placing = SWP_NOZORDER | SWP_NOACTIVATE;
    const int helpLeft = w - HelpFromRight;
    help_->SetWindowPos(nullptr,
                        OWL::TRect(helpLeft, h - band + (band - HelpHeight) / 2, helpLeft + HelpWidth,
                                   h - band + (band - HelpHeight) / 2 + HelpHeight),
                        Placing);
    autoTile_->SetWindowPos(nullptr, OWL::TRect(CheckBoxLeft, h - band + 1, helpLeft - 1, h - 1), Placing);
    layout_->SetWindowPos(nullptr, OWL::TRect(0, band, w, std::max(band, h - band)), Placing);
    Invalidate(true);
    UpdateWindow();
}

void WorkflowView::Paint(OWL::TDC& dc, bool, OWL::TRect&)
{
    if (buffered_ && OrvLinkingUtils::UxThemeDLL::Instance().Call<BOOL>("BufferedPaintRenderAnimation",
                                                                        GetHandle(), dc.GetHDC()))
        return;
    const OWL::TRect client = GetClientRect();
    const int band = BandHeight();
    const Orv::String& title = Orv::LoadedText(IDS_VIEW_WORKFLOW);
    const OWL::SelectedObject font(dc.GetHDC(), boldFont_.Get());
    RECT titleRect{0, 0, 0, 0};
    ::DrawTextW(dc, title.c_str(), -1, &titleRect, DT_SINGLELINE | DT_CALCRECT);
    ::OffsetRect(&titleRect, TitleInset, (band - titleRect.bottom) / 2);
    const OWL::TRect close = CloseImageRect();

    const int saved = ::SaveDC(dc);
    ::ExcludeClipRect(dc, titleRect.left, titleRect.top, titleRect.right, titleRect.bottom);
    ::ExcludeClipRect(dc, close.left, close.top, close.right, close.bottom);
    const RECT header{0, 0, client.right, band};
    const RECT bottom{0, client.bottom - band, client.right, client.bottom};
    FillWithColour(dc, header, BandColour);
    FillWithColour(dc, bottom, BandColour);
    FillWithColour(dc, RECT{0, band - 1, client.right, band}, BandEdgeColour);
    FillWithColour(dc, RECT{0, client.bottom - band, client.right, client.bottom - band + 1}, BandEdgeColour);
    ::RestoreDC(dc, saved);

    ::SetBkColor(dc, BandColour);
    ::SetBkMode(dc, OPAQUE);
    ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
    ::DrawTextW(dc, title.c_str(), -1, &titleRect, DT_SINGLELINE);
    if (buffered_)
        AnimateCloseImage(dc);
    else
    {
        PaintCloseImage(dc, hot_);
        lastPaintedHot_ = hot_;
    }
}

void WorkflowView::PaintCloseImage(HDC dc, bool hot)
{
    const OWL::TRect rect = CloseImageRect();
    FillWithColour(dc, rect, BandColour);
    if (Gdiplus::Bitmap* image = CloseImage(hot))
    {
        Gdiplus::Graphics graphics(dc);
        graphics.DrawImage(image, static_cast<INT>(rect.left), static_cast<INT>(rect.top), rect.Width(),
                           rect.Height());
    }
}

void WorkflowView::AnimateCloseImage(HDC dc)
{
    const DWORD duration = hot_ != lastPaintedHot_ ? CloseFadeMs : 0;
    const bool was = lastPaintedHot_, is = hot_;
    // Without an animation the image takes its new look at once, or it would keep the old one until
    // something else repaints the band.
    if (!OrvLinkingUtils::PaintBufferedTransition(
            GetHandle(), dc, CloseImageRect(), duration, [&](HDC from) { PaintCloseImage(from, was); },
            [&](HDC to) { PaintCloseImage(to, is); }))
        PaintCloseImage(dc, is);
    lastPaintedHot_ = hot_;
}

HBRUSH WorkflowView::EvCtlColor(HDC dc, HWND, UINT)
{
    // The check box sits on the band.
    ::SetDCBrushColor(dc, BandColour);
    ::SetBkColor(dc, BandColour);
    return static_cast<HBRUSH>(::GetStockObject(DC_BRUSH));
}

void WorkflowView::InvalidateCloseImage()
{
    InvalidateRect(CloseImageRect(), false);
}

void WorkflowView::EvMouseMove(UINT, const OWL::TPoint& point)
{
    hot_ = CloseImageRect().Contains(point);
    if (hot_ != lastPaintedHot_)
        InvalidateCloseImage();
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, GetHandle(), 0};
    ::TrackMouseEvent(&track);
}

void WorkflowView::EvMouseLeave()
{
    hot_ = false;
    if (lastPaintedHot_)
        InvalidateCloseImage();
}

void WorkflowView::EvLButtonDown(UINT, const OWL::TPoint& point)
{
    if (CloseImageRect().Contains(point))
        SetCapture();
}

void WorkflowView::EvLButtonUp(UINT, const OWL::TPoint& point)
{
    const bool close = ::GetCapture() == GetHandle() && CloseImageRect().Contains(point);
    ::ReleaseCapture();
    if (close)
        ::SendMessageW(::GetParent(GetHandle()), WM_CLOSE, 0, 0);
}

void WorkflowView::EvDestroy()
{
    DestroyPanes(Keep::None);
    SistraViewBase::EvDestroy();
}

void WorkflowView::EvNCDestroy()
{
    if (buffered_)
        OrvLinkingUtils::UxThemeDLL::Instance().Call<HRESULT>("BufferedPaintUnInit");
    buffered_ = false;
    SistraViewBase::EvNCDestroy();
}

void WorkflowView::OnAutoTileClicked()
{
    const ModelPtr& model = ViewModel();
    if (!model || model->IsLocked(PropertyId::AutoTileViews))
        return;
    const bool ticked = autoTile_->GetCheck() == BST_CHECKED;
    if (model->GetValue<PropertyType::Bool>(PropertyId::AutoTileViews) != ticked)
        model->SetValue<PropertyType::Bool>(PropertyId::AutoTileViews, ticked);
    model->CommitChanges();
}

void WorkflowView::OnHelp()
{
    if (Document())
        ShowSistraHelp(HostAppAccessor::Get(), Workflow(Document()).GetStepHelpTopic(CurrentStep()).c_str());
}

int32_t WorkflowView::CurrentStep() const
{
    const ModelPtr& model = ViewModel();
    return model ? model->GetValue<PropertyType::Int>(PropertyId::CurrentStep) : 0;
}

const WorkflowStep* WorkflowView::StepOfPane(size_t index)
{
    const int32_t kind = Document() ? Workflow(Document()).GetKind() : WorkflowKind::None;
    const WorkflowStep* step = Workflow::GetStepByIndex(kind, index);
    return step || index != 0 ? step : Workflow::GetStepByIndex(WorkflowKind::None, 0);
}

void WorkflowView::BuildPanes()
{
    if (!Document())
        return;
    const int32_t current = CurrentStep();
    size_t count = 0;
    while (StepOfPane(count))
        ++count;
    const size_t first = panes_.empty() ? 0 : 1;
    panes_.resize(std::max(first, count));
    paneWindows_.resize(panes_.size());
    const int headerHeight = static_cast<int>(std::lround(PaneHeaderLines * LineHeight(boldFont_.Get())));
    const int width = std::max(0, static_cast<int>(layout_->GetClientRect().Width()) - 2 * PaneGap);
    OrvControls::Accordion* currentPane = nullptr;
    Workflow workflow(Document());
    for (size_t i = 0; i < panes_.size(); ++i)
    {
        const WorkflowStep* step = StepOfPane(i);
        if (i >= first)
        {
            auto pane = std::make_unique<OrvControls::Accordion>();
            const RECT strip{PaneGap, PaneGap, PaneGap + width, PaneGap + headerHeight};
            pane->Create(layout_->GetHandle(), strip, workflow.GetStepTitle(i).c_str(),
                         WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT,
                         static_cast<UINT>(FirstPaneId + i));
            if (step)
                Observe(static_cast<ISubject*>(Document()->GetModel(step->modelKind).get()));
            paneWindows_[i] = std::make_unique<OWL::TWindow>(pane->m_hWnd);
            panes_[i] = std::move(pane);
        }
        if (step && step->stepId == current)
            currentPane = panes_[i].get();
    }
    UpdateScrollRange();
    RelayoutPanes();
    layout_->Layout();
    if (currentPane)
        currentPane->Expand(true);
}

void WorkflowView::DestroyPanes(Keep keep)
{
    const size_t kept = keep == Keep::First ? std::min<size_t>(1, panes_.size()) : 0;
    // The aliases let go of the windows before the windows go.
    while (paneWindows_.size() > kept)
        paneWindows_.pop_back();
    while (panes_.size() > kept)
    {
        if (panes_.back() && panes_.back()->m_hWnd)
            panes_.back()->DestroyWindow();
        panes_.pop_back();
    }
}

LRESULT WorkflowView::EvNotify(UINT id, NMHDR& info)
{
    switch (info.code)
    {
    case OrvControls::Accordion::NotifyStep:
        UpdateScrollRange();
        RelayoutPanes();
        layout_->Layout();
        return 0;
    case OrvControls::Accordion::NotifyExpanding:
        OnPaneExpanding(info, reinterpret_cast<OrvControls::Accordion::ExpandNotification&>(info).window);
        return 0;
    default:
        return SistraViewBase::EvNotify(id, info);
    }
}

void WorkflowView::OnPaneExpanding(const NMHDR& header, HWND& content)
{
    const size_t index = static_cast<size_t>(header.idFrom) - FirstPaneId;
    for (size_t i = 0; i < panes_.size(); ++i)
        if (i != index && panes_[i])
            panes_[i]->Expand(false);
    const WorkflowStep* step = StepOfPane(index);
    const int32_t stepId = step ? step->stepId : 0;
    content = CreateStepPage(stepId, layout_->GetHandle(), Document());
    if (content)
    {
        MINMAXINFO page{};
        ::SendMessageW(content, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&page));
        if (page.ptMinTrackSize.x > widestPage_)
        {
            // A page wider than the panel would lose its controls' right side: the frame that holds the
            // panel places it again, and asks its own parent for the room.
            widestPage_ = page.ptMinTrackSize.x;
            if (const HWND frame = ::GetParent(GetHandle()))
            {
                RECT area{};
                ::GetClientRect(frame, &area);
                ::PostMessageW(frame, WM_SIZE, SIZE_RESTORED, MAKELPARAM(area.right, area.bottom));
            }
        }
    }
    const ModelPtr& model = ViewModel();
    if (model && !model->IsLocked(PropertyId::CurrentStep) && CurrentStep() != stepId)
    {
        model->SetValue<PropertyType::Int>(PropertyId::CurrentStep, stepId);
        model->CommitChanges();
    }
}

void WorkflowView::OnModelChanged(const ModelChangedRecord* record)
{
    if (!record)
        return;
    const PropertyIdSet changed(record->changed);
    if (changed.Test(PropertyId::WorkflowKind) && GetHandle())
    {
        DestroyPanes(Keep::First);
        BuildPanes();
    }
    FollowReadiness();
    if (changed.Test(PropertyId::AutoTileViews) && autoTile_->GetHandle() && ViewModel())
        autoTile_->SetCheck(ViewModel()->GetValue<PropertyType::Bool>(PropertyId::AutoTileViews)
                                ? BST_CHECKED
                                : BST_UNCHECKED);
}

void WorkflowView::FollowReadiness()
{
    if (!Document())
        return;
    for (size_t i = 0; i < panes_.size(); ++i)
    {
        const WorkflowStep* step = StepOfPane(i);
        const ModelPtr model = step ? Document()->GetModel(step->modelKind) : nullptr;
        if (!model || !panes_[i] || !panes_[i]->m_hWnd)
            continue;
        panes_[i]->SendMessage(OrvControls::Accordion::SetReady, model->CheckReady().HasProblem() ? 0 : 1, 0);
        if (!model->Validate().HasProblem())
            panes_[i]->SendMessage(OrvControls::Accordion::SetProblem, 0, 0);
    }
}

void WorkflowView::UpdateScrollRange()
{
    const HWND layout = layout_->GetHandle();
    const OWL::TRect client = layout ? layout_->GetClientRect() : OWL::TRect();
    if (client.Height() == 0)
        return;
    int content = PaneGap;
    for (const auto& pane : panes_)
        if (pane && pane->m_hWnd)
        {
            RECT own{};
            pane->GetClientRect(&own);
            content += own.bottom + PaneGap;
        }
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, content, static_cast<UINT>(client.Height()), 0, 0};
    ::SetScrollInfo(layout, SB_VERT, &info, TRUE);
    ::RedrawWindow(layout, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void WorkflowView::RelayoutPanes()
{
    if (!layout_->GetHandle())
        return;
    // Laid out where the scrolled column shows them, so that a relayout keeps the scroll position.
    const int scrolled = ::GetScrollPos(layout_->GetHandle(), SB_VERT);
    // The column's scroll bar, where it shows, keeps the panes off the panel's right edge in place of the gap.
    const int rightGap = (::GetWindowLongW(layout_->GetHandle(), GWL_STYLE) & WS_VSCROLL) ? 0 : PaneGap;
    OWL::TWindow* previous = nullptr;
    for (size_t i = 0; i < panes_.size(); ++i)
    {
        OWL::TWindow* window = paneWindows_[i].get();
        if (!window || !window->GetHandle())
            continue;
        OWL::TLayoutMetrics metrics;
        metrics.SetMeasurementUnits(OWL::lmPixels);
        metrics.X.Set(OWL::lmLeft, OWL::lmSameAs, OWL::lmParent, OWL::lmLeft, PaneGap);
        metrics.Width.Set(OWL::lmRight, OWL::lmSameAs, OWL::lmParent, OWL::lmRight, -rightGap);
        if (previous)
            metrics.Y.Below(previous, PaneGap);
        else
            metrics.Y.Set(OWL::lmTop, OWL::lmSameAs, OWL::lmParent, OWL::lmTop, PaneGap - scrolled);
        metrics.Height.Absolute(OWL::lmHeight, window->GetWindowRect().Height());
        layout_->SetChildLayoutMetrics(*window, metrics);
        previous = window;
    }
}

void WorkflowView::ScrollPanes(UINT request)
{
    const HWND layout = layout_->GetHandle();
    SCROLLINFO info{sizeof info, SIF_ALL};
    ::GetScrollInfo(layout, SB_VERT, &info);
    int position = info.nPos;
    switch (request)
    {
    case SB_LINEUP:
        position -= 1;
        break;
    case SB_LINEDOWN:
        position += 1;
        break;
    case SB_PAGEUP:
        position -= static_cast<int>(info.nPage);
        break;
    case SB_PAGEDOWN:
        position += static_cast<int>(info.nPage);
        break;
    case SB_THUMBTRACK:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = 0;
        break;
    default:
        break;
    }
    position = std::max(0, std::min(position, info.nMax - static_cast<int>(info.nPage)));
    ::ScrollWindowEx(layout, 0, info.nPos - position, nullptr, nullptr, nullptr, nullptr,
                     SW_SCROLLCHILDREN | SW_INVALIDATE);
    ::InvalidateRect(layout, nullptr, TRUE);
    SCROLLINFO moved{sizeof moved, SIF_POS};
    moved.nPos = position;
    ::SetScrollInfo(layout, SB_VERT, &moved, TRUE);
}

} // namespace Sistra
