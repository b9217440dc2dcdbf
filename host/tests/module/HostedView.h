// A module view as the host shows one: a child filling a pop-up parent of the same size, the parent
// hidden until a picture needs the screen (a shown top window takes long to go again). The view goes
// before its parent.
#pragma once

#include "document/core/SistraDocument.h"
#include "hostapi/VyrViews.h"
#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/window/Window.h"

#include <algorithm>
#include <memory>
#include <string>

namespace HostTests
{

// The place the host gives a view it shows: a parent window; closing is left to the test.
struct ParentSite : IClientSite
{
    explicit ParentSite(HWND window) : parent(window) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override { return *object = nullptr, E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetParentWindow(HWND* window) override { return *window = parent, S_OK; }
    HRESULT STDMETHODCALLTYPE RequestClose() override { return S_OK; }
    HWND parent;
};

class ViewParent : public OWL::TWindow
{
public:
    ViewParent() : OWL::TWindow(nullptr, L"view test") {}
};

// Whether a child window of the view takes the middle of the view's size grip (the bottom-right square
// of the larger scroll-bar width) from it, by its place and its window region.
inline bool SizeGripCovered(HWND view)
{
    RECT client{};
    ::GetClientRect(view, &client);
    const int side = std::max(::GetSystemMetrics(SM_CXHSCROLL), ::GetSystemMetrics(SM_CYVSCROLL));
    const POINT middle{client.right - side / 2, client.bottom - side / 2};
    for (HWND child = ::GetWindow(view, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
    {
        RECT placed{};
        ::GetWindowRect(child, &placed);
        ::MapWindowPoints(nullptr, view, reinterpret_cast<POINT*>(&placed), 2);
        if (!::IsWindowVisible(child) || !::PtInRect(&placed, middle))
            continue;
        const HRGN region = ::CreateRectRgn(0, 0, 0, 0);
        const bool shaped = ::GetWindowRgn(child, region) != ERROR;
        const bool inside = !shaped || ::PtInRegion(region, middle.x - placed.left, middle.y - placed.top);
        ::DeleteObject(region);
        if (inside)
            return true;
    }
    return false;
}

template <class View, class Parent = ViewParent>
class HostedView
{
public:
    HostedView() = default;
    HostedView(const HostedView&) = delete;
    HostedView& operator=(const HostedView&) = delete;
    ~HostedView() { Close(); }

    // False when the view's window cannot be made.
    bool Open(Sistra::SistraDocument& document, int width, int height)
    {
        Close();
        parent_.Attr.Style = WS_POPUP | WS_CLIPCHILDREN;
        parent_.Attr.W = width;
        parent_.Attr.H = height;
        if (!parent_.GetHandle() && !parent_.Create())
            return false;
        view_ = std::make_unique<View>(&parent_, nullptr, nullptr, document.Outer(), nullptr, nullptr);
        view_->Attr.Style |= WS_VISIBLE;
        view_->Attr.W = width;
        view_->Attr.H = height;
        return view_->Create();
    }
    void Close()
    {
        if (view_)
            view_->Destroy();
        view_.reset();
        parent_.Destroy();
    }
    // Shows the parent and lets the view settle.
    void Show()
    {
        parent_.ShowWindow(SW_SHOWNOACTIVATE);
        OwlTest::PumpMessages();
    }
    // Paints parent and view afresh and saves the picture under the name; the file's path, empty when
    // it could not be saved.
    std::wstring SavePicture(const wchar_t* name)
    {
        OwlTest::PumpMessages();
        ::RedrawWindow(parent_.GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        OwlTest::PumpMessages();
        return OwlTest::SaveWindowPng(parent_.GetHandle(), name);
    }

    View* operator->() const { return view_.get(); }
    View& operator*() const { return *view_; }
    explicit operator bool() const { return view_ != nullptr; }
    Parent& Frame() { return parent_; }

private:
    Parent parent_;
    std::unique_ptr<View> view_;
};

} // namespace HostTests
