// OWL::TWindow: a C++ object bound to a Win32 window. The object is made first (with its attributes in
// Attr), the window when Create runs (or, for an alias, an existing window is bound). Messages reach
// WindowProc, which looks them up in the class's response table (derived classes before their bases)
// and otherwise does the default processing: the window class's own procedure for windows this
// library subclassed, DefWindowProc for its own.
//
// The object is found from a window handle through a window property, never through GWLP_USERDATA,
// which stays free for whoever owns the window class. Nothing thrown inside a handler leaves the
// window procedure: it is logged, and the message gets its default processing instead.
#pragma once

#include "platform/owl/Color.h"
#include "platform/owl/Geometry.h"
#include "platform/owl/ResId.h"
#include "platform/owl/window/ResponseTable.h"

#include <windows.h>

#include <string>
#include <vector>

namespace OWL
{

class TDC;
class TModule;
class TCommandEnabler;

struct TWindowAttr
{
    DWORD Style = 0;
    DWORD ExStyle = 0;
    int X = 0;
    int Y = 0;
    int W = 0;
    int H = 0;
    int Id = 0;
    TResId Menu;
    TResId AccelTable;
    void* Param = nullptr;
};

// Flags of the window object (not window styles).
enum TWindowFlag : unsigned
{
    wfAlias = 0x0001,          // bound to a window this object did not create
    wfAutoCreate = 0x0002,     // created with its parent
    wfFromResource = 0x0004,   // a dialog's control, bound by its id when the parent is set up
    wfPredefinedClass = 0x0008,// a system window class; default processing is that class's procedure
    wfFullyCreated = 0x0010,   // SetupWindow has run
    wfMainWindow = 0x0020,
    wfDeleteOnClose = 0x0800,  // the owner deletes the object when its window closes
};

class TWindow : public TEventHandler
{
public:
    // A window to be created: a child of parent (WS_CHILD | WS_VISIBLE at 0, 0 with no size) or, without
    // a parent, an overlapped top-level window at the system's default place.
    explicit TWindow(TWindow* parent, const wchar_t* title = nullptr, TModule* module = nullptr);
    // An alias of an existing window: binds it now and subclasses it; the window is not destroyed with
    // the object. Its attributes are read from the window.
    explicit TWindow(HWND handle, TModule* module = nullptr);
    ~TWindow() override;
    TWindow(const TWindow&) = delete;
    TWindow& operator=(const TWindow&) = delete;

    DECLARE_RESPONSE_TABLE(TWindow);

    // The object bound to a window, or null.
    static TWindow* FromHandle(HWND handle);

    HWND GetHandle() const { return Handle; }
    operator HWND() const { return Handle; }
    TWindow* GetParentO() const { return Parent; }
    TWindow* GetParent() const { return Parent; }
    TModule* GetModule() const { return Module; }
    HINSTANCE GetInstance() const;
    int GetId() const { return Attr.Id; }
    const std::wstring& GetCaption() const { return Title; }

    bool IsFlagSet(unsigned mask) const { return (Flags & mask) != 0; }
    void SetFlag(unsigned mask) { Flags |= mask; }
    void ClearFlag(unsigned mask) { Flags &= ~mask; }
    void EnableAutoCreate() { SetFlag(wfAutoCreate); }
    void DisableAutoCreate() { ClearFlag(wfAutoCreate); }
    // For a window with no parent object that belongs over a window this library did not make (the host's):
    // Create makes it with that window as its parent, so a popup is owned by it.
    void SetParentHandle(HWND parent) { ParentWindow = parent; }

    // Makes the window (a no-op when there is one); throws XOrv when it cannot be made.
    virtual bool Create();
    // Destroys the window (a modal dialog ends with returnValue); the object stays.
    virtual void Destroy(int returnValue = 0);
    // Asks the children; a window closes only when all agree.
    virtual bool CanClose();
    // Closes when CanClose agrees (a dialog ends with returnValue).
    virtual void CloseWindow(int returnValue = 0);

    // Messages arrive here first; the default looks them up in the response tables.
    virtual LRESULT WindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Sends a message straight through WindowProc (no window needed), as if it had arrived.
    LRESULT HandleMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0);
    // The default processing of the message being handled.
    LRESULT DefaultProcessing();
    LRESULT DefWindowProc(UINT msg, WPARAM wParam, LPARAM lParam);
    // Keyboard messages of the window's thread before dispatch; true when used up.
    virtual bool PreProcessMsg(MSG& msg);
    virtual bool IdleAction(long idleCount);

    // Command routing. EvCommand handles WM_COMMAND: a control's notification by its child-notify entry,
    // a click or a menu or accelerator command by its command entry. EvCommandEnable answers
    // WM_COMMAND_ENABLE from its enable entry; without one, a command this window handles is enabled,
    // and the question goes on to the parent.
    virtual LRESULT EvCommand(UINT id, HWND control, UINT notifyCode);
    virtual void EvCommandEnable(TCommandEnabler& enabler);
    virtual LRESULT EvNotify(UINT id, NMHDR& info);

    // Life of the window: SetupWindow after it is made (creates the auto-create children),
    // CleanupWindow before it is destroyed.
    virtual void SetupWindow();
    virtual void CleanupWindow();
    virtual void Paint(TDC& dc, bool erase, TRect& rect);

    // The window class: its name, and what it is registered with when it is this library's own.
    virtual const wchar_t* GetClassName();
    virtual void GetWindowClass(WNDCLASSEXW& windowClass);

    // Children, in the order they were made.
    const std::vector<TWindow*>& GetChildren() const { return Children; }
    TWindow* ChildWithId(int id) const;

    // Window facts and changes (the window must exist unless said otherwise).
    bool IsWindow() const { return Handle && ::IsWindow(Handle); }
    TRect GetClientRect() const;
    TRect GetWindowRect() const;
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    // Changes the style bits (in Attr too, so a window not yet made gets them).
    bool ModifyStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    bool ModifyExStyle(DWORD remove, DWORD add, UINT swpFlags = 0);
    void SetStyle(DWORD style);
    void SetCaption(const wchar_t* title);
    void SetWindowText(const wchar_t* text);
    std::wstring GetWindowText() const;
    void SetWindowFont(HFONT font, bool redraw = true);
    HFONT GetWindowFont() const;
    // Erases the background with this colour (TColor::None: the window class's brush).
    void SetBkgndColor(const TColor& color) { BkgndColor = color; }
    TColor GetBkgndColor() const { return BkgndColor; }
    void SetCursor(TModule* module, TResId cursor);

    bool ShowWindow(int command) const { return ::ShowWindow(Handle, command) != FALSE; }
    bool EnableWindow(bool enable) const { return ::EnableWindow(Handle, enable) != FALSE; }
    bool IsWindowEnabled() const { return ::IsWindowEnabled(Handle) != FALSE; }
    bool IsWindowVisible() const { return ::IsWindowVisible(Handle) != FALSE; }
    HWND SetFocus() const { return ::SetFocus(Handle); }
    void Invalidate(bool erase = true) const { ::InvalidateRect(Handle, nullptr, erase); }
    void InvalidateRect(const TRect& rect, bool erase = true) const { ::InvalidateRect(Handle, &rect, erase); }
    void Validate() const { ::ValidateRect(Handle, nullptr); }
    // While off, changes to the window (rows added to a list) are not painted.
    void SetRedraw(bool redraw) const { ::SendMessageW(Handle, WM_SETREDRAW, redraw, 0); }
    void UpdateWindow() const { ::UpdateWindow(Handle); }
    bool MoveWindow(const TRect& rect, bool repaint = false);
    bool SetWindowPos(HWND insertAfter, const TRect& rect, UINT flags);
    void ClientToScreen(TPoint& point) const { ::ClientToScreen(Handle, &point); }
    void ScreenToClient(TPoint& point) const { ::ScreenToClient(Handle, &point); }
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds) const { return ::SetTimer(Handle, id, milliseconds, nullptr); }
    bool KillTimer(UINT_PTR id) const { return ::KillTimer(Handle, id) != FALSE; }
    HWND SetCapture() const { return ::SetCapture(Handle); }
    LRESULT SendMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(Handle, msg, wParam, lParam);
    }
    bool PostMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::PostMessageW(Handle, msg, wParam, lParam) != FALSE;
    }
    LRESULT SendDlgItemMessage(int id, UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendDlgItemMessageW(Handle, id, msg, wParam, lParam);
    }
    HWND GetDlgItem(int id) const { return ::GetDlgItem(Handle, id); }

    TWindowAttr Attr;

protected:
    // The default handlers the response tables name.
    void EvPaint();
    bool EvEraseBkgnd(HDC dc);
    void EvSize(UINT sizeType, const TSize& size);
    void EvMove(const TPoint& clientOrigin);
    int EvCreate(CREATESTRUCTW& create);
    void EvDestroy();
    void EvNCDestroy();
    void EvClose();
    UINT EvNCHitTest(const TPoint& screenPoint);
    void EvLButtonDown(UINT modKeys, const TPoint& point);
    void EvLButtonUp(UINT modKeys, const TPoint& point);
    void EvLButtonDblClk(UINT modKeys, const TPoint& point);
    void EvRButtonDown(UINT modKeys, const TPoint& point);
    void EvRButtonUp(UINT modKeys, const TPoint& point);
    void EvMButtonDown(UINT modKeys, const TPoint& point);
    void EvMouseMove(UINT modKeys, const TPoint& point);
    bool EvMouseWheel(UINT modKeys, int delta, const TPoint& screenPoint);
    void EvMouseLeave();
    void EvKeyDown(UINT key, UINT repeatCount, UINT flags);
    void EvKeyUp(UINT key, UINT repeatCount, UINT flags);
    void EvChar(UINT key, UINT repeatCount, UINT flags);
    void EvTimer(UINT timerId);
    void EvSetFocus(HWND lostFocus);
    void EvKillFocus(HWND getsFocus);
    bool EvSetCursor(HWND window, UINT hitTest, UINT mouseMsg);
    // A child scroll bar's messages, and an owner-drawn child's drawing and measuring, go to the
    // child's object when its table handles them.
    void EvHScroll(UINT code, UINT position, HWND bar);
    void EvVScroll(UINT code, UINT position, HWND bar);
    LRESULT EvDrawItem(WPARAM id, LPARAM item);
    LRESULT EvMeasureItem(WPARAM id, LPARAM item);
    // Asks for every command item of the popup whether it is enabled (WM_COMMAND_ENABLE).
    void EvInitMenuPopup(HMENU popup, UINT index, bool sysMenu);
    void EvMenuSelect(UINT item, UINT flags, HMENU menu);
    UINT EvGetDlgCode(const MSG* msg);
    void EvSysColorChange();
    void EvGetMinMaxInfo(MINMAXINFO& info);
    void EvContextMenu(HWND window, int x, int y);
    void EvShowWindow(bool show, UINT status);
    void EvWindowPosChanged(const WINDOWPOS& position);
    UINT EvMouseActivate(HWND topLevel, UINT hitTest, UINT msg);
    void EvCaptureChanged(HWND gainsCapture);
    HBRUSH EvCtlColor(HDC dc, HWND child, UINT controlType);
    void EvChildInvalid(HWND child);

    // Creates the children that are marked for automatic creation.
    void CreateChildren();
    // Takes a child off the list (when the child object ends).
    virtual void RemoveChild(TWindow* child);
    // Binds the object to a window it did not make (subclassing its procedure).
    void SubclassWindow(HWND handle);
    // Reads position, size, style, id and title of the bound window into Attr and Title.
    void GetWindowAttributes();
    // Runs SetupWindow once and marks the window fully created.
    void PerformSetup();

    HWND Handle = nullptr;
    TWindow* Parent = nullptr;
    HWND ParentWindow = nullptr;
    TModule* Module = nullptr;
    std::wstring Title;
    unsigned Flags = 0;
    TColor BkgndColor = TColor::None;
    HCURSOR Cursor = nullptr;
    HACCEL Accelerators = nullptr;

private:
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM);
    friend class TDialog;

    struct TCurrentEvent
    {
        UINT Msg = 0;
        WPARAM WParam = 0;
        LPARAM LParam = 0;
    };
    // A message in the object's hands: it makes the message the current event and puts the previous one
    // back, unless the object was deleted meanwhile. An object may go while its window's message passes
    // through it: a dialog deletes what it owns at its last message, an alias of its window among them.
    class TMessageFrame
    {
    public:
        TMessageFrame(TWindow& window, TCurrentEvent event);
        ~TMessageFrame();
        TMessageFrame(const TMessageFrame&) = delete;
        TMessageFrame& operator=(const TMessageFrame&) = delete;
        bool WindowDeleted() const { return deleted_; }

    private:
        TWindow& window_;
        TCurrentEvent saved_;
        bool* outer_;
        bool deleted_ = false;
    };

    void AddChild(TWindow* child) { Children.push_back(child); }
    LRESULT ForwardToChild(HWND child, UINT msg, WPARAM wParam, LPARAM lParam);
    void RegisterClassIfNeeded(const wchar_t* className, WNDPROC& classProcedure);
    HWND ParentHandle() const;
    // Binding of object and window; DefaultProc is what default processing calls.
    void Bind(HWND handle, WNDPROC defaultProc);
    void Unbind();
    // A message from the window procedure: dispatched, and nothing thrown gets out.
    LRESULT ReceiveMessage(UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

    std::vector<TWindow*> Children;
    WNDPROC DefaultProc = nullptr;
    bool Subclassed = false;
    bool CleanedUp = false;
    TCurrentEvent CurrentEvent;
    bool* DeletedFlag = nullptr; // the innermost message frame's, while a message is in the object's hands
};

// The object bound to a window, or null.
inline TWindow* GetWindowPtr(HWND handle)
{
    return TWindow::FromHandle(handle);
}

// The procedure of every window the library binds.
LRESULT CALLBACK WindowProcedure(HWND handle, UINT msg, WPARAM wParam, LPARAM lParam);

} // namespace OWL
