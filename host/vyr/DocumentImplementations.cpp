#include "DocumentImplementations.h"
#include "DocumentViews.h"
#include "Framework.h"
#include "hostapi/HostChannelCalc.h"
#include "hostapi/HostDocument.h"
#include "hostapi/HostTraceView.h"
#include "hostapi/VyrComments.h"

#include "foundation/com/ComBoundary.h"

#include <algorithm>
#include <optional>
#include <cstring>
#include <vector>

namespace Vyr
{
namespace
{

// The class implementation handles none of the module's commands: the class's own map answers them.
class ClassCommands final : public DelegatingFace<IVyrCommandHandler>
{
public:
    using DelegatingFace::DelegatingFace;
    HRESULT STDMETHODCALLTYPE Execute(ULONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE QueryState(ULONG, IVyrCommandState*) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Invoke(ULONG, ULONG, ULONG_PTR, ULONG_PTR) override { return S_FALSE; }
};

// What the document broadcasts to its views reaches whoever observes them (the pages of its workflow
// do); the framework's subject manager keeps the observers, as it keeps every subject's.
class ViewBroadcaster final : public DelegatingFace<ISubject>
{
public:
    using DelegatingFace::DelegatingFace;
    ~ViewBroadcaster() { Framework().subjects.ForgetSubject(this); }
    ViewBroadcaster(const ViewBroadcaster&) = delete;
    ViewBroadcaster& operator=(const ViewBroadcaster&) = delete;

    HRESULT STDMETHODCALLTYPE Notify(ULONG eventId, void* data) override
    {
        return Framework().subjects.Notify(this, eventId, data);
    }
    HRESULT STDMETHODCALLTYPE AddObserver(IObserver* observer) override
    {
        return Framework().subjects.AddObserver(this, observer);
    }
    HRESULT STDMETHODCALLTYPE RemoveObserver(IObserver* observer) override
    {
        return Framework().subjects.RemoveObserver(this, observer);
    }
    HRESULT STDMETHODCALLTYPE AddObserverForEvent(IObserver* observer, ULONG eventId, ULONG flags) override
    {
        return Framework().subjects.AddObserverForEvent(this, observer, eventId, flags);
    }
    void STDMETHODCALLTYPE Destroy() override {}
};

class DocumentFrame final : public DelegatingFace<IVyrDocumentFrame>
{
public:
    DocumentFrame(IUnknown* outer, IUnknown* services) : DelegatingFace(outer), services_(services) {}
    HRESULT STDMETHODCALLTYPE GetFrameServices(IUnknown** services) override
    {
        return Orv::AnswerReference(services, services_, E_FAIL);
    }

    // The frame's own host object, which windows of the frame answer the host's context question with.
    // The stand-in's documents keep no range beside their selection: the object answers nothing more.
    HRESULT STDMETHODCALLTYPE GetHostObject(IUnknown** object) override
    {
        if (!object)
            return E_POINTER;
        *object = &frameObject_;
        frameObject_.AddRef();
        return S_OK;
    }

private:
    IUnknown* services_;
    StaticComObject<IUnknown, &IID_IUnknown> frameObject_;
};

// The site of the document's views: the framework's printing of views, and the frame's host object as
// the owner the views' printouts name.
class DocumentViewSite final : public DelegatingFace<IVyrViewSite>
{
public:
    DocumentViewSite(IUnknown* outer, DocumentFrame& frame) : DelegatingFace(outer), frame_(frame) {}
    HRESULT STDMETHODCALLTYPE GetSiteObject(IVyrViewSiteObject** object) override
    {
        if (!object)
            return E_POINTER;
        *object = &Framework().viewSite;
        (*object)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetViewInterface(IUnknown** view) override
    {
        return frame_.GetHostObject(view);
    }

private:
    DocumentFrame& frame_;
};

// A document frame answers the host's questions about its document's channels (the table window names its
// channel cells by them) for the host document it shows: each call goes to that document's own face.
template <class Face, const IID* Iid>
class HostDocumentChannelFace : public DelegatingFace<Face>
{
public:
    HostDocumentChannelFace(IUnknown* outer, IUnknown* hostDocument)
        : DelegatingFace<Face>(outer), hostDocument_(hostDocument)
    {
    }
    bool Answered() const { return static_cast<bool>(HostFace()); }

protected:
    template <class Call>
    HRESULT Ask(Call&& call) const
    {
        const Orv::ComPtr<Face> face = HostFace();
        return face ? call(*face.Get()) : E_NOINTERFACE;
    }

private:
    Orv::ComPtr<Face> HostFace() const
    {
        Orv::ComPtr<Face> face;
        if (hostDocument_)
            hostDocument_->QueryInterface(*Iid, face.PutVoid());
        return face;
    }

    // The host document outlives the module's document made on it, as the document's own pointer to it does.
    IUnknown* hostDocument_;
};

class FrameChannelCounts final : public HostDocumentChannelFace<IHostChannelCounts, &IID_IHostChannelCounts>
{
public:
    using HostDocumentChannelFace::HostDocumentChannelFace;
    HRESULT STDMETHODCALLTYPE GetAllChannelCount(int32_t* count) override
    {
        return Ask([&](IHostChannelCounts& counts) { return counts.GetAllChannelCount(count); });
    }
    HRESULT STDMETHODCALLTYPE GetRecordedChannelCount(int32_t* count) override
    {
        return Ask([&](IHostChannelCounts& counts) { return counts.GetRecordedChannelCount(count); });
    }
    HRESULT STDMETHODCALLTYPE GetCalculationChannelCount(uint32_t reserved, int32_t* count) override
    {
        return Ask([&](IHostChannelCounts& counts) { return counts.GetCalculationChannelCount(reserved, count); });
    }
};

class FrameChannelDescriptions final
    : public HostDocumentChannelFace<IHostChannelDescriptions, &IID_IHostChannelDescriptions>
{
public:
    using HostDocumentChannelFace::HostDocumentChannelFace;
    HRESULT STDMETHODCALLTYPE GetChannelTitle(int32_t channel, BSTR* title) override
    {
        return Ask([&](IHostChannelDescriptions& descriptions) { return descriptions.GetChannelTitle(channel, title); });
    }
    HRESULT STDMETHODCALLTYPE IsCalculationOnSource(int32_t channel, VARIANT_BOOL* onSource) override
    {
        return Ask([&](IHostChannelDescriptions& descriptions) {
            return descriptions.IsCalculationOnSource(channel, onSource);
        });
    }
};

// Messages to the host (ids with the top bit set) are taken and kept; every other message is left to
// the module's own handlers.
class HostMessages final : public IMessageHandler, public IHostMessageLog, public IHostShownComments
{
public:
    HostMessages(IUnknown* outer, DocumentViews& views) : outer_(outer), views_(views) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return outer_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return outer_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return outer_->Release(); }

    HRESULT STDMETHODCALLTYPE HandleMessage(IMessage* message) override
    {
        ULONG id = 0, size = 0;
        const void* payload = nullptr;
        if (!message || FAILED(message->GetId(&id)) || (id & HostMessageBit) == 0)
            return 0;
        if (id == ShowComment2MessageId)
        {
            KeepComment(*message);
            views_.ShowComment(message, VyrTypeId::Make(Framework().msgIds.CodeOf(HostTypeGUID), HostMainDataViewNumber));
        }
        message->GetPayloadSize(&size);
        message->GetPayload(&payload);
        std::vector<ULONG> words(payload ? size / sizeof(ULONG) : 0);
        if (!words.empty())
            std::memcpy(words.data(), payload, words.size() * sizeof(ULONG));
        const std::optional<HostContextDescription> context = ContextOf(message);
        views_.Take(id, words, context);
        log_.push_back({id, std::move(words), context});
        return 1;
    }
    HRESULT STDMETHODCALLTYPE AddHandler(IMessageHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveHandler(IMessageHandler*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetParent(IMessageHandler*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetTarget(IUnknown** outer) override
    {
        if (!outer)
            return E_POINTER;
        *outer = outer_;
        outer_->AddRef();
        return S_OK;
    }
    BOOL STDMETHODCALLTYPE AcceptsMessage(IMessage*) override { return TRUE; }

    HRESULT STDMETHODCALLTYPE GetCount(ULONG* count) override
    {
        return count ? (*count = static_cast<ULONG>(log_.size()), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetEntry(ULONG index, ULONG* id, ULONG* words, ULONG capacity, ULONG* wordCount) override
    {
        if (!id || !wordCount || (capacity && !words))
            return E_POINTER;
        if (index >= log_.size())
            return E_INVALIDARG;
        const Entry& entry = log_[index];
        *id = entry.id;
        *wordCount = static_cast<ULONG>(entry.words.size());
        std::copy_n(entry.words.begin(), std::min<size_t>(capacity, entry.words.size()), words);
        return S_OK;
    }
    // IHostShownComments: the stand-in keeps the comments its trace display was asked to show.
    HRESULT STDMETHODCALLTYPE GetCommentCount(ULONG* count) override
    {
        return count ? (*count = static_cast<ULONG>(comments_.size()), S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetComment(ULONG index, IStrixComment** comment) override
    {
        return Orv::AnswerReference(comment, index < comments_.size() ? comments_[index].Get() : nullptr, E_INVALIDARG);
    }
    HRESULT STDMETHODCALLTYPE GetEntryContext(ULONG index, ULONG* type, ULONG* first, ULONG* second) override
    {
        if (!type || !first || !second)
            return E_POINTER;
        if (index >= log_.size())
            return E_INVALIDARG;
        const HostContextDescription context = log_[index].context.value_or(HostContextDescription{});
        *type = context.type;
        *first = context.first;
        *second = context.second;
        return log_[index].context ? S_OK : S_FALSE;
    }

private:
    static constexpr ULONG HostMessageBit = 0x80000000;
    struct Entry
    {
        ULONG id;
        std::vector<ULONG> words;
        std::optional<HostContextDescription> context;
    };
    void KeepComment(IMessage& message)
    {
        Orv::ComPtr<IShowComment2Message> show;
        Orv::ComPtr<IStrixComment> comment;
        if (FAILED(message.QueryInterface(IID_IShowComment2Message, show.PutVoid())) || !show ||
            FAILED(show->GetComment(comment.Put())) || !comment)
            return;
        comments_.push_back(comment);
    }
    static std::optional<HostContextDescription> ContextOf(IMessage* message)
    {
        Orv::ComPtr<IVyrMessageWords> creatorWords;
        ULONG origin = 0, present = 0, word = 0;
        if (FAILED(message->QueryInterface(IID_IVyrMessageWords, creatorWords.PutVoid())) || !creatorWords ||
            FAILED(creatorWords->GetCreatorWords(&origin, &present, &word)))
            return std::nullopt;
        return Framework().hostObjects.DescribeContext(word);
    }
    IUnknown* outer_;
    DocumentViews& views_;
    std::vector<Entry> log_;
    std::vector<Orv::ComPtr<IStrixComment>> comments_;
};

// What the module's views tell the document of their life: a view shown (activated) goes into the
// document's view tree, hears what the document broadcasts to its views and, as every view of a host
// document does, the events of that host document it handles (its selection shown, sampling started and
// stopped); a closed one leaves all three.
class ViewLifeFace final : public DelegatingFace<IVyrViewHostDocument>
{
public:
    ViewLifeFace(IUnknown* outer, DocumentViews& views, ISubject& broadcaster, IUnknown* hostDocument)
        : DelegatingFace(outer), views_(views), broadcaster_(broadcaster), hostDocument_(hostDocument)
    {
    }
    HRESULT STDMETHODCALLTYPE CanCloseView(IUnknown*, VARIANT_BOOL* canClose) override
    {
        return canClose ? (*canClose = VARIANT_TRUE, S_OK) : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE ViewClosed(IUnknown* view) override
    {
        return Guarded([&] {
            if (const Orv::ComPtr<IObserver> observer = ObserverOf(view))
            {
                broadcaster_.RemoveObserver(observer.Get());
                if (const Orv::ComPtr<ISubject> host = HostSubject())
                    host->RemoveObserver(observer.Get());
            }
            views_.Drop(view);
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE ViewActivated(IUnknown* view) override
    {
        return Guarded([&] {
            if (const Orv::ComPtr<IObserver> observer = ObserverOf(view))
            {
                broadcaster_.AddObserver(observer.Get());
                if (const Orv::ComPtr<ISubject> host = HostSubject())
                    observer->RegisterEvents(host.Get());
            }
            views_.Show(view);
            return S_OK;
        });
    }

private:
    static Orv::ComPtr<IObserver> ObserverOf(IUnknown* view)
    {
        Orv::ComPtr<IObserver> observer;
        if (view)
            view->QueryInterface(IID_IObserver, observer.PutVoid());
        return observer;
    }
    Orv::ComPtr<ISubject> HostSubject() const
    {
        Orv::ComPtr<ISubject> subject;
        if (hostDocument_)
            hostDocument_->QueryInterface(IID_ISubject, subject.PutVoid());
        return subject;
    }

    DocumentViews& views_;
    ISubject& broadcaster_;
    // The host document outlives the module's document made on it, and so the views shown on it.
    IUnknown* hostDocument_;
};

// The non-delegating IUnknown of an implementation object, made with the one reference its outer holds.
class ImplementationBase : public HeapComObject<IUnknown, &IID_IUnknown>
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = IsEqualIID(iid, IID_IUnknown) ? static_cast<IUnknown*>(this) : FindFace(iid);
        if (!*object)
            return E_NOINTERFACE;
        static_cast<IUnknown*>(*object)->AddRef();
        return S_OK;
    }

protected:
    virtual IUnknown* FindFace(REFIID iid) = 0;
};

class DocClassImplementation final : public ImplementationBase
{
public:
    explicit DocClassImplementation(IUnknown* outer) : commands_(outer) {}

private:
    IUnknown* FindFace(REFIID iid) override
    {
        return IsEqualIID(iid, IID_IVyrCommandHandler) ? &commands_ : nullptr;
    }
    ClassCommands commands_;
};

// The stand-in keeps nothing per view class: the frame follows its views' activation itself.
class ViewClassFace final : public DelegatingFace<IVyrViewClassImpl>
{
public:
    using DelegatingFace::DelegatingFace;
    HRESULT STDMETHODCALLTYPE ActivateView(IUnknown*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE AttachClass() override { return S_OK; }
};

class ViewClassImplementation final : public ImplementationBase
{
public:
    explicit ViewClassImplementation(IUnknown* outer) : viewClass_(outer), commands_(outer) {}

private:
    IUnknown* FindFace(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_IVyrViewClassImpl))
            return &viewClass_;
        return IsEqualIID(iid, IID_IVyrCommandHandler) ? &commands_ : nullptr;
    }
    ViewClassFace viewClass_;
    ClassCommands commands_;
};

class DocImplementation final : public ImplementationBase
{
public:
    DocImplementation(IUnknown* outer, IUnknown* services, IUnknown* hostDocument)
        : views_(outer), frame_(outer, services), viewSite_(outer, frame_), openViews_(outer),
          messages_(outer, openViews_), viewLife_(outer, openViews_, views_, hostDocument),
          channelCounts_(outer, hostDocument), channelDescriptions_(outer, hostDocument)
    {
    }

private:
    IUnknown* FindFace(REFIID iid) override
    {
        if (IsEqualIID(iid, IID_ISubject))
            return &views_;
        if (IsEqualIID(iid, IID_IVyrDocumentFrame))
            return &frame_;
        if (IsEqualIID(iid, IID_IVyrViewSite))
            return &viewSite_;
        if (IsEqualIID(iid, IID_IMessageHandler))
            return static_cast<IMessageHandler*>(&messages_);
        if (IsEqualIID(iid, IID_IHostMessageLog))
            return static_cast<IHostMessageLog*>(&messages_);
        if (IsEqualIID(iid, IID_IHostShownComments))
            return static_cast<IHostShownComments*>(&messages_);
        if (IsEqualIID(iid, IID_IVyrViewHostDocument))
            return &viewLife_;
        if (IsEqualIID(iid, IID_IHostChannelCounts))
            return channelCounts_.Answered() ? &channelCounts_ : nullptr;
        if (IsEqualIID(iid, IID_IHostChannelDescriptions))
            return channelDescriptions_.Answered() ? &channelDescriptions_ : nullptr;
        return IsEqualIID(iid, IID_IHostViewCollection) ? &openViews_ : nullptr;
    }
    ViewBroadcaster views_;
    DocumentFrame frame_;
    DocumentViewSite viewSite_;
    DocumentViews openViews_;
    HostMessages messages_;
    ViewLifeFace viewLife_;
    FrameChannelCounts channelCounts_;
    FrameChannelDescriptions channelDescriptions_;
};

} // namespace

HRESULT STDMETHODCALLTYPE ViewClassImplFactory::CreateImplementation(IUnknown* outer, REFIID iid, IUnknown** inner)
{
    return Guarded([&]() -> HRESULT {
        if (!inner || !outer)
            return E_POINTER;
        *inner = nullptr;
        // An aggregated object hands its outer only its own IUnknown.
        if (!IsEqualIID(iid, IID_IUnknown))
            return E_NOINTERFACE;
        *inner = new ViewClassImplementation(outer);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocClassImplFactory::CreateImplementation(IUnknown** inner, IUnknown* outer, ULONG)
{
    return Guarded([&]() -> HRESULT {
        if (!inner || !outer)
            return E_POINTER;
        *inner = new DocClassImplementation(outer);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE DocImplFactory::CreateImplementation(IUnknown*, IUnknown* hostDocument, IUnknown* outer,
                                                               ULONG, IUnknown** inner)
{
    return Guarded([&]() -> HRESULT {
        if (!inner || !outer)
            return E_POINTER;
        *inner = new DocImplementation(outer, services_, hostDocument);
        return S_OK;
    });
}

} // namespace Vyr
