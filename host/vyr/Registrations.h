// What modules register with the framework: class objects (by type id), message classes and
// self-tests, and the log that records every registration in the order it arrived.
#pragma once

#include "ComObjects.h"
#include "hostapi/VyrClassRegistry.h"
#include "foundation/com/ComPtr.h"

#include <mutex>
#include <string>
#include <vector>

namespace Vyr
{

class RegistrationLog
{
public:
    void Add(VyrRegistrationKind kind, ULONG typeId, HRESULT result, const std::wstring& name);
    ULONG Count() const;
    bool At(ULONG index, VyrRegistrationRecord* record) const;

private:
    mutable std::mutex lock_;
    std::vector<VyrRegistrationRecord> records_;
};

class ClassRegistry
{
public:
    explicit ClassRegistry(RegistrationLog& log) : log_(log) {}

    HRESULT Register(IVyrClassObject* classObject);
    // The first class object registered under typeId, asked for iid.
    HRESULT Find(ULONG typeId, REFIID iid, void** object) const;
    void Clear();

private:
    struct Entry
    {
        ULONG typeId;
        Orv::ComPtr<IVyrClassObject> classObject;
    };

    RegistrationLog& log_;
    mutable std::mutex lock_;
    std::vector<Entry> entries_;
};

class MessageFactory final : public StaticComObject<IMessageFactory, &IID_IMessageFactory>
{
public:
    explicit MessageFactory(RegistrationLog& log) : log_(log) {}

    HRESULT STDMETHODCALLTYPE RegisterMessageClass(ULONG reserved, IMsgIdMessageClassObject* messageClass) override;
    void Clear();
    // The class of that name, any letter case; null when none is registered.
    Orv::ComPtr<IMsgIdMessageClassObject> Find(const WCHAR* name);
    // The class of that message id; null when none is registered.
    Orv::ComPtr<IMsgIdMessageClassObject> FindById(ULONG id);

private:
    RegistrationLog& log_;
    std::mutex lock_;
    std::vector<Orv::ComPtr<IMsgIdMessageClassObject>> classes_;
};

class UnitTestRegistry final : public StaticComObject<IUnitTestRegistry, &IID_IUnitTestRegistry>
{
public:
    explicit UnitTestRegistry(RegistrationLog& log) : log_(log) {}

    HRESULT STDMETHODCALLTYPE AddTest(IUnitTest* test) override;
    void Clear();
    // The index-th test added; null past the last.
    Orv::ComPtr<IUnitTest> At(ULONG index);

private:
    RegistrationLog& log_;
    std::mutex lock_;
    std::vector<Orv::ComPtr<IUnitTest>> tests_;
    ULONG added_ = 0;
};

} // namespace Vyr
