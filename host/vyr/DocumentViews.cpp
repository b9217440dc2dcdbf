#include "DocumentViews.h"

#include <algorithm>

namespace Vyr
{

HRESULT STDMETHODCALLTYPE ViewItem::Close()
{
    if (!node_)
        return S_FALSE;
    std::exchange(node_, nullptr)->Remove(this);
    return S_OK;
}

ViewNode::~ViewNode()
{
    for (const Orv::ComPtr<ViewItem>& item : items)
        item->Orphan();
}

void ViewNode::Open(ULONG typeId)
{
    items.push_back(Orv::ComPtr<ViewItem>::Adopt(new ViewItem(typeId, *this)));
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
} // namespace

void DocumentViews::Take(ULONG id, const std::vector<ULONG>& words)
{
    // Open: (4, view type). Show in the pane: (20, view type, 1); a pane shows a view once.
    if (id == OpenViewMessage && words.size() >= 2)
        node.Open(words[1]);
    else if (id == ShowPaneViewMessage && words.size() >= 3 && words[2] == 1 && !Pane().node.Holds(words[1]))
        Pane().node.Open(words[1]);
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

} // namespace Vyr
