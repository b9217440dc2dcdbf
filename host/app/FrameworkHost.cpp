#include "host/app/FrameworkHost.h"

#include "host/app/files/TextConversion.h"

#include <objbase.h>

#include <stdexcept>

namespace Host
{

namespace
{

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);

constexpr const wchar_t* FrameworkLibraryName = L"Vyr.dll";

void ThrowOnFailure(HRESULT result, const std::string& what)
{
    if (FAILED(result))
        throw std::runtime_error(what + " failed: " + HResultText(result));
}

} // namespace

ComApartment::ComApartment() : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}

ComApartment::~ComApartment()
{
    if (initialized_)
        CoUninitialize();
}

RegisteredFramework::RegisteredFramework(const std::wstring& folder)
    : library_(LoadLibraryW((folder + FrameworkLibraryName).c_str()))
{
    const std::string path = ToUtf8(folder + FrameworkLibraryName);
    if (!library_)
        throw std::runtime_error("cannot load " + path + ": " + SystemErrorText(GetLastError()));
    try
    {
        const auto getClassObject = reinterpret_cast<DllGetClassObjectFn>(
            reinterpret_cast<void*>(GetProcAddress(library_, "DllGetClassObject")));
        if (!getClassObject)
            throw std::runtime_error(path + " does not export DllGetClassObject");
        ThrowOnFailure(getClassObject(CLSID_VyrFrameWork, IID_IUnknown, classObject_.PutVoid()),
                       "creating the framework class object");
        ThrowOnFailure(classObject_->QueryInterface(IID_IVyrStandIn, standIn_.PutVoid()),
                       "asking the framework for its stand-in face");
        ThrowOnFailure(CoRegisterClassObject(CLSID_VyrFrameWork, classObject_.Get(), CLSCTX_INPROC_SERVER,
                                             REGCLS_MULTIPLEUSE, &cookie_),
                       "registering the framework class object");
    }
    catch (...)
    {
        standIn_.Reset();
        classObject_.Reset();
        FreeLibrary(library_);
        throw;
    }
}

RegisteredFramework::~RegisteredFramework()
{
    CoRevokeClassObject(cookie_);
    standIn_.Reset();
    classObject_.Reset();
    FreeLibrary(library_);
}

Orv::ComPtr<IVyrObjectFactory> RegisteredFramework::ObjectFactory() const
{
    Orv::ComPtr<IVyrObjectFactory> factory;
    ThrowOnFailure(classObject_->QueryInterface(IID_IVyrObjectFactory, factory.PutVoid()),
                   "asking the framework for its object factory");
    return factory;
}

std::vector<VyrRegistrationRecord> RegisteredFramework::Registrations() const
{
    ULONG count = 0;
    standIn_->GetRegistrationCount(&count);
    std::vector<VyrRegistrationRecord> records(count);
    for (ULONG i = 0; i < count; ++i)
        standIn_->GetRegistration(i, &records[i]);
    return records;
}

HostSession::HostSession() : framework_(ExecutableFolder())
{
    framework_.StandIn().RegisterHostObject(&ResultsSheetGuid, &sheet_);
    framework_.StandIn().RegisterHostObject(&DocumentCreatorGUID, &documentCreation_);
}

HostSession::~HostSession()
{
    // The framework lets go of the module's objects while their code is still loaded.
    framework_.StandIn().ReleaseModuleObjects();
    framework_.StandIn().RegisterHostObject(&ResultsSheetGuid, nullptr);
    framework_.StandIn().RegisterHostObject(&DocumentCreatorGUID, nullptr);
    module_.reset();
}

HRESULT HostSession::LoadModule(const std::wstring& path, IUnknown* host)
{
    module_ = std::make_unique<LoadedModule>(path);
    return module_->RegisterClassObjects(host);
}

std::string RegistrationKindText(VyrRegistrationKind kind)
{
    switch (kind)
    {
    case VyrRegistrationKind::ClassObject:
        return "class object";
    case VyrRegistrationKind::MessageClass:
        return "message class";
    case VyrRegistrationKind::SelfTest:
        return "self-test";
    }
    return "unknown";
}

} // namespace Host
