#include "hostframework/views/ViewBase.h"

#include "hostapi/VyrServices.h"
#include "hostframework/services/HostServices.h"
#include "platform/owl/gdi/DC.h"

#include <algorithm>

namespace
{

int SizeGripSide()
{
    return std::max(GetSystemMetrics(SM_CXHSCROLL), GetSystemMetrics(SM_CYVSCROLL));
}

LANGID HostLanguage()
{
    LANGID language = 0;
    IHostApplication* application = HostAppAccessor::Get();
    if (!application || FAILED(application->GetUiLanguage(&language)))
        return 0;
    return language;
}

Orv::String BstrText(BSTR text)
{
    Orv::String result(text ? text : L"");
    SysFreeString(text);
    return result;
}

} // namespace

Orv::String LocalisedPrintText(const Orv::String& text, LANGID hostLanguage)
{
    static const Orv::String english(L"&Print");
    static const Orv::String spanish(L"&Imprimir");
    if (PRIMARYLANGID(hostLanguage) != LANG_SPANISH || text.Length() < english.Length() ||
        !(text.Mid(0, english.Length()) == english))
        return text;
    Orv::String localised(text);
    localised.Replace(0, english.Length(), spanish);
    return localised;
}

void AnswerCommandState(IVyrCommandState& state, const wchar_t* text, bool enabled)
{
    Orv::ComPtr<IVyrCommandEnabler> enabler;
    if (SUCCEEDED(state.QueryInterface(IID_IVyrCommandEnabler, enabler.PutVoid())) && enabler)
    {
        if (text)
            enabler->SetText(Orv::String(text).Interface());
        enabler->Enable(enabled ? VARIANT_TRUE : VARIANT_FALSE);
        return;
    }
    state.SetState(enabled ? VyrCommandStateValue::Enabled : 0);
}

DEFINE_RESPONSE_TABLE1(ViewBase, OWL::TWindow)
    EV_WM_NCHITTEST,
END_RESPONSE_TABLE;

VYR_DEFINE_EVENT_MAP(ViewBase, VyrCppEventHandler){
    VyrEventMap::Header(),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &ConstantId<ViewCommandId::Copy>,
                         &DispatchCommandEnable<ViewBase, &ViewBase::CeCopy>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &ConstantId<ViewCommandId::Print>,
                         &DispatchCommandEnable<ViewBase, &ViewBase::CePrint>),
    VyrEventMap::Command(VyrEventKind::CommandEnable, &ConstantId<ViewCommandId::Command3>,
                         &DispatchCommandEnable<ViewBase, &ViewBase::CeCommand3>),
    VyrEventMap::Message(&ConstantId<ViewCommandId::PrintMessage>,
                         &DispatchMessageNoArgs<ViewBase, &ViewBase::PrintThroughSite>),
    VyrEventMap::End(),
};

ViewBase::ViewBase(OWL::TWindow* parent, IUnknown* hostDocument, IUnknown* hostView, IVyrViewSite* viewSite,
                   const wchar_t* title, OWL::TModule* module)
    : OWL::TWindow(parent, title, module), module_(module), viewSite_(viewSite), hostDocument_(hostDocument),
      hostView_(hostView)
{
    Orv::ComPtr<IVyrViewDocument> document;
    if (hostDocument && SUCCEEDED(hostDocument->QueryInterface(IID_IVyrViewDocument, document.PutVoid())) && document)
    {
        BSTR text = nullptr;
        if (SUCCEEDED(document->GetDocumentTitle(&text)))
            documentTitle_ = BstrText(text);
        else
            SysFreeString(text);
    }
    if (viewSite)
        viewSite->GetViewInterface(viewInterface_.Put());
}

ViewBase::~ViewBase() = default;

bool ViewBase::CanPrint()
{
    const Orv::ComPtr<IVyrViewPrintService> service = QueryViewSiteObject();
    VARIANT_BOOL canPrint = VARIANT_FALSE;
    return service && SUCCEEDED(service->CanPrint(&canPrint)) && canPrint != VARIANT_FALSE;
}

Orv::ComPtr<IVyrViewPrintService> ViewBase::QueryViewSiteObject() const
{
    Orv::ComPtr<IVyrViewPrintService> service;
    if (!viewSite_)
        return service;
    Orv::ComPtr<IVyrViewSiteObject> siteObject;
    if (SUCCEEDED(viewSite_->GetSiteObject(siteObject.Put())) && siteObject)
        siteObject->GetPrintService(service.Put());
    return service;
}

std::pair<ULONG, ULONG> VyrIdOf(IUnknown* hostDocument, IUnknown* hostView)
{
    std::pair<ULONG, ULONG> id{0, 0};
    Orv::ComPtr<IVyrViewDocument> document;
    if (hostDocument && SUCCEEDED(hostDocument->QueryInterface(IID_IVyrViewDocument, document.PutVoid())) &&
        document)
        document->GetVyrIdWord(&id.first);
    Orv::ComPtr<IDocView2> view;
    if (hostView && SUCCEEDED(hostView->QueryInterface(IID_IDocView2, view.PutVoid())) && view)
    {
        ULONG number = 0;
        ULONG kind = 0;
        view->GetViewNumber(&number);
        view->GetViewKind(&kind);
        id.second = (kind << 16) | LOWORD(number);
    }
    return id;
}

std::pair<ULONG, ULONG> ViewBase::GetVyrId() const
{
    return VyrIdOf(hostDocument_, hostView_);
}

OWL::TRect ViewBase::SizeGripRect() const
{
    const OWL::TRect client = GetClientRect();
    const int side = SizeGripSide();
    return OWL::TRect(client.right - side, client.bottom - side, client.right, client.bottom);
}

bool ViewBase::IsFrameMaximised() const
{
    const HWND parent = ::GetParent(GetHandle());
    const HWND frame = parent ? ::GetParent(parent) : nullptr;
    return frame && ::IsZoomed(frame);
}

void ViewBase::Paint(OWL::TDC& dc, bool erase, OWL::TRect& rect)
{
    // Children made after the last size (in SetupWindow, say) leave the grip too.
    UncoverSizeGrip();
    if (drawSizeGrip_)
    {
        const OWL::TRect grip = SizeGripRect();
        if (IsFrameMaximised())
            dc.FillRect(grip, OWL::TBrush(OWL::TColor(GetSysColor(COLOR_BTNFACE))));
        else
            dc.DrawFrameControl(grip, DFC_SCROLL, DFCS_SCROLLSIZEGRIP);
    }
    OWL::TWindow::Paint(dc, erase, rect);
}

LRESULT ViewBase::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = OWL::TWindow::WindowProc(msg, wParam, lParam);
    if (msg == WM_SIZE && GetHandle())
        UncoverSizeGrip();
    return result;
}

void ViewBase::UncoverSizeGrip()
{
    const OWL::TRect grip = SizeGripRect();
    std::vector<std::pair<HWND, RECT>> clipped;
    bool changed = false;
    for (HWND child = ::GetWindow(GetHandle(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        RECT placed{};
        ::GetWindowRect(child, &placed);
        ::MapWindowPoints(nullptr, GetHandle(), reinterpret_cast<POINT*>(&placed), 2);
        const auto held = std::find_if(clippedChildren_.begin(), clippedChildren_.end(),
                                       [&](const auto& entry) { return entry.first == child; });
        RECT overlap{};
        if (!drawSizeGrip_ || !::IntersectRect(&overlap, &placed, &grip))
        {
            if (held != clippedChildren_.end())
            {
                ::SetWindowRgn(child, nullptr, TRUE);
                changed = true;
            }
            continue;
        }
        clipped.emplace_back(child, placed);
        if (held != clippedChildren_.end() && ::EqualRect(&held->second, &placed))
            continue;
        // The child's own rectangle less the grip, both in the child's window coordinates; the window
        // takes the region over.
        const HRGN region = ::CreateRectRgn(0, 0, placed.right - placed.left, placed.bottom - placed.top);
        const HRGN corner = ::CreateRectRgn(grip.left - placed.left, grip.top - placed.top, grip.right - placed.left,
                                            grip.bottom - placed.top);
        ::CombineRgn(region, region, corner, RGN_DIFF);
        ::DeleteObject(corner);
        ::SetWindowRgn(child, region, TRUE);
        changed = true;
    }
    clippedChildren_ = std::move(clipped);
    if (changed)
        ::InvalidateRect(GetHandle(), &grip, TRUE);
}

UINT ViewBase::EvNCHitTest(const OWL::TPoint& screenPoint)
{
    if (sizeGripHitTest_ && !IsFrameMaximised())
    {
        OWL::TPoint point = screenPoint;
        ScreenToClient(point);
        if (SizeGripRect().Contains(point))
            return HTBOTTOMRIGHT;
    }
    return OWL::TWindow::EvNCHitTest(screenPoint);
}

void ViewBase::CeCopy(IVyrCommandState& state)
{
    Orv::String text;
    GetCopyCommandText(text);
    AnswerCommandState(state, text.c_str(), CanCopy());
}

void ViewBase::CePrint(IVyrCommandState& state)
{
    Orv::String text;
    GetPrintCommandText(text);
    AnswerCommandState(state, LocalisedPrintText(text, HostLanguage()).c_str(), CanPrint());
}

void ViewBase::CeCommand3(IVyrCommandState& state)
{
    AnswerCommandState(state, nullptr, CanRunCommand3());
}

void ViewBase::PrintThroughSite()
{
    if (const Orv::ComPtr<IVyrViewPrintService> service = QueryViewSiteObject())
        service->Print();
}
