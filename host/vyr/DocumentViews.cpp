#include "DocumentViews.h"

#include "hostapi/HostTraceView.h"
#include "hostapi/VyrComments.h"

#include "foundation/com/ComBoundary.h"

#include <algorithm>

namespace Vyr
{

HRESULT STDMETHODCALLTYPE ViewItem::GetView(IUnknown** view)
{
    return Orv::AnswerReference(view, view_.Get(), S_FALSE);
}

HRESULT STDMETHODCALLTYPE ViewItem::Close()
{
    if (!node_)
        return S_FALSE;
    // The item stays alive while its view closes: the view's closing removes it from its node.
    const Orv::ComPtr<ViewItem> self(this);
    if (Orv::ComPtr<IUnknown> view = std::move(view_))
    {
        Orv::ComPtr<IDocView2> shown;
        // A view that stays open (the document's own data view) stays the document's: dropped from it, the
        // module could no longer scroll or shade it for the loop it chose.
        if (SUCCEEDED(view->QueryInterface(IID_IDocView2, shown.PutVoid())) && shown && shown->Close() != S_OK)
        {
            view_ = std::move(view);
            return S_FALSE;
        }
    }
    if (node_)
        std::exchange(node_, nullptr)->Remove(this);
    return S_OK;
}

ViewNode::~ViewNode()
{
    for (const Orv::ComPtr<ViewItem>& item : items)
        item->Orphan();
}

ViewItem& ViewNode::Open(ULONG typeId)
{
    items.push_back(Orv::ComPtr<ViewItem>::Adopt(new ViewItem(typeId, *this)));
    return *items.back().Get();
}

ViewItem* ViewNode::Awaiting(ULONG typeId) const
{
    const auto found = std::find_if(items.begin(), items.end(),
                                    [typeId](const auto& item) { return item->TypeId() == typeId && !item->View(); });
    return found == items.end() ? nullptr : found->Get();
}

bool ViewNode::Drop(IUnknown* view)
{
    const auto found =
        std::find_if(items.begin(), items.end(), [view](const auto& item) { return item->View() == view; });
    if (found != items.end())
    {
        const Orv::ComPtr<ViewItem> item = *found;
        item->Orphan();
        items.erase(found);
        return true;
    }
    return std::any_of(children.begin(), children.end(), [view](const Orv::ComPtr<IHostViewCollection>& child) {
        return static_cast<PaneViews*>(child.Get())->node.Drop(view);
    });
}

bool ViewNode::Holds(ULONG typeId) const
{
    return std::any_of(items.begin(), items.end(), [typeId](const auto& item) { return item->TypeId() == typeId; });
}

void ViewNode::Remove(const ViewItem* item)
{
    std::erase_if(items, [item](const auto& held) { return held.Get() == item; });
}

namespace
{

template <class Held>
HRESULT CountOf(const std::vector<Orv::ComPtr<Held>>& list, ULONG* count)
{
    return count ? (*count = static_cast<ULONG>(list.size()), S_OK) : E_POINTER;
}

// Hands out the entry at index with one reference for the caller.
template <class Held, class Face>
HRESULT EntryOf(const std::vector<Orv::ComPtr<Held>>& list, ULONG index, Face** entry)
{
    if (!entry)
        return E_POINTER;
    *entry = nullptr;
    if (index >= list.size())
        return E_INVALIDARG;
    *entry = list[index].Get();
    (*entry)->AddRef();
    return S_OK;
}

} // namespace

template <class Base>
HRESULT STDMETHODCALLTYPE ViewCollectionFace<Base>::GetItemCount(ULONG* count)
{
    return CountOf(node.items, count);
}

template <class Base>
HRESULT STDMETHODCALLTYPE ViewCollectionFace<Base>::GetItem(ULONG index, IHostViewItem** item)
{
    return EntryOf(node.items, index, item);
}

template <class Base>
HRESULT STDMETHODCALLTYPE ViewCollectionFace<Base>::GetChildCount(ULONG* count)
{
    return CountOf(node.children, count);
}

template <class Base>
HRESULT STDMETHODCALLTYPE ViewCollectionFace<Base>::GetChild(ULONG index, IHostViewCollection** child)
{
    return EntryOf(node.children, index, child);
}

template class ViewCollectionFace<HeapComObject<IHostViewCollection, &IID_IHostViewCollection>>;
template class ViewCollectionFace<DelegatingFace<IHostViewCollection>>;

namespace
{
constexpr ULONG OpenViewMessage = 0x80010000;
constexpr ULONG ShowPaneViewMessage = 0x80010020;
constexpr ULONG PaneViewObjectType = 0x80010016;
} // namespace

void DocumentViews::Take(ULONG id, const std::vector<ULONG>& words, const std::optional<HostContextDescription>& context)
{
    // Open: (4, view type). Show in the pane: (20, view type, 1), sent in the context of the pane view's
    // host object (type PaneViewObjectType for that view type); a pane shows a view once.
    if (id == OpenViewMessage && words.size() >= 2)
        node.Open(words[1]);
    else if (id == ShowPaneViewMessage && words.size() >= 3 && words[2] == 1 && context &&
             context->type == PaneViewObjectType && context->first == words[1] && !Pane().node.Holds(words[1]))
        Pane().node.Open(words[1]);
}

namespace
{

// The identity under which the tree keeps a view: its IUnknown, whichever face it was given by.
Orv::ComPtr<IUnknown> Identity(IUnknown* view)
{
    Orv::ComPtr<IUnknown> identity;
    if (view)
        view->QueryInterface(IID_IUnknown, identity.PutVoid());
    return identity;
}

bool ShowPositionIn(IUnknown* view, const TickPosition& position)
{
    Orv::ComPtr<IHostTraceView> trace;
    return view && SUCCEEDED(view->QueryInterface(IID_IHostTraceView, trace.PutVoid())) && trace &&
           SUCCEEDED(trace->ShowPosition(&position));
}

} // namespace

void DocumentViews::Show(IUnknown* view)
{
    const Orv::ComPtr<IUnknown> identity = Identity(view);
    Orv::ComPtr<IDocView2> shown;
    ULONG id[2] = {};
    if (!identity || FAILED(view->QueryInterface(IID_IDocView2, shown.PutVoid())) || !shown ||
        FAILED(shown->GetViewId(id)))
        return;
    const auto holds = [&](const ViewNode& in) {
        return std::any_of(in.items.begin(), in.items.end(),
                           [&](const auto& item) { return item->View() == identity.Get(); });
    };
    // Activating a view again changes nothing.
    if (holds(node) || (pane_ && holds(pane_->node)))
        return;
    ViewItem* item = node.Awaiting(id[0]);
    if (!item && pane_)
        item = pane_->node.Awaiting(id[0]);
    (item ? *item : node.Open(id[0])).Show(identity.Get());
    // A document opened with a loop chosen asks for it before the host has made its data view.
    if (unshown_ && unshown_->viewType == id[0] && ShowPositionIn(identity.Get(), unshown_->position))
        unshown_.reset();
}

void DocumentViews::Drop(IUnknown* view)
{
    if (const Orv::ComPtr<IUnknown> identity = Identity(view))
        node.Drop(identity.Get());
}

PaneViews& DocumentViews::Pane()
{
    if (!pane_)
    {
        pane_ = new PaneViews();
        node.children.push_back(Orv::ComPtr<IHostViewCollection>::Adopt(pane_));
    }
    return *pane_;
}

bool DocumentViews::ShowComment(IMessage* message, ULONG mainDataViewType)
{
    Orv::ComPtr<IShowComment2Message> show;
    Orv::ComPtr<IStrixComment> comment;
    ULONG offset = 0;
    LONG block = 0;
    if (!message || FAILED(message->QueryInterface(IID_IShowComment2Message, show.PutVoid())) || !show ||
        FAILED(show->GetComment(comment.Put())) || !comment || FAILED(comment->GetPosition(&offset, &block)))
        return false;
    const TickPosition position{block, static_cast<int32_t>(offset)};
    unshown_.reset();
    for (const auto& item : node.items)
        if (item->TypeId() == mainDataViewType && ShowPositionIn(item->View(), position))
            return true;
    unshown_ = UnshownComment{position, mainDataViewType};
    return false;
}

} // namespace Vyr
