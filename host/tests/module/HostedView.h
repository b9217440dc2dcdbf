// A module view as the host shows one: a child filling a pop-up parent of the same size, the parent
// hidden until a picture needs the screen (a shown top window takes long to go again). The view goes
// before its parent.
#pragma once

#include "document/core/SistraDocument.h"
#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/window/Window.h"

#include <memory>
#include <string>

namespace HostTests
{

class ViewParent : public OWL::TWindow
{
public:
    ViewParent() : OWL::TWindow(nullptr, L"view test") {}
};

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
