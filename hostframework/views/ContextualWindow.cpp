#include "hostframework/views/ContextualWindow.h"

#include <commctrl.h>

UINT WindowContextMessage()
{
    static const UINT message = RegisterWindowMessageW(L"VyrGetWindowContext");
    return message;
}

// The decoration of one window, through a subclass of its own (the window may already belong to an
// object of the module's window library, which keeps its own binding).
class ContextualWindowDecorated::SubclassedWindow
{
public:
    SubclassedWindow(HWND window, ContextualWindowDecorated& owner) : window_(window), owner_(owner)
    {
        SetWindowSubclass(window_, &Procedure, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    }
    ~SubclassedWindow()
    {
        if (IsWindow(window_))
            RemoveWindowSubclass(window_, &Procedure, SubclassId);
    }
    SubclassedWindow(const SubclassedWindow&) = delete;
    SubclassedWindow& operator=(const SubclassedWindow&) = delete;

    HWND Window() const { return window_; }

private:
    static constexpr UINT_PTR SubclassId = 0x56797243; // "VyrC"

    static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
    {
        auto* self = reinterpret_cast<SubclassedWindow*>(data);
        if (msg == WindowContextMessage())
            return reinterpret_cast<LRESULT>(self->owner_.DecorationContext());
        if (msg == WM_SHOWWINDOW)
            self->owner_.OnDecoratedWindowShown(wParam != 0);
        if (msg == WM_NCDESTROY)
            RemoveWindowSubclass(window, &Procedure, SubclassId);
        return DefSubclassProc(window, msg, wParam, lParam);
    }

    HWND window_;
    ContextualWindowDecorated& owner_;
};

ContextualWindowDecorated::ContextualWindowDecorated(IUnknown* context) : context_(context) {}

ContextualWindowDecorated::~ContextualWindowDecorated() = default;

void ContextualWindowDecorated::Decorate(HWND window)
{
    if (!window || (decorated_ && decorated_->Window() == window))
        return;
    decorated_ = std::make_unique<SubclassedWindow>(window, *this);
}
