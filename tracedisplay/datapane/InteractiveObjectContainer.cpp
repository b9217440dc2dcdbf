#include "tracedisplay/datapane/InteractiveObjectContainer.h"

#include "tracedisplay/support/RecordVersion.h"

#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"

namespace StrixDraw
{

void InteractiveObjectContainer::AddObject(IInteractiveObject* object, LONG key)
{
    if (!object)
        return;
    objects_.emplace(key, Orv::ComPtr<IInteractiveObject>(object));
    Orv::ComPtr<IInteractiveObjectExt> extended;
    if (SUCCEEDED(object->QueryInterface(IID_IInteractiveObjectExt, extended.PutVoid())) && extended)
        extended_.emplace(key, std::move(extended));
}

void InteractiveObjectContainer::AdoptObject(IInteractiveObject* object, LONG key)
{
    AddObject(object, key);
    if (object)
        object->Release();
}

bool InteractiveObjectContainer::AllAgree(ULONG kind, IInteractiveObject** refuser) const
{
    if (refuser)
        *refuser = nullptr;
    for (const auto& [key, object] : objects_)
    {
        if (!object->AcceptsEvent(kind))
        {
            if (refuser)
                *refuser = object.Get();
            return false;
        }
    }
    return true;
}

bool InteractiveObjectContainer::AnyHandles(HWND window, UINT hitTest, UINT message) const
{
    bool handled = false;
    for (const auto& [key, object] : objects_)
    {
        BYTE carryOn = 0;
        if (!object->OnSetCursor(window, hitTest, message, &carryOn))
            continue;
        handled = true;
        if (!carryOn)
            break;
    }
    return handled;
}

bool InteractiveObjectContainer::AnyNotify(UINT id, NMHDR* header) const
{
    bool handled = false;
    ForEachObject([&](IInteractiveObject& object) { handled |= object.OnNotify(id, header) != FALSE; });
    return handled;
}

void InteractiveObjectContainer::NotifyAllChannels(ULONG mode) const
{
    ForEachObject([&](IInteractiveObject& object) { object.SetMode(0, mode); });
}

HRESULT InteractiveObjectContainer::SaveObjects(IBinOutStream* stream) const
{
    if (!stream)
        return E_INVALIDARG;
    HRESULT result = stream->WriteULong(ObjectsRecordVersion);
    ForEachObject([&](IInteractiveObject& object) {
        if (SUCCEEDED(result))
            result = object.Save(stream);
    });
    return result;
}

HRESULT InteractiveObjectContainer::LoadObjects(IBinInStream* stream) const
{
    ULONG version = 0;
    const HRESULT read = ReadRecordVersion(stream, ObjectsRecordVersion, version);
    if (read == Orv::E_ORV_NEWER_VERSION)
        throw XOrv(Orv::String(), read);
    if (FAILED(read))
        return read;
    ForEachObject([&](IInteractiveObject& object) { object.Load(stream); });
    return S_OK;
}

} // namespace StrixDraw
