// The interactive objects a data pane carries, kept by key and told of every event the pane passes
// on, in ascending key order (equal keys in the order they came).
#pragma once

#include "foundation/com/ComPtr.h"
#include "hostapi/InteractiveObjects.h"

#include <map>

namespace StrixDraw
{

class InteractiveObjectContainer
{
public:
    static constexpr ULONG ObjectsRecordVersion = 2;
    enum EventKind : ULONG
    {
        LeftButtonDown = 1,
        MouseMove = 2,
    };

    InteractiveObjectContainer() = default;
    InteractiveObjectContainer(const InteractiveObjectContainer&) = delete;
    InteractiveObjectContainer& operator=(const InteractiveObjectContainer&) = delete;
    virtual ~InteractiveObjectContainer() = default;

    // Takes a reference of its own.
    virtual void AddObject(IInteractiveObject* object, LONG key);
    // Takes over the caller's reference.
    virtual void AdoptObject(IInteractiveObject* object, LONG key);

    // True when no object claims the event; else false with the first that does.
    bool AllAgree(ULONG kind, IInteractiveObject** refuser) const;
    // Whether an object set the cursor; the walk stops at one that does unless it lets the others on.
    bool AnyHandles(HWND window, UINT hitTest, UINT message) const;
    bool AnyNotify(UINT id, NMHDR* header) const;
    void NotifyAllChannels(ULONG mode) const;

    template <class Call>
    void ForEachObject(Call&& call) const
    {
        for (const auto& [key, object] : objects_)
            call(*object.Get());
    }
    // A left-button-down or mouse-move event: to everyone while nobody claims it, else only to the
    // claiming object's group.
    template <class Call>
    void ClaimedBroadcast(ULONG kind, Call&& call) const
    {
        for (const auto& [key, object] : objects_)
        {
            IInteractiveObject* refuser = nullptr;
            if (AllAgree(kind, &refuser) || object->GetGroup() == refuser->GetGroup())
                call(*object.Get());
        }
    }

    // The objects' part of the pane's record: a version word, then each object's record.
    HRESULT SaveObjects(IBinOutStream* stream) const;
    // Throws XOrv with E_ORV_NEWER_VERSION for a record of a later version.
    HRESULT LoadObjects(IBinInStream* stream) const;

    size_t ObjectCount() const { return objects_.size(); }
    size_t ExtendedCount() const { return extended_.size(); }

private:
    std::multimap<LONG, Orv::ComPtr<IInteractiveObject>> objects_;
    std::multimap<LONG, Orv::ComPtr<IInteractiveObjectExt>> extended_;
};

} // namespace StrixDraw
