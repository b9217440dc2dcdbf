// The host's main window: its title names the document, its menu bar carries the menus the module's
// classes added, and the module's views sit in it as child windows of its scrolling views area. The views
// are tiled until the document arranges them; the view the document shows in the host's pane (its
// workflow) is docked at the left. The frame follows what the document asks of its host: views opened, shown, placed and closed.
#pragma once

#include "host/app/gui/HostMenus.h"
#include "host/app/gui/ModuleClasses.h"
#include "host/app/gui/PrintPreviewWindow.h"
#include "host/app/gui/ScrollingViewsArea.h"
#include "host/app/gui/ViewFrame.h"
#include "host/app/gui/ViewPrinting.h"

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

struct IVyrStandIn;

namespace Host
{

// The module's command that shows the workflow's view: enabled while the workflow is on.
inline constexpr wchar_t WorkflowMenuPath[] = L"Sistra|Workflow";

class FrameWindow
{
public:
    // The host's own menus come first: File (Open..., Save, Save As..., Print..., Print Preview..., Print
    // Window..., Export...) and Edit (Copy, Clear Data, Delete Record..., Set and Clear Analysis Range), the
    // view commands sent to the active view as the host's messages.
    // Throws std::runtime_error when the window cannot be made.
    FrameWindow(const std::wstring& title, std::vector<MenuCommandEntry> menus, const RECT& place);
    ~FrameWindow();
    FrameWindow(const FrameWindow&) = delete;
    FrameWindow& operator=(const FrameWindow&) = delete;

    HWND Handle() const { return window_; }
    // The document whose commands the menus route to and whose requests for views the frame follows,
    // with the view classes it opens them from.
    void ShowDocument(IUnknown* document, std::vector<ViewClassEntry> viewClasses);
    // Opens a view of the class on document in a frame of its own inside this window.
    ViewFrame& OpenView(IDocViewClass& viewClass, IUnknown* document);
    const std::vector<std::unique_ptr<ViewFrame>>& Views() const { return views_; }
    // A window of the host's own (a child of Handle(), its main data view) across the top of the views'
    // area, as high as its least height asks within a fifth and a third of the area, the module's views
    // below it; the whole area when no view of the module is open.
    void SetTopWindow(HWND window);
    // A strip of the host's own (a child of Handle(), its sampling bar) of that height across the top of
    // the views' area, above the main data view; null: none.
    void SetToolStrip(HWND window, int height);
    // The view of that class name; null when none is open.
    ViewFrame* FindView(const std::wstring& className) const;
    ViewFrame* ActiveView() const { return active_; }
    // Closes every view (before the document they show closes).
    void CloseViews();
    // Runs the menu command at that path as a person would choose it; false when it is not enabled.
    bool ChooseCommand(const std::wstring& path);
    // Whether the menu command at that path is enabled, as its handlers answer when its menu opens.
    bool CommandEnabled(const std::wstring& path) const;
    // An item of a menu of the host's own: what choosing it does.
    struct HostMenuItem
    {
        std::wstring caption;
        std::function<void()> run;
    };
    // A menu of the host's own on the bar, after the module's menus; a caption already there gains the items.
    void AddHostMenu(const std::wstring& caption, std::vector<HostMenuItem> items);
    // Does what the document asked of its host since the last time, and lets closed views go.
    void FollowDocument();
    // The framework through which the host's own commands reach the views and its printer; the frame
    // prints its active view when the site of the document's views is asked to.
    void SetHost(IVyrStandIn* standIn);
    // What File > Export... does; without it the command is disabled.
    void SetExporter(std::function<void()> exporter) { exporter_ = std::move(exporter); }
    // What File > Open..., Save and Save As... do with the host's document file.
    struct DocumentFileActions
    {
        std::function<void()> open, save, saveAs;
    };
    void SetDocumentFileActions(DocumentFileActions actions) { fileActions_ = std::move(actions); }
    // What Edit > Clear Data and Edit > Delete Record... do; without them the commands do nothing.
    struct EditActions
    {
        std::function<void()> clearData, deleteRecord;
    };
    void SetEditActions(EditActions actions) { editActions_ = std::move(actions); }
    // A command of the host's own: what it does and whether it is enabled now.
    struct HostCommand
    {
        std::function<void()> run;
        std::function<bool()> enabled;
    };
    // What Edit > Set Analysis Range and Edit > Clear Analysis Range do; without them both are disabled.
    void SetAnalysisRangeCommands(HostCommand set, HostCommand clear)
    {
        rangeCommands_ = {std::move(set), std::move(clear)};
    }
    // Opens one of the host's own windows that a document asks for (its id as the document names it).
    void SetHostWindowOpener(std::function<void(ULONG window)> opener) { openHostWindow_ = std::move(opener); }
    // The print preview the last Print Preview... opened; null when none is open.
    PrintPreviewWindow* Preview() const { return preview_ && preview_->Handle() ? preview_.get() : nullptr; }
    // Runs the window's messages until it is closed; the exit code of the loop.
    // hooks: the framework whose modules' loop hooks see each message first and do their idle work.
    int Run(IVyrStandIn* hooks = nullptr);
    // One message as the loop handles it: the hooks' modules see it first (a table's keys), then it is
    // translated and dispatched, and what the document asked meanwhile is done.
    void HandleLoopMessage(MSG& message, IVyrStandIn* hooks);

private:
    // A view's place as shares of the views' area, so that it keeps its place as the frame is sized.
    struct Share
    {
        double left, top, right, bottom;
    };

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    ViewFrame& OpenFrame(IDocViewClass& viewClass, IUnknown* document);
    // The pane's view at the left; the host's data view across the top; the others where the document
    // placed them, filling the area, else tiled.
    void Layout();
    RECT ViewsArea() const;
    static SIZE LeastSizeOf(HWND window);
    static int LeastHeightOf(HWND window);
    static int FirstOfClasses(const std::vector<ViewFrame*>& views, std::span<const wchar_t* const> classes,
                              int skipped = -1);
    static SIZE LeastFrameSize(const std::vector<ViewFrame*>& views, int index);
    // The view the document's arrangement is about: the first of its placed views in the frame's order
    // of focus classes; null when it placed none of them.
    ViewFrame* PlacedFocus() const;
    std::vector<RECT> ArrangePlacedViews(const std::vector<ViewFrame*>& views, const RECT& area) const;
    static std::vector<RECT> TileViews(const std::vector<ViewFrame*>& views, const RECT& area);
    void Execute(UINT itemId);
    CommandRoute RouteOf(const MenuCommandEntry& entry) const;
    // The menu command at that path; null when the menus have none.
    const MenuCommandEntry* CommandAt(const std::wstring& path) const;
    // The host object of the document's frame: the Vyr context of the frame's windows; null without a
    // document.
    IUnknown* DocumentContext() const;
    // Whether the window holding the focus is in the document's context: the first answer to the host's
    // context question from the focus up to the frame (the frame's own when the focus is elsewhere).
    bool FocusInDocumentContext() const;
    void ActivateViewAt(POINT screenPoint);
    void Activate(ViewFrame& view);
    ViewFrame* ViewOfType(ULONG typeId) const;
    ViewFrame* ShowViewOfType(ULONG typeId);
    template <class Predicate>
    void CloseViewsWhere(Predicate predicate);
    void CloseViewsOfType(ULONG typeId);
    void TakeHostMessage(ULONG id, const std::vector<ULONG>& words);
    void DropClosedViews();
    std::vector<MenuCommandEntry> WithHostCommands(std::vector<MenuCommandEntry> moduleMenus);
    // Sends the host's message to the active view; what a print message printed goes to the user.
    void SendToActiveView(ULONG message);
    PrintableView PrintableActiveView() const;
    // Runs a host command; a failure is told to the user.
    void RunHostCommand(const std::function<void()>& command);

    HWND window_ = nullptr;
    HostMenus menus_;
    std::unique_ptr<ScrollingViewsArea> viewsArea_; // the views' parent, but the pane's
    std::vector<std::unique_ptr<ViewFrame>> views_;
    std::map<const ViewFrame*, Share> placed_;
    ViewFrame* active_ = nullptr;
    ViewFrame* pane_ = nullptr;  // the view docked in the host's pane
    HWND shownView_ = nullptr;   // the frame of the view the document last asked to show
    bool arranged_ = false;      // the document placed views since the last layout
    SIZE arrangedArea_{};        // the size of the views' area at the last layout
    HWND top_ = nullptr;         // the host's own window across the top
    HWND strip_ = nullptr;       // the host's strip above it
    int stripHeight_ = 0;
    Orv::ComPtr<IUnknown> document_;
    std::vector<ViewClassEntry> viewClasses_;
    std::vector<HostMenuItem> hostItems_;
    ULONG hostMessagesSeen_ = 0;
    bool running_ = false;  // closing the window ends Run's loop
    IVyrStandIn* standIn_ = nullptr;
    std::function<void()> exporter_;
    DocumentFileActions fileActions_;
    EditActions editActions_;
    struct
    {
        HostCommand set, clear;
    } rangeCommands_;
    std::map<std::wstring, HMENU> hostPopups_; // the host's own menus by caption
    std::function<void(ULONG)> openHostWindow_;
    std::unique_ptr<PrintPreviewWindow> preview_;
    ViewPicturePrinter printer_{[this] { return PrintableActiveView(); }};
};

} // namespace Host
