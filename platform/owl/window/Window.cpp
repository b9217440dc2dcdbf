#include "platform/owl/window/Window.h"

#include "platform/owl/Failure.h"
#include "platform/owl/Module.h"
#include "platform/owl/gdi/DC.h"
#include "platform/owl/window/CommandEnabler.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/XOrv.h"

#include <algorithm>
#include <atomic>
#include <cwchar>
#include <utility>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace OWL
{

namespace
{

HINSTANCE ThisModule()
{
    return reinterpret_cast<HINSTANCE>(&__ImageBase);
}

// The property that holds the object of a window. Each copy of the library in a process (the module
// and a host that links it too) has a name of its own, so neither takes the other's windows for its own.
const wchar_t* ObjectProperty()
{
    static const std::wstring name = [] {
        wchar_t text[48];
        swprintf(text, 48, L"OWL.TWindow.%p", static_cast<void*>(ThisModule()));
        return std::wstring(text);
    }();
    return name.c_str();
}

// The object whose window CreateWindowEx is making on this thread, until the first message binds it.
thread_local TWindow* windowBeingCreated = nullptr;

// The last window looked up on this thread and its object. Messages come in runs to one window (a list
// box telling its owner of each of a hundred thousand rows it deletes), and each look-up in the window
// manager is a call to it; any binding or unbinding anywhere makes every thread's entry stale.
std::atomic<unsigned> bindings{0};
struct LookedUp
{
    HWND handle = nullptr;
    TWindow* window = nullptr;
    unsigned binding = 0;
};
thread_local LookedUp lastLookedUp;

} // namespace

DEFINE_RESPONSE_TABLE(TWindow)
    // A window this library subclassed paints as its class does, unless its class says otherwise.
    OWL_MSG(WM_PAINT, self.Subclassed ? void(self.DefaultProcessing()) : self.EvPaint()),
    EV_WM_ERASEBKGND,
    EV_WM_CLOSE,
    EV_WM_SETCURSOR,
    EV_WM_INITMENUPOPUP,
    EV_WM_HSCROLL,
    EV_WM_VSCROLL,
    EV_MESSAGE(WM_DRAWITEM, EvDrawItem),
    EV_MESSAGE(WM_MEASUREITEM, EvMeasureItem),
END_RESPONSE_TABLE;

TWindow::TWindow(TWindow* parent, const wchar_t* title, TModule* module)
    : Parent(parent), Module(module), Title(title ? title : L"")
{
    if (parent)
    {
        Attr.Style = WS_CHILD | WS_VISIBLE;
        if (!Module)
            Module = parent->Module;
        parent->AddChild(this);
        SetFlag(wfAutoCreate);
    }
    else
    {
        Attr.Style = WS_OVERLAPPEDWINDOW;
        Attr.X = Attr.Y = Attr.W = Attr.H = CW_USEDEFAULT;
    }
}

TWindow::TWindow(HWND handle, TModule* module) : Module(module)
{
    SetFlag(wfAlias);
    SubclassWindow(handle);
    GetWindowAttributes();
    Parent = FromHandle(::GetParent(handle));
    SetFlag(wfFullyCreated);
}

TWindow::~TWindow()
{
    if (DeletedFlag)
        *DeletedFlag = true;
    const HWND handle = Handle;
    const bool ownsWindow = !IsFlagSet(wfAlias) && !IsFlagSet(wfFromResource);
    Unbind();
    if (handle && ownsWindow)
        ::DestroyWindow(handle);
    while (!Children.empty())
        delete Children.back();
    if (Parent)
        Parent->RemoveChild(this);
}

TWindow* TWindow::FromHandle(HWND handle)
{
    if (!handle)
        return nullptr;
    const unsigned binding = bindings.load(std::memory_order_acquire);
    if (handle == lastLookedUp.handle && binding == lastLookedUp.binding)
        return lastLookedUp.window;
    auto* window = static_cast<TWindow*>(::GetPropW(handle, ObjectProperty()));
    lastLookedUp = {handle, window, binding};
    return window;
}

HINSTANCE TWindow::GetInstance() const
{
    return Module ? Module->GetHandle() : ThisModule();
}

void TWindow::RemoveChild(TWindow* child)
{
    Children.erase(std::remove(Children.begin(), Children.end(), child), Children.end());
}

TWindow* TWindow::ChildWithId(int id) const
{
    for (TWindow* child : Children)
        if (child->Attr.Id == id)
            return child;
    return nullptr;
}

void TWindow::Bind(HWND handle, WNDPROC defaultProc)
{
    if (TWindow* other = FromHandle(handle); other && other != this)
        throw XOrv(Orv::String(L"The window already has an object"), E_UNEXPECTED);
    if (!::SetPropW(handle, ObjectProperty(), this))
        ThrowLastError(L"The window object could not be bound");
    // Only once the binding is visible, so that no thread keeps a look-up made before it as current.
    bindings.fetch_add(1, std::memory_order_acq_rel);
    Handle = handle;
    DefaultProc = defaultProc;
    CleanedUp = false;
}

void TWindow::SubclassWindow(HWND handle)
{
    Checked(handle, L"No window to bind");
    Bind(handle, nullptr);
    DefaultProc = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcedure)));
    Subclassed = true;
}

void TWindow::Unbind()
{
    if (!Handle)
        return;
    if (FromHandle(Handle) == this)
        ::RemovePropW(Handle, ObjectProperty());
    bindings.fetch_add(1, std::memory_order_acq_rel);
    if (Subclassed &&
        ::GetWindowLongPtrW(Handle, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&WindowProcedure))
        ::SetWindowLongPtrW(Handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(DefaultProc));
    Handle = nullptr;
    Subclassed = false;
    ClearFlag(wfFullyCreated);
}

void TWindow::GetWindowAttributes()
{
    Attr.Style = GetStyle();
    Attr.ExStyle = GetExStyle();
    Attr.Id = ::GetDlgCtrlID(Handle);
    TRect rect = GetWindowRect();
    if (const HWND parent = ::GetParent(Handle); parent && (Attr.Style & WS_CHILD))
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    Attr.X = rect.left;
    Attr.Y = rect.top;
    Attr.W = rect.Width();
    Attr.H = rect.Height();
    Title = GetWindowText();
}

HWND TWindow::ParentHandle() const
{
    return Parent ? Parent->Handle : ParentWindow;
}

void TWindow::RegisterClassIfNeeded(const wchar_t* className, WNDPROC& classProcedure)
{
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(GetInstance(), className, &existing))
    {
        classProcedure = existing.lpfnWndProc;
        return;
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    GetWindowClass(windowClass);
    windowClass.lpszClassName = className;
    windowClass.lpfnWndProc = &WindowProcedure;
    windowClass.hInstance = GetInstance();
    if (!::RegisterClassExW(&windowClass))
        ThrowLastError(L"The window class could not be registered");
    classProcedure = &WindowProcedure;
}

const wchar_t* TWindow::GetClassName()
{
    return L"OwlWindow";
}

void TWindow::GetWindowClass(WNDCLASSEXW& windowClass)
{
    windowClass.style = CS_DBLCLKS;
    windowClass.lpfnWndProc = &WindowProcedure;
    windowClass.hInstance = GetInstance();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = GetClassName();
}

bool TWindow::Create()
{
    if (Handle)
        return true;
    if (IsFlagSet(wfFromResource))
    {
        SubclassWindow(Checked(Parent ? ::GetDlgItem(Parent->Handle, Attr.Id) : nullptr,
                               L"The dialog has no control with this id"));
        GetWindowAttributes();
        PerformSetup();
        return true;
    }
    const wchar_t* className = GetClassName();
    WNDPROC classProcedure = nullptr;
    RegisterClassIfNeeded(className, classProcedure);
    const bool ownClass = classProcedure == &WindowProcedure;
    if (!ownClass)
        SetFlag(wfPredefinedClass);

    HMENU menuOrId = nullptr;
    if (Attr.Style & WS_CHILD)
        menuOrId = reinterpret_cast<HMENU>(static_cast<INT_PTR>(Attr.Id));
    else if (Attr.Menu)
        menuOrId = ::LoadMenuW(GetInstance(), Attr.Menu);

    TWindow* const outer = std::exchange(windowBeingCreated, ownClass ? this : nullptr);
    const HWND handle = ::CreateWindowExW(Attr.ExStyle, className, Title.c_str(), Attr.Style, Attr.X, Attr.Y, Attr.W,
                                          Attr.H, ParentHandle(), menuOrId, GetInstance(), Attr.Param);
    const DWORD error = ::GetLastError();
    windowBeingCreated = outer;
    if (!handle)
    {
        ::SetLastError(error);
        ThrowLastError(L"The window could not be made");
    }
    if (!ownClass)
        SubclassWindow(handle);
    PerformSetup();
    return true;
}

void TWindow::PerformSetup()
{
    SetupWindow();
    SetFlag(wfFullyCreated);
}

void TWindow::SetupWindow()
{
    CreateChildren();
}

void TWindow::CreateChildren()
{
    const std::vector<TWindow*> children = Children;
    for (TWindow* child : children)
        if (child->IsFlagSet(wfAutoCreate) && !child->Handle)
            child->Create();
}

void TWindow::CleanupWindow() {}

void TWindow::Paint(TDC&, bool, TRect&) {}

void TWindow::Destroy(int)
{
    if (Handle)
        ::DestroyWindow(Handle);
}

bool TWindow::CanClose()
{
    return std::all_of(Children.begin(), Children.end(),
                       [](TWindow* child) { return !child->Handle || child->CanClose(); });
}

void TWindow::CloseWindow(int returnValue)
{
    if (CanClose())
        Destroy(returnValue);
}

LRESULT TWindow::WindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_COMMAND:
        return EvCommand(LOWORD(wParam), reinterpret_cast<HWND>(lParam), HIWORD(wParam));
    case WM_NOTIFY:
        return EvNotify(static_cast<UINT>(wParam), *reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND_ENABLE:
        EvCommandEnable(*reinterpret_cast<TCommandEnabler*>(lParam));
        return 0;
    default:
        break;
    }
    TEventInfo info = TEventInfo::Message(msg);
    if (Find(info))
        return Dispatch(info, wParam, lParam);
    return DefaultProcessing();
}

TWindow::TMessageFrame::TMessageFrame(TWindow& window, TCurrentEvent event)
    : window_(window), saved_(std::exchange(window.CurrentEvent, event)),
      outer_(std::exchange(window.DeletedFlag, &deleted_))
{
}

TWindow::TMessageFrame::~TMessageFrame()
{
    if (deleted_)
    {
        // Nothing of the object is left to restore; the frames further out learn that it went.
        if (outer_)
            *outer_ = true;
        return;
    }
    window_.CurrentEvent = saved_;
    window_.DeletedFlag = outer_;
}

LRESULT TWindow::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    const TMessageFrame frame(*this, {msg, wParam, lParam});
    return WindowProc(msg, wParam, lParam);
}

LRESULT TWindow::ReceiveMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept
{
    const HWND handle = Handle;
    LRESULT result = 0;
    const TMessageFrame frame(*this, {msg, wParam, lParam});
    const HRESULT outcome = Orv::CatchReturn([&] {
        if (msg == WM_DESTROY && !std::exchange(CleanedUp, true))
            CleanupWindow();
        result = WindowProc(msg, wParam, lParam);
    });
    if (FAILED(outcome))
    {
        Orv::LogHandlerFailure(handle, msg, outcome);
        // What the window would have done without the handler: for a paint, the classic drawing; a window
        // whose object went meanwhile gets it from the system.
        result = 0;
        Orv::CatchReturn([&] {
            result = frame.WindowDeleted() ? ::DefWindowProcW(handle, msg, wParam, lParam)
                                           : DefWindowProc(msg, wParam, lParam);
        });
    }
    return result;
}

LRESULT TWindow::DefaultProcessing()
{
    return DefWindowProc(CurrentEvent.Msg, CurrentEvent.WParam, CurrentEvent.LParam);
}

LRESULT TWindow::DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!Handle)
        return 0;
    if (DefaultProc)
        return ::CallWindowProcW(DefaultProc, Handle, msg, wParam, lParam);
    return ::DefWindowProcW(Handle, msg, wParam, lParam);
}

bool TWindow::PreProcessMsg(MSG& msg)
{
    if (!Attr.AccelTable || !Handle || msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST)
        return false;
    if (!Accelerators)
        Accelerators = ::LoadAcceleratorsW(GetInstance(), Attr.AccelTable);
    return Accelerators && ::TranslateAcceleratorW(Handle, Accelerators, &msg);
}

bool TWindow::IdleAction(long idleCount)
{
    bool more = false;
    for (TWindow* child : Children)
        more = child->IdleAction(idleCount) || more;
    return more;
}

LRESULT TWindow::EvCommand(UINT id, HWND control, UINT notifyCode)
{
    const WPARAM wParam = MAKEWPARAM(id, notifyCode);
    const LPARAM lParam = reinterpret_cast<LPARAM>(control);
    if (control)
    {
        TEventInfo notify = TEventInfo::ChildNotify(id, notifyCode);
        if (Find(notify))
            return Dispatch(notify, wParam, lParam);
        // A button's click is also its command.
        if (notifyCode != BN_CLICKED)
            return DefWindowProc(WM_COMMAND, wParam, lParam);
    }
    TEventInfo command = TEventInfo::Command(id);
    if (Find(command))
        return Dispatch(command, wParam, lParam);
    return DefWindowProc(WM_COMMAND, wParam, lParam);
}

void TWindow::EvCommandEnable(TCommandEnabler& enabler)
{
    TEventInfo enable = TEventInfo::CommandEnable(enabler.GetId());
    if (Find(enable))
    {
        Dispatch(enable, 0, reinterpret_cast<LPARAM>(&enabler));
        return;
    }
    TEventInfo command = TEventInfo::Command(enabler.GetId());
    if (Find(command))
    {
        enabler.Enable(true);
        return;
    }
    if (Parent)
        Parent->HandleMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&enabler));
}

LRESULT TWindow::EvNotify(UINT id, NMHDR& info)
{
    TEventInfo notify = TEventInfo::Notify(static_cast<UINT>(info.idFrom), info.code);
    if (Find(notify))
        return Dispatch(notify, id, reinterpret_cast<LPARAM>(&info));
    return DefWindowProc(WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
}

TRect TWindow::GetClientRect() const
{
    RECT rect{};
    ::GetClientRect(Handle, &rect);
    return rect;
}

TRect TWindow::GetWindowRect() const
{
    RECT rect{};
    ::GetWindowRect(Handle, &rect);
    return rect;
}

DWORD TWindow::GetStyle() const
{
    return Handle ? static_cast<DWORD>(::GetWindowLongPtrW(Handle, GWL_STYLE)) : Attr.Style;
}

DWORD TWindow::GetExStyle() const
{
    return Handle ? static_cast<DWORD>(::GetWindowLongPtrW(Handle, GWL_EXSTYLE)) : Attr.ExStyle;
}

namespace
{

bool ChangeWindowLong(HWND handle, int index, DWORD& attribute, DWORD remove, DWORD add, UINT swpFlags)
{
    const DWORD old = handle ? static_cast<DWORD>(::GetWindowLongPtrW(handle, index)) : attribute;
    const DWORD changed = (old & ~remove) | add;
    attribute = changed;
    if (!handle || changed == old)
        return false;
    ::SetWindowLongPtrW(handle, index, static_cast<LONG_PTR>(changed));
    if (swpFlags)
        ::SetWindowPos(handle, nullptr, 0, 0, 0, 0,
                       SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | swpFlags);
    return true;
}

} // namespace

bool TWindow::ModifyStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    return ChangeWindowLong(Handle, GWL_STYLE, Attr.Style, remove, add, swpFlags);
}

bool TWindow::ModifyExStyle(DWORD remove, DWORD add, UINT swpFlags)
{
    return ChangeWindowLong(Handle, GWL_EXSTYLE, Attr.ExStyle, remove, add, swpFlags);
}

void TWindow::SetStyle(DWORD style)
{
    ModifyStyle(~DWORD(0), style);
}

void TWindow::SetCaption(const wchar_t* title)
{
    Title = title ? title : L"";
    if (Handle)
        ::SetWindowTextW(Handle, Title.c_str());
}

void TWindow::SetWindowText(const wchar_t* text)
{
    SetCaption(text);
}

std::wstring TWindow::GetWindowText() const
{
    if (!Handle)
        return Title;
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(Handle)) + 1, L'\0');
    text.resize(static_cast<size_t>(::GetWindowTextW(Handle, text.data(), static_cast<int>(text.size()))));
    return text;
}

void TWindow::SetWindowFont(HFONT font, bool redraw)
{
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
}

HFONT TWindow::GetWindowFont() const
{
    return reinterpret_cast<HFONT>(SendMessage(WM_GETFONT));
}

void TWindow::SetCursor(TModule* module, TResId cursor)
{
    Cursor = cursor ? ::LoadCursorW(module ? module->GetHandle() : nullptr, cursor) : nullptr;
}

bool TWindow::MoveWindow(const TRect& rect, bool repaint)
{
    Attr.X = rect.left;
    Attr.Y = rect.top;
    Attr.W = rect.Width();
    Attr.H = rect.Height();
    return !Handle || ::MoveWindow(Handle, rect.left, rect.top, rect.Width(), rect.Height(), repaint);
}

bool TWindow::SetWindowPos(HWND insertAfter, const TRect& rect, UINT flags)
{
    return ::SetWindowPos(Handle, insertAfter, rect.left, rect.top, rect.Width(), rect.Height(), flags) != FALSE;
}

// Default handlers: the default processing of the current message.

void TWindow::EvPaint()
{
    TPaintDC dc(Handle);
    TRect rect(dc.Ps.rcPaint);
    Paint(dc, dc.Ps.fErase != FALSE, rect);
}

bool TWindow::EvEraseBkgnd(HDC dc)
{
    if (BkgndColor == TColor::None)
        return DefaultProcessing() != 0;
    const TRect client = GetClientRect();
    ::FillRect(dc, &client, TBrush(BkgndColor));
    return true;
}

bool TWindow::EvSetCursor(HWND window, UINT hitTest, UINT)
{
    if (Cursor && window == Handle && hitTest == HTCLIENT)
    {
        ::SetCursor(Cursor);
        return true;
    }
    return DefaultProcessing() != 0;
}

void TWindow::EvClose()
{
    CloseWindow();
}

void TWindow::EvInitMenuPopup(HMENU popup, UINT, bool sysMenu)
{
    DefaultProcessing();
    if (sysMenu)
        return;
    const int count = ::GetMenuItemCount(popup);
    for (int position = 0; position < count; ++position)
    {
        const UINT id = ::GetMenuItemID(popup, position);
        if (id == 0 || id == static_cast<UINT>(-1))
            continue; // a separator or a submenu
        TMenuItemEnabler enabler(popup, id, Handle, position);
        HandleMessage(WM_COMMAND_ENABLE, 0, reinterpret_cast<LPARAM>(&enabler));
    }
}

void TWindow::EvSize(UINT, const TSize&) { DefaultProcessing(); }
void TWindow::EvMove(const TPoint&) { DefaultProcessing(); }
int TWindow::EvCreate(CREATESTRUCTW&) { return static_cast<int>(DefaultProcessing()); }
void TWindow::EvDestroy() { DefaultProcessing(); }
void TWindow::EvNCDestroy() { DefaultProcessing(); }
UINT TWindow::EvNCHitTest(const TPoint&) { return static_cast<UINT>(DefaultProcessing()); }
void TWindow::EvLButtonDown(UINT, const TPoint&) { DefaultProcessing(); }
void TWindow::EvLButtonUp(UINT, const TPoint&) { DefaultProcessing(); }
void TWindow::EvLButtonDblClk(UINT, const TPoint&) { DefaultProcessing(); }
void TWindow::EvRButtonDown(UINT, const TPoint&) { DefaultProcessing(); }
void TWindow::EvRButtonUp(UINT, const TPoint&) { DefaultProcessing(); }
void TWindow::EvMButtonDown(UINT, const TPoint&) { DefaultProcessing(); }
void TWindow::EvMouseMove(UINT, const TPoint&) { DefaultProcessing(); }
bool TWindow::EvMouseWheel(UINT, int, const TPoint&) { return DefaultProcessing() != 0; }
void TWindow::EvMouseLeave() { DefaultProcessing(); }
void TWindow::EvKeyDown(UINT, UINT, UINT) { DefaultProcessing(); }
void TWindow::EvKeyUp(UINT, UINT, UINT) { DefaultProcessing(); }
void TWindow::EvChar(UINT, UINT, UINT) { DefaultProcessing(); }
void TWindow::EvTimer(UINT) { DefaultProcessing(); }
void TWindow::EvSetFocus(HWND) { DefaultProcessing(); }
void TWindow::EvKillFocus(HWND) { DefaultProcessing(); }
LRESULT TWindow::ForwardToChild(HWND child, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWindow* object = FromHandle(child);
    TEventInfo info = TEventInfo::Message(msg);
    if (object && object != this && object->Find(info))
        return object->HandleMessage(msg, wParam, lParam);
    return DefaultProcessing();
}

void TWindow::EvHScroll(UINT code, UINT position, HWND bar)
{
    ForwardToChild(bar, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar));
}

void TWindow::EvVScroll(UINT code, UINT position, HWND bar)
{
    ForwardToChild(bar, WM_VSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(bar));
}

LRESULT TWindow::EvDrawItem(WPARAM id, LPARAM item)
{
    return ForwardToChild(reinterpret_cast<DRAWITEMSTRUCT*>(item)->hwndItem, WM_DRAWITEM, id, item);
}

LRESULT TWindow::EvMeasureItem(WPARAM id, LPARAM item)
{
    const auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(item);
    const HWND control = measure->CtlType == ODT_MENU ? nullptr : GetDlgItem(static_cast<int>(measure->CtlID));
    return ForwardToChild(control, WM_MEASUREITEM, id, item);
}
void TWindow::EvMenuSelect(UINT, UINT, HMENU) { DefaultProcessing(); }
UINT TWindow::EvGetDlgCode(const MSG*) { return static_cast<UINT>(DefaultProcessing()); }
void TWindow::EvSysColorChange() { DefaultProcessing(); }
void TWindow::EvGetMinMaxInfo(MINMAXINFO&) { DefaultProcessing(); }
void TWindow::EvContextMenu(HWND, int, int) { DefaultProcessing(); }
void TWindow::EvShowWindow(bool, UINT) { DefaultProcessing(); }
void TWindow::EvWindowPosChanged(const WINDOWPOS&) { DefaultProcessing(); }
UINT TWindow::EvMouseActivate(HWND, UINT, UINT) { return static_cast<UINT>(DefaultProcessing()); }
void TWindow::EvCaptureChanged(HWND) { DefaultProcessing(); }
HBRUSH TWindow::EvCtlColor(HDC, HWND, UINT) { return reinterpret_cast<HBRUSH>(DefaultProcessing()); }
void TWindow::EvChildInvalid(HWND) { DefaultProcessing(); }

LRESULT CALLBACK WindowProcedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWindow* window = TWindow::FromHandle(handle);
    if (!window && windowBeingCreated)
    {
        window = std::exchange(windowBeingCreated, nullptr);
        const HRESULT bound = Orv::CatchReturn([&] { window->Bind(handle, nullptr); });
        if (FAILED(bound))
        {
            Orv::LogHandlerFailure(handle, msg, bound);
            window = nullptr;
        }
    }
    if (!window)
        return ::DefWindowProcW(handle, msg, wParam, lParam);
    const LRESULT result = window->ReceiveMessage(msg, wParam, lParam);
    if (msg == WM_NCDESTROY)
        if (TWindow* stillBound = TWindow::FromHandle(handle))
            stillBound->Unbind();
    return result;
}

} // namespace OWL
