// A view of the module in the host's window: the host's frame around it (a caption with the view's
// title), the site through which the view makes its window there, and the view closed when this ends.
#pragma once

#include "hostapi/VyrViews.h"
#include "foundation/com/ComPtr.h"
#include "foundation/com/OwnerKept.h"

#include <windows.h>

#include <string>

namespace Host
{

class ViewFrame
{
public:
    // A frame inside parent at place, or (parent null) filling a bare window of its own at place.
    // Throws std::runtime_error when the view or its window cannot be made.
    ViewFrame(IDocViewClass& viewClass, IUnknown* document, HWND parent, const RECT& place);
    ~ViewFrame();
    ViewFrame(const ViewFrame&) = delete;
    ViewFrame& operator=(const ViewFrame&) = delete;

    HWND Frame() const { return frame_; }
    // The outermost window: the bare one when the frame has one of its own.
    HWND Outer() const { return container_ ? container_ : frame_; }
    HWND ViewWindow() const { return viewWindow_; }
    IDocView2& View() const { return *view_.Get(); }
    // The view type id and the name of the class the view was made by.
    ULONG TypeId() const { return typeId_; }
    const std::wstring& ClassName() const { return className_; }

private:
    // Where the view's window goes: the frame's client area; the view may close whenever the host asks.
    // The frame owns its site and outlives the view's use of it.
    class Site final : public Orv::OwnerKept<IClientSite>
    {
    public:
        explicit Site(HWND parent) : parent_(parent) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
        HRESULT STDMETHODCALLTYPE GetParentWindow(HWND* parent) override;
        HRESULT STDMETHODCALLTYPE RequestClose() override { return S_OK; }

    private:
        HWND parent_;
    };

    HWND container_ = nullptr;
    HWND frame_ = nullptr;
    Site site_{nullptr};
    Orv::ComPtr<IDocView2> view_;
    HWND viewWindow_ = nullptr;
    ULONG typeId_ = 0;
    std::wstring className_;
};

} // namespace Host
