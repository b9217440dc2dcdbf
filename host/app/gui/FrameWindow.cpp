#include "host/app/gui/FrameWindow.h"
#include "host/app/gui/WindowClass.h"

#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrDocuments.h"

#include "host/app/files/TextConversion.h"
#include "host/app/gui/FrameArrangement.h"
#include "host/app/gui/HostMessageBox.h"

#include <algorithm>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace Host
{

namespace
{

constexpr const wchar_t* FrameClass = L"SistraHostFrame";
// The frame keeps its object in its own window's extra bytes.
constexpr int FrameObjectSlot = 0;

// What a document asks of its host about its views, and the payload words the frame reads.
constexpr ULONG OpenViewMessage = 0x80010000;       // (4, view type)
constexpr ULONG PlaceViewMessage = 0x80010005;      // (2068, view type, 1, left, top, right, bottom)
constexpr ULONG ShowPaneViewMessage = 0x80010020;   // (20, view type, 1 shown / 0 closed)
constexpr ULONG ActivateViewMessage = 0x80010021;   // (20, view type, 64)
constexpr ULONG OpenHostWindowMessage = 0x80010016; // (276, the host's window, 1, 1)
constexpr size_t PlaceWords = 7;
// The host's own menu items, numbered above every item of the module's menus.
constexpr UINT FirstHostItemId = 0xE000;

// The host's question to a window: the Vyr context it is in (the address of its document frame's host
// object; 0 when it does not say).
UINT WindowContextQuestion()
{
    static const UINT question = RegisterWindowMessageW(L"VyrGetWindowContext");
    return question;
}

// The views an arrangement is about, in the order the frame prefers them: the calibration a step
// fits, the loops, the table.
constexpr const wchar_t* FocusViewClasses[] = {L"Sistra Saline Calibration GraphView", L"Sistra Cuvette Calibration View",
                                               L"Loop View", L"Sistra Hemodynamics TableView"};
// Among views nobody placed, the loops are the centre of the work and the table their companion.
constexpr const wchar_t* TiledFocusClasses[] = {L"Loop View", L"Sistra Hemodynamics TableView",
                                                L"Sistra Saline Calibration GraphView", L"Sistra Cuvette Calibration View"};

// The pane's width: a share of the frame, within what its pages need and what leaves room for views.
constexpr double PaneShare = 0.3;
constexpr int PaneNarrowest = 240, PaneWidest = 360;

} // namespace

FrameWindow::FrameWindow(const std::wstring& title, std::vector<MenuCommandEntry> menus, const RECT& place)
{
    EnsureWindowClass(FrameClass, Procedure, {true, COLOR_APPWORKSPACE, sizeof(FrameWindow*)}, "the frame's");
    HMENU bar = menus_.Build(WithHostCommands(std::move(menus)));
    window_ = CreateWindowExW(0, FrameClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE,
                              place.left, place.top, place.right - place.left, place.bottom - place.top, nullptr,
                              bar, GetModuleHandleW(nullptr), this);
    if (!window_)
    {
        const DWORD error = GetLastError();
        // The class was registered a line above: Wine answers so when its desktop has no display to draw on.
        if (error == ERROR_CANNOT_FIND_WND_CLASS)
            throw std::runtime_error("cannot make the frame window: the display cannot be opened (is DISPLAY a "
                                     "running X server this user may reach?)");
        throw std::runtime_error("cannot make the frame window: " + SystemErrorText(error));
    }
    menus_.Release();
    viewsArea_ = std::make_unique<ScrollingViewsArea>(window_);
}

FrameWindow::~FrameWindow()
{
    SetHost(nullptr);
    CloseViews();
    if (IsWindow(window_))
    {
        SetWindowLongPtrW(window_, FrameObjectSlot, 0);
        DestroyWindow(window_);
    }
}

void FrameWindow::SetHost(IVyrStandIn* standIn)
{
    if (standIn_)
        standIn_->SetViewPrinter(nullptr);
    standIn_ = standIn;
    if (standIn_)
        standIn_->SetViewPrinter(&printer_);
}

PrintableView FrameWindow::PrintableActiveView() const
{
    if (!active_)
        return {};
    wchar_t title[256] = {};
    GetWindowTextW(active_->Frame(), title, static_cast<int>(std::size(title)));
    return PrintableView{active_->ViewWindow(), title};
}

void FrameWindow::ShowDocument(IUnknown* document, std::vector<ViewClassEntry> viewClasses)
{
    document_ = Orv::ComPtr<IUnknown>(document);
    viewClasses_ = std::move(viewClasses);
    hostMessagesSeen_ = 0;
    Orv::ComPtr<IHostMessageLog> log;
    if (document && SUCCEEDED(document->QueryInterface(IID_IHostMessageLog, log.PutVoid())))
        log->GetCount(&hostMessagesSeen_);
}

ViewFrame& FrameWindow::OpenView(IDocViewClass& viewClass, IUnknown* document)
{
    ViewFrame& opened = OpenFrame(viewClass, document);
    Layout();
    return opened;
}

ViewFrame& FrameWindow::OpenFrame(IDocViewClass& viewClass, IUnknown* document)
{
    views_.push_back(std::make_unique<ViewFrame>(viewClass, document, viewsArea_->Handle(), RECT{0, 0, 320, 240}));
    // The view the host opens is its active one.
    active_ = views_.back().get();
    return *active_;
}

ViewFrame* FrameWindow::FindView(const std::wstring& className) const
{
    for (const auto& view : views_)
        if (CompareStringOrdinal(view->ClassName().c_str(), -1, className.c_str(), -1, TRUE) == CSTR_EQUAL)
            return view.get();
    return nullptr;
}

void FrameWindow::CloseViews()
{
    active_ = nullptr;
    pane_ = nullptr;
    placed_.clear();
    views_.clear();
}

RECT FrameWindow::ViewsArea() const
{
    RECT area{};
    GetClientRect(window_, &area);
    // The pane gets at least what its view names, so that its pages' controls lie whole in it.
    if (pane_)
        area.left = std::min(std::max<int>(std::clamp(static_cast<int>(area.right * PaneShare), PaneNarrowest, PaneWidest),
                                           LeastFrameSize({pane_}, 0).cx),
                             static_cast<int>(area.right / 2));
    return area;
}

void FrameWindow::SetTopWindow(HWND window)
{
    top_ = window;
    Layout();
}

void FrameWindow::SetToolStrip(HWND window, int height)
{
    strip_ = window;
    stripHeight_ = window ? height : 0;
    Layout();
}

void FrameWindow::Layout()
{
    RECT area = ViewsArea();
    if (pane_)
        MoveWindow(pane_->Frame(), 0, 0, area.left, area.bottom, TRUE);
    if (strip_ && IsWindow(strip_))
    {
        MoveWindow(strip_, area.left, area.top, area.right - area.left, stripHeight_, TRUE);
        area.top += stripHeight_;
    }
    std::vector<ViewFrame*> others;
    std::vector<HWND> frames;
    for (const auto& view : views_)
    {
        // The pane's view stays beside the views' area, whose scrolling it does not take part in.
        const HWND parent = view.get() == pane_ ? window_ : viewsArea_->Handle();
        if (GetParent(view->Frame()) != parent)
            SetParent(view->Frame(), parent);
        if (view.get() != pane_)
            others.push_back(view.get()), frames.push_back(view->Frame());
    }
    if (top_ && IsWindow(top_))
    {
        // Alone, the host's data view takes the whole area; above views, the height its lanes need.
        const int areaHeight = area.bottom - area.top;
        const int topHeight = others.empty() ? areaHeight : TopWindowHeight(areaHeight, LeastHeightOf(top_));
        MoveWindow(top_, area.left, area.top, area.right - area.left, topHeight, TRUE);
        area.top += topHeight;
    }
    viewsArea_->Arrange(area, frames, [&](const RECT& client) {
        return placed_.empty() ? TileViews(others, client) : ArrangePlacedViews(others, client);
    });
    // A view the document asked to show is brought into sight, wherever the arrangement put it; where it
    // arranged a step's views, or the person resized the area they lie in, the one the step is about.
    HWND sight = std::exchange(shownView_, nullptr);
    const SIZE areaSize{area.right - area.left, area.bottom - area.top};
    const bool resized = areaSize.cx != arrangedArea_.cx || areaSize.cy != arrangedArea_.cy;
    arrangedArea_ = areaSize;
    if (const ViewFrame* focus = (std::exchange(arranged_, false) || resized) ? PlacedFocus() : nullptr)
        sight = focus->Frame();
    viewsArea_->ScrollIntoSight(sight);
}

SIZE FrameWindow::LeastSizeOf(HWND window)
{
    MINMAXINFO least{};
    SendMessageW(window, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&least));
    return SIZE{std::max(0L, least.ptMinTrackSize.x), std::max(0L, least.ptMinTrackSize.y)};
}

int FrameWindow::LeastHeightOf(HWND window)
{
    return LeastSizeOf(window).cy;
}

// The first of the views whose class comes first in classes; -1 when none has one of them.
int FrameWindow::FirstOfClasses(const std::vector<ViewFrame*>& views, std::span<const wchar_t* const> classes,
                                int skipped)
{
    for (const wchar_t* name : classes)
        for (size_t index = 0; index < views.size(); ++index)
            if (static_cast<int>(index) != skipped &&
                CompareStringOrdinal(views[index]->ClassName().c_str(), -1, name, -1, TRUE) == CSTR_EQUAL)
                return static_cast<int>(index);
    return -1;
}

// The view the step is about is one the step placed, never one the person opened beside them.
ViewFrame* FrameWindow::PlacedFocus() const
{
    std::vector<ViewFrame*> placedViews;
    for (const auto& view : views_)
        if (view.get() != pane_ && placed_.contains(view.get()))
            placedViews.push_back(view.get());
    const int focus = FirstOfClasses(placedViews, FocusViewClasses);
    return focus < 0 ? nullptr : placedViews[static_cast<size_t>(focus)];
}

// The views the document placed keep their rows; those it did not place (a plot opened from the menu)
// join rows below them rather than break the arrangement the step made around its view, each as wide and
// high as it names.
std::vector<RECT> FrameWindow::ArrangePlacedViews(const std::vector<ViewFrame*>& views, const RECT& area) const
{
    const auto placedFocus = std::find(views.begin(), views.end(), PlacedFocus());
    const int focus = placedFocus == views.end() ? -1 : static_cast<int>(placedFocus - views.begin());
    std::vector<PlacedShare> shares(views.size());
    double bottom = 0.0;
    std::vector<size_t> unplaced;
    std::vector<int> leastWidths;
    int rowLeast = 0;
    for (size_t index = 0; index < views.size(); ++index)
    {
        const SIZE least = LeastFrameSize(views, static_cast<int>(index));
        shares[index].least = least;
        const auto found = placed_.find(views[index]);
        if (found != placed_.end())
        {
            const Share& share = found->second;
            shares[index] = {share.left, share.top, share.right, share.bottom, static_cast<int>(index) == focus, least};
            bottom = std::max(bottom, share.bottom);
            continue;
        }
        unplaced.push_back(index);
        leastWidths.push_back(least.cx);
        rowLeast = std::max<int>(rowLeast, least.cy);
    }
    const std::vector<PlacedShare> joined = ShareRows(leastWidths, unplaced.size(), area.right - area.left, bottom, 0.5);
    for (size_t at = 0; at < unplaced.size(); ++at)
        shares[unplaced[at]] = {joined[at].left, joined[at].top, joined[at].right, joined[at].bottom, false,
                                shares[unplaced[at]].least};
    return ArrangeInRows(shares, area, rowLeast);
}

// Nobody placed the views: the loops take the largest tile, beside the table, the others below, where the
// area scrolls to them when it is too small for them to be usable.
std::vector<RECT> FrameWindow::TileViews(const std::vector<ViewFrame*>& views, const RECT& area)
{
    const int focus = FirstOfClasses(views, TiledFocusClasses);
    const int companion = FirstOfClasses(views, TiledFocusClasses, focus);
    // A view that names its least size gets it in its tile, so that none scrolls its controls there.
    std::vector<int> leastWidths;
    int rowLeast = UsableTile.cy;
    for (size_t index = 0; index < views.size(); ++index)
    {
        const SIZE least = LeastFrameSize(views, static_cast<int>(index));
        leastWidths.push_back(least.cx);
        if (static_cast<int>(index) != focus && static_cast<int>(index) != companion)
            rowLeast = std::max<int>(rowLeast, least.cy);
    }
    std::vector<PlacedShare> shares =
        TiledShares(views.size(), focus, companion, SIZE{area.right - area.left, area.bottom - area.top}, leastWidths);
    if (focus >= 0)
        shares[static_cast<size_t>(focus)].least = LeastFrameSize(views, focus);
    return ArrangeInRows(shares, area, rowLeast);
}

// The least size of the view's frame: what its view needs and the frame's caption and borders (not the
// scroll bars the frame shows while it is smaller); 0 in a direction the view names none for.
SIZE FrameWindow::LeastFrameSize(const std::vector<ViewFrame*>& views, int index)
{
    if (index < 0)
        return {};
    const SIZE least = LeastSizeOf(views[static_cast<size_t>(index)]->ViewWindow());
    const HWND frame = views[static_cast<size_t>(index)]->Frame();
    RECT outer{}, inner{};
    GetWindowRect(frame, &outer);
    GetClientRect(frame, &inner);
    const LONG style = GetWindowLongW(frame, GWL_STYLE);
    const int scrollWidth = style & WS_VSCROLL ? GetSystemMetrics(SM_CXVSCROLL) : 0;
    const int scrollHeight = style & WS_HSCROLL ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    return SIZE{least.cx > 0 ? least.cx + (outer.right - outer.left) - inner.right - scrollWidth : 0,
                least.cy > 0 ? least.cy + (outer.bottom - outer.top) - inner.bottom - scrollHeight : 0};
}

// The document's commands go to it only while the person works in a window of its context, not in one that
// says it belongs to another document's frame.
CommandRoute FrameWindow::RouteOf(const MenuCommandEntry& entry) const
{
    return CommandRoute(active_ ? static_cast<IUnknown*>(&active_->View()) : nullptr,
                        FocusInDocumentContext() ? document_.Get() : nullptr, entry.owner.Get());
}

IUnknown* FrameWindow::DocumentContext() const
{
    Orv::ComPtr<IVyrDocumentFrame> frame;
    Orv::ComPtr<IUnknown> context;
    if (!document_ || FAILED(document_->QueryInterface(IID_IVyrDocumentFrame, frame.PutVoid())) || !frame ||
        FAILED(frame->GetHostObject(context.Put())))
        return nullptr;
    // The document's frame keeps its host object as long as the document, which the frame holds.
    return context.Get();
}

bool FrameWindow::FocusInDocumentContext() const
{
    const HWND focus = GetFocus();
    if (!focus || !IsChild(window_, focus))
        return true;
    for (HWND window = focus; window && window != window_; window = GetParent(window))
        if (const LRESULT context = SendMessageW(window, WindowContextQuestion(), 0, 0))
            return context == reinterpret_cast<LRESULT>(DocumentContext());
    return true;
}

std::vector<MenuCommandEntry> FrameWindow::WithHostCommands(std::vector<MenuCommandEntry> moduleMenus)
{
    using namespace HostViewCommand;
    const auto sender = [this](ULONG message) { return [this, message] { SendToActiveView(message); }; };
    // The host's own actions are set after the menus are made: each is called through its member.
    const auto call = [](const std::function<void()>& action) {
        return [&action] {
            if (action)
                action();
        };
    };
    const auto enabledBy = [](const HostCommand& command) {
        return [&command] { return command.run && (!command.enabled || command.enabled()); };
    };
    std::vector<MenuCommandEntry> entries{
        {0, L"File|Open...", L"&Open...", true, {}, {}, call(fileActions_.open)},
        {0, L"File|Save", L"&Save", true, {}, {}, call(fileActions_.save)},
        {0, L"File|Save As...", L"Save &As...", true, {}, {}, call(fileActions_.saveAs)},
        {0, L"File|-", L"", true, {}, {}, {}},
        {PrintState, L"File|Print...", L"&Print...", true, {}, {}, sender(Print)},
        // The preview is the printout on the screen: it is enabled as printing is.
        {PrintState, L"File|Print Preview...", L"Print Pre&view...", true, {}, {}, sender(PrintPreview), true},
        {PrintWindowState, L"File|Print Window...", L"Print &Window...", true, {}, {}, sender(PrintWindow), true},
        {0, L"File|-", L"", true, {}, {}, {}},
        {0, L"File|Export...", L"&Export...", true, {}, {}, call(exporter_)},
        {CopyState, L"Edit|Copy", L"&Copy", true, {}, {}, sender(Copy)},
        {0, L"Edit|Clear Data", L"Clear &Data", true, {}, {}, call(editActions_.clearData)},
        {0, L"Edit|Delete Record...", L"Delete &Record...", true, {}, {}, call(editActions_.deleteRecord)},
        {0, L"Edit|Set Analysis Range", L"Set Analysis &Range", true, {}, {}, call(rangeCommands_.set.run), false,
         enabledBy(rangeCommands_.set)},
        {0, L"Edit|Clear Analysis Range", L"Clear Analysis Ran&ge", true, {}, {}, call(rangeCommands_.clear.run), false,
         enabledBy(rangeCommands_.clear)},
    };
    std::move(moduleMenus.begin(), moduleMenus.end(), std::back_inserter(entries));
    return entries;
}

void FrameWindow::RunHostCommand(const std::function<void()>& command)
{
    try
    {
        command();
    }
    catch (const std::exception& e)
    {
        ShowHostMessageBox(window_, FromUtf8(e.what()), L"Sistra", MB_OK | MB_ICONERROR);
    }
}

void FrameWindow::SendToActiveView(ULONG message)
{
    if (!active_ || !standIn_)
        return;
    const ULONG jobsBefore = PrintJobCount(*standIn_);
    DeliverHostMessage(*standIn_, active_->View(), message);
    if (message == HostViewCommand::Copy)
        return;
    PrintedPages printed = PrintedSince(*standIn_, jobsBefore);
    if (printed.pages.empty())
        return;
    if (message == HostViewCommand::PrintPreview)
        preview_ = std::make_unique<PrintPreviewWindow>(window_, std::move(printed));
    else
        SavePrintedPages(printed, window_);
}

void FrameWindow::AddHostMenu(const std::wstring& caption, std::vector<HostMenuItem> items)
{
    // A second menu of the same caption adds its items to the first, after a separator.
    const auto [place, made] = hostPopups_.try_emplace(caption, nullptr);
    if (made)
        place->second = CreatePopupMenu();
    else if (!items.empty())
        AppendMenuW(place->second, MF_SEPARATOR, 0, nullptr);
    for (HostMenuItem& item : items)
    {
        AppendMenuW(place->second, MF_STRING, FirstHostItemId + hostItems_.size(), item.caption.c_str());
        hostItems_.push_back(std::move(item));
    }
    if (made)
        AppendMenuW(GetMenu(window_), MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(place->second), caption.c_str());
    DrawMenuBar(window_);
}

void FrameWindow::Execute(UINT itemId)
{
    if (itemId >= FirstHostItemId && itemId - FirstHostItemId < hostItems_.size())
        RunHostCommand(hostItems_[itemId - FirstHostItemId].run);
    else if (const MenuCommandEntry* entry = menus_.Find(itemId))
        RunHostCommand([&] { HostMenus::Run(*entry, RouteOf(*entry)); });
    else if (const MenuCommandEntry* popup = menus_.PopupCommandHolding(itemId))
        RouteOf(*popup).Invoke(popup->id, VyrCommandInvokeKind::PopupSelect, itemId);
}

const MenuCommandEntry* FrameWindow::CommandAt(const std::wstring& path) const
{
    for (UINT itemId = HostMenus::FirstItemId; const MenuCommandEntry* entry = menus_.Find(itemId); ++itemId)
        if (entry->path == path)
            return entry;
    return nullptr;
}

bool FrameWindow::CommandEnabled(const std::wstring& path) const
{
    const MenuCommandEntry* entry = CommandAt(path);
    if (!entry)
        return false;
    const CommandAnswer answer = HostMenus::Query(*entry, RouteOf(*entry));
    return answer.answered && answer.enabled;
}

bool FrameWindow::ChooseCommand(const std::wstring& path)
{
    const MenuCommandEntry* entry = CommandAt(path);
    return CommandEnabled(path) && HostMenus::Run(*entry, RouteOf(*entry));
}

void FrameWindow::Activate(ViewFrame& view)
{
    if (active_ == &view)
        return;
    active_ = &view;
    active_->View().Activate();
}

void FrameWindow::ActivateViewAt(POINT screenPoint)
{
    for (const auto& view : views_)
    {
        // Only the part of a view its parent shows: a view scrolled out of the views area is not there.
        RECT place{}, shown{};
        GetWindowRect(view->Frame(), &place);
        GetWindowRect(GetParent(view->Frame()), &shown);
        if (PtInRect(&place, screenPoint) && PtInRect(&shown, screenPoint))
            Activate(*view);
    }
}

ViewFrame* FrameWindow::ViewOfType(ULONG typeId) const
{
    for (const auto& view : views_)
        if (view->TypeId() == typeId && IsWindow(view->ViewWindow()))
            return view.get();
    return nullptr;
}

// The view of that type, opened when none is.
ViewFrame* FrameWindow::ShowViewOfType(ULONG typeId)
{
    ViewFrame* shown = ViewOfType(typeId);
    if (shown)
        Activate(*shown);
    for (size_t index = 0; !shown && index < viewClasses_.size(); ++index)
    {
        ULONG classType = 0;
        if (SUCCEEDED(viewClasses_[index].viewClass->GetTypeId(&classType)) && classType == typeId)
            shown = &OpenFrame(*viewClasses_[index].viewClass.Get(), document_.Get());
    }
    if (shown)
        shownView_ = shown->Frame();
    return shown;
}

template <class Predicate>
void FrameWindow::CloseViewsWhere(Predicate predicate)
{
    std::erase_if(views_, [&](const std::unique_ptr<ViewFrame>& view) {
        if (!predicate(*view))
            return false;
        if (active_ == view.get())
            active_ = nullptr;
        if (pane_ == view.get())
            pane_ = nullptr;
        placed_.erase(view.get());
        return true;
    });
}

void FrameWindow::CloseViewsOfType(ULONG typeId)
{
    CloseViewsWhere([typeId](const ViewFrame& view) { return view.TypeId() == typeId; });
}

void FrameWindow::TakeHostMessage(ULONG id, const std::vector<ULONG>& words)
{
    if ((id == OpenViewMessage || id == ActivateViewMessage) && words.size() >= 2)
        ShowViewOfType(words[1]);
    else if (id == ShowPaneViewMessage && words.size() >= 3)
    {
        if (words[2] == 0)
            CloseViewsOfType(words[1]);
        else if (ViewFrame* shown = ShowViewOfType(words[1]))
        {
            pane_ = shown;
            placed_.erase(shown);
        }
    }
    else if (id == OpenHostWindowMessage && words.size() >= 2 && openHostWindow_)
        openHostWindow_(words[1]);
    else if (id == PlaceViewMessage && words.size() >= PlaceWords)
    {
        // The document places its views in the frame's client area; the frame keeps them in the part
        // beside its pane, in the same shares.
        ViewFrame* view = ShowViewOfType(words[1]);
        RECT client{};
        GetClientRect(window_, &client);
        if (!view || view == pane_ || client.right <= 0 || client.bottom <= 0)
            return;
        const auto share = [](ULONG word, LONG whole) { return static_cast<LONG>(word) / static_cast<double>(whole); };
        placed_[view] = Share{share(words[3], client.right), share(words[4], client.bottom),
                              share(words[5], client.right), share(words[6], client.bottom)};
        arranged_ = true;
    }
}

void FrameWindow::DropClosedViews()
{
    // A view the host's document closed has let go of its window: its frame goes too.
    CloseViewsWhere([](const ViewFrame& view) { return !IsWindow(view.ViewWindow()); });
}

void FrameWindow::FollowDocument()
{
    Orv::ComPtr<IHostMessageLog> log;
    ULONG count = 0;
    const size_t viewsBefore = views_.size();
    if (document_ && SUCCEEDED(document_->QueryInterface(IID_IHostMessageLog, log.PutVoid())) &&
        SUCCEEDED(log->GetCount(&count)) && count > hostMessagesSeen_)
    {
        for (; hostMessagesSeen_ < count; ++hostMessagesSeen_)
        {
            ULONG id = 0, wordCount = 0;
            std::vector<ULONG> words(16);
            if (FAILED(log->GetEntry(hostMessagesSeen_, &id, words.data(), static_cast<ULONG>(words.size()), &wordCount)))
                continue;
            words.resize(std::min<size_t>(wordCount, words.size()));
            TakeHostMessage(id, words);
        }
        DropClosedViews();
        Layout();
        return;
    }
    DropClosedViews();
    if (views_.size() != viewsBefore)
        Layout();
}

int FrameWindow::Run(IVyrStandIn* hooks)
{
    running_ = true;
    MSG message{};
    for (;;)
    {
        if (hooks && !PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE))
            hooks->RunLoopIdle();
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0)
            return got < 0 ? -1 : static_cast<int>(message.wParam);
        HandleLoopMessage(message, hooks);
    }
}

void FrameWindow::HandleLoopMessage(MSG& message, IVyrStandIn* hooks)
{
    if (hooks && hooks->PreTranslateLoopMessage(&message) == S_OK)
        return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
    // Between messages no view's code is on the stack: views the document closed can go.
    if (IsWindow(window_))
        FollowDocument();
}

LRESULT CALLBACK FrameWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
    {
        auto* frame = static_cast<FrameWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        SetWindowLongPtrW(window, FrameObjectSlot, reinterpret_cast<LONG_PTR>(frame));
        frame->window_ = window;
    }
    auto* frame = reinterpret_cast<FrameWindow*>(GetWindowLongPtrW(window, FrameObjectSlot));
    if (!frame)
        return DefWindowProcW(window, message, wParam, lParam);
    try
    {
        return frame->OnMessage(message, wParam, lParam);
    }
    catch (...)
    {
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

LRESULT FrameWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WindowContextQuestion())
        return reinterpret_cast<LRESULT>(DocumentContext());
    switch (message)
    {
    case WM_SIZE:
        Layout();
        return 0;
    case WM_INITMENUPOPUP:
        menus_.Refresh(reinterpret_cast<HMENU>(wParam), [this](const MenuCommandEntry& entry) { return RouteOf(entry); });
        return 0;
    case WM_COMMAND:
        if (HIWORD(wParam) == 0 && lParam == 0)
        {
            Execute(LOWORD(wParam));
            return 0;
        }
        break;
    case WM_MOUSEACTIVATE:
    {
        // A click anywhere in a view activates it, also where a window of the view keeps its clicks from
        // its parents' notifications.
        const DWORD position = GetMessagePos();
        ActivateViewAt(POINT{static_cast<short>(LOWORD(position)), static_cast<short>(HIWORD(position))});
        break;
    }
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_LBUTTONDOWN || LOWORD(wParam) == WM_RBUTTONDOWN)
        {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            ClientToScreen(window_, &point);
            ActivateViewAt(point);
        }
        break;
    case WM_CLOSE:
        // The views close while the document they show is still open.
        CloseViews();
        DestroyWindow(window_);
        return 0;
    case WM_DESTROY:
        if (running_)
            PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

} // namespace Host
