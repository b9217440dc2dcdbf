#include "Registrations.h"

#include <algorithm>

namespace Vyr
{

void RegistrationLog::Add(VyrRegistrationKind kind, ULONG typeId, HRESULT result, const std::wstring& name)
{
    VyrRegistrationRecord record{};
    record.kind = kind;
    record.typeId = typeId;
    record.result = result;
    const size_t length = std::min(name.size(), std::size(record.name) - 1);
    std::copy_n(name.data(), length, record.name);
    std::lock_guard guard(lock_);
    records_.push_back(record);
}

ULONG RegistrationLog::Count() const
{
    std::lock_guard guard(lock_);
    return static_cast<ULONG>(records_.size());
}

bool RegistrationLog::At(ULONG index, VyrRegistrationRecord* record) const
{
    std::lock_guard guard(lock_);
    if (index >= records_.size())
        return false;
    *record = records_[index];
    return true;
}

HRESULT ClassRegistry::Register(IVyrClassObject* classObject)
{
    if (!classObject)
    {
        log_.Add(VyrRegistrationKind::ClassObject, 0, E_POINTER, L"");
        return E_POINTER;
    }
    ULONG typeId = 0;
    const HRESULT result = classObject->GetTypeId(&typeId);
    BSTR title = nullptr;
    classObject->GetTitle(&title);
    const std::wstring name = TakeBstr(title);
    if (SUCCEEDED(result))
    {
        std::lock_guard guard(lock_);
        entries_.push_back({typeId, Orv::ComPtr<IVyrClassObject>(classObject)});
    }
    log_.Add(VyrRegistrationKind::ClassObject, typeId, SUCCEEDED(result) ? S_OK : result, name);
    return SUCCEEDED(result) ? S_OK : result;
}

HRESULT ClassRegistry::Find(ULONG typeId, REFIID iid, void** object) const
{
    Orv::ComPtr<IVyrClassObject> found;
    {
        std::lock_guard guard(lock_);
        const auto entry =
            std::find_if(entries_.begin(), entries_.end(), [typeId](const Entry& e) { return e.typeId == typeId; });
        if (entry != entries_.end())
            found = entry->classObject;
    }
    if (!found)
        return CLASS_E_CLASSNOTAVAILABLE;
    return found->QueryInterface(iid, object);
}

void ClassRegistry::Clear()
{
    std::vector<Entry> released;
    std::lock_guard guard(lock_);
    released.swap(entries_);
}

HRESULT STDMETHODCALLTYPE MessageFactory::RegisterMessageClass(ULONG, IMsgIdMessageClassObject* messageClass)
{
    if (!messageClass)
    {
        log_.Add(VyrRegistrationKind::MessageClass, 0, E_POINTER, L"");
        return E_POINTER;
    }
    ULONG id = 0;
    const HRESULT result = messageClass->GetId(&id);
    BSTR name = nullptr;
    messageClass->GetName(&name);
    const std::wstring text = TakeBstr(name);
    if (SUCCEEDED(result))
    {
        std::lock_guard guard(lock_);
        classes_.emplace_back(messageClass);
    }
    log_.Add(VyrRegistrationKind::MessageClass, id, SUCCEEDED(result) ? S_OK : result, text);
    return SUCCEEDED(result) ? S_OK : result;
}

void MessageFactory::Clear()
{
    std::vector<Orv::ComPtr<IMsgIdMessageClassObject>> released;
    std::lock_guard guard(lock_);
    released.swap(classes_);
}

HRESULT STDMETHODCALLTYPE UnitTestRegistry::AddTest(IUnitTest* test)
{
    if (!test)
    {
        log_.Add(VyrRegistrationKind::SelfTest, 0, E_POINTER, L"");
        return E_POINTER;
    }
    ULONG number = 0;
    {
        std::lock_guard guard(lock_);
        tests_.emplace_back(test);
        number = ++added_;
    }
    // A test object carries no name of its own until its runner initialises it; the log numbers them.
    log_.Add(VyrRegistrationKind::SelfTest, 0, S_OK, L"test " + std::to_wstring(number));
    return S_OK;
}

void UnitTestRegistry::Clear()
{
    std::vector<Orv::ComPtr<IUnitTest>> released;
    std::lock_guard guard(lock_);
    released.swap(tests_);
}

} // namespace Vyr
