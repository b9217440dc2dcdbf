// The host's tree of one document's open views. The views the document asks the host to open go in
// the top node; the workflow view, which the host docks in a pane of its own, goes in the pane's node
// below it. A view leaves its node when it is closed. A view the host shows (its window made and
// activated) is kept with the item of its type that was asked for, or with a new item in the top node.
#pragma once

#include "ComObjects.h"
#include "HostServices.h"
#include "hostapi/HostDocument.h"
#include "hostapi/VyrMessaging.h"
#include "hostapi/VyrViews.h"

#include "foundation/com/ComPtr.h"

#include <optional>
#include <utility>
#include <vector>

namespace Vyr
{

struct ViewNode;

// An open view: it closes once, leaving its node.
class ViewItem final : public HeapComObject<IHostViewItem, &IID_IHostViewItem>
{
public:
    ViewItem(ULONG typeId, ViewNode& node) : typeId_(typeId), node_(&node) {}

    HRESULT STDMETHODCALLTYPE GetViewTypeId(ULONG* typeId) override
    {
        return typeId ? (*typeId = typeId_, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetView(IUnknown** view) override;
    // Closes the view it shows too.
    HRESULT STDMETHODCALLTYPE Close() override;

    ULONG TypeId() const { return typeId_; }
    IUnknown* View() const { return view_.Get(); }
    void Show(IUnknown* view) { view_ = Orv::ComPtr<IUnknown>(view); }
    // The node goes before a caller lets go of the item: the item is then closed.
    void Orphan() { node_ = nullptr; }

private:
    ULONG typeId_;
    ViewNode* node_;
    Orv::ComPtr<IUnknown> view_;
};

// The views of one node and the nodes below it.
struct ViewNode
{
    ViewNode() = default;
    ViewNode(const ViewNode&) = delete;
    ViewNode& operator=(const ViewNode&) = delete;
    ~ViewNode();

    ViewItem& Open(ULONG typeId);
    bool Holds(ULONG typeId) const;
    // The first item of the type that shows no view yet; null when there is none.
    ViewItem* Awaiting(ULONG typeId) const;
    // Removes the item that shows view, here or below; false when none does.
    bool Drop(IUnknown* view);
    void Remove(const ViewItem* item);

    std::vector<Orv::ComPtr<ViewItem>> items;
    std::vector<Orv::ComPtr<IHostViewCollection>> children;
};

// A node as the host hands it out; Base decides whom its references count on.
template <class Base>
class ViewCollectionFace : public Base
{
public:
    template <class... Args>
    explicit ViewCollectionFace(Args&&... args) : Base(std::forward<Args>(args)...)
    {
    }

    HRESULT STDMETHODCALLTYPE GetItemCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetItem(ULONG index, IHostViewItem** item) override;
    HRESULT STDMETHODCALLTYPE GetChildCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetChild(ULONG index, IHostViewCollection** child) override;

    ViewNode node;
};

using PaneViews = ViewCollectionFace<HeapComObject<IHostViewCollection, &IID_IHostViewCollection>>;

// The top node, a face of the document's host implementation.
class DocumentViews final : public ViewCollectionFace<DelegatingFace<IHostViewCollection>>
{
public:
    using ViewCollectionFace::ViewCollectionFace;

    // What a message the document sent its host does to its views.
    void Take(ULONG id, const std::vector<ULONG>& words, const std::optional<HostContextDescription>& context);
    // The host shows view (a view object of the module) or has closed it.
    void Show(IUnknown* view);
    void Drop(IUnknown* view);
    // Brings the open main data view of the document (of type mainDataViewType) to the comment that
    // message carries; false when the message has no comment or no such view is open. The place of a
    // comment no view was open for is shown by the first such view the host shows afterwards.
    bool ShowComment(IMessage* message, ULONG mainDataViewType);

private:
    PaneViews& Pane();

    PaneViews* pane_ = nullptr;
    struct UnshownComment
    {
        TickPosition position;
        ULONG viewType;
    };
    std::optional<UnshownComment> unshown_;
};

} // namespace Vyr
