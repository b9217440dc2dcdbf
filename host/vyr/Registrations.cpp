#include "Registrations.h"

#include <algorithm>
#include <cwchar>

namespace Vyr
{

namespace
{

// Asks a registered object for its id and name, keeps it when it has an id, and logs the outcome.
template <class Object, class Keep>
HRESULT RegisterLogged(RegistrationLog& log, VyrRegistrationKind kind, Object* object,
                       HRESULT (STDMETHODCALLTYPE Object::*getId)(ULONG*),
                       HRESULT (STDMETHODCALLTYPE Object::*getName)(BSTR*), Keep keep)
{
    if (!object)
    {
        log.Add(kind, 0, E_POINTER, L"");
        return E_POINTER;
    }
    ULONG id = 0;
    const HRESULT identified = (object->*getId)(&id);
    BSTR name = nullptr;
    (object->*getName)(&name);
    const std::wstring text = TakeBstr(name);
    const HRESULT result = SUCCEEDED(identified) ? S_OK : identified;
    if (SUCCEEDED(result))
        keep(object, id);
    log.Add(kind, id, result, text);
    return result;
}

} // namespace

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
    return RegisterLogged(log_, VyrRegistrationKind::ClassObject, classObject, &IVyrClassObject::GetTypeId,
                          &IVyrClassObject::GetTitle, [this](IVyrClassObject* registered, ULONG typeId) {
                              std::lock_guard guard(lock_);
                              entries_.push_back({typeId, Orv::ComPtr<IVyrClassObject>(registered)});
                          });
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
    return Guarded([&]() -> HRESULT {
        return RegisterLogged(log_, VyrRegistrationKind::MessageClass, messageClass, &IMsgIdMessageClassObject::GetId,
                              &IMsgIdMessageClassObject::GetName, [this](IMsgIdMessageClassObject* registered, ULONG) {
                                  std::lock_guard guard(lock_);
                                  classes_.emplace_back(registered);
                              });
    });
}

Orv::ComPtr<IMsgIdMessageClassObject> MessageFactory::Find(const WCHAR* name)
{
    std::lock_guard guard(lock_);
    for (const auto& messageClass : classes_)
    {
        BSTR registered = nullptr;
        const bool same = SUCCEEDED(messageClass->GetName(&registered)) && registered && _wcsicmp(registered, name) == 0;
        SysFreeString(registered);
        if (same)
            return messageClass;
    }
    return {};
}

Orv::ComPtr<IMsgIdMessageClassObject> MessageFactory::FindById(ULONG id)
{
    std::lock_guard guard(lock_);
    for (const auto& messageClass : classes_)
        if (ULONG registered = 0; SUCCEEDED(messageClass->GetId(&registered)) && registered == id)
            return messageClass;
    return {};
}

void MessageFactory::Clear()
{
    std::vector<Orv::ComPtr<IMsgIdMessageClassObject>> released;
    std::lock_guard guard(lock_);
    released.swap(classes_);
}

HRESULT STDMETHODCALLTYPE UnitTestRegistry::AddTest(IUnitTest* test)
{
    return Guarded([&]() -> HRESULT {
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
    });
}

Orv::ComPtr<IUnitTest> UnitTestRegistry::At(ULONG index)
{
    std::lock_guard guard(lock_);
    return index < tests_.size() ? tests_[index] : Orv::ComPtr<IUnitTest>();
}

void UnitTestRegistry::Clear()
{
    std::vector<Orv::ComPtr<IUnitTest>> released;
    std::lock_guard guard(lock_);
    released.swap(tests_);
}

} // namespace Vyr
