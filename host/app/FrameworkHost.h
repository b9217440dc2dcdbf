// The host's side of the framework library: COM for the host's thread, Vyr.dll loaded and its
// framework class object registered, and modules loaded on top of it.
#pragma once

#include "hostapi/VyrClassRegistry.h"
#include "foundation/com/ComPtr.h"
#include "host/app/document/DocumentCreation.h"
#include "host/app/ModuleLoader.h"
#include "host/app/commands/ResultsSheet.h"

#include <memory>
#include <string>
#include <vector>

namespace Host
{

class ComApartment
{
public:
    ComApartment();
    ~ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

// Vyr.dll from the given folder, its framework class object registered with COM while this lives.
class RegisteredFramework
{
public:
    explicit RegisteredFramework(const std::wstring& folder);
    ~RegisteredFramework();
    RegisteredFramework(const RegisteredFramework&) = delete;
    RegisteredFramework& operator=(const RegisteredFramework&) = delete;

    IVyrStandIn& StandIn() const { return *standIn_.Get(); }
    // The framework's object factory, through which the host reaches the classes modules registered.
    Orv::ComPtr<IVyrObjectFactory> ObjectFactory() const;
    std::vector<VyrRegistrationRecord> Registrations() const;

private:
    HMODULE library_;
    Orv::ComPtr<IUnknown> classObject_;
    Orv::ComPtr<IVyrStandIn> standIn_;
    DWORD cookie_ = 0;
};

// A host run: COM, the framework, and the module loaded from the host's folder and registered.
class HostSession
{
public:
    HostSession();
    ~HostSession();
    HostSession(const HostSession&) = delete;
    HostSession& operator=(const HostSession&) = delete;

    // Loads the module and calls its registration export with the host's interface.
    HRESULT LoadModule(const std::wstring& path, IUnknown* host);
    const LoadedModule& Module() const { return *module_; }
    const RegisteredFramework& Framework() const { return framework_; }
    // The host's results sheet, which modules find through the framework.
    ResultsSheet& Sheet() { return sheet_; }

private:
    ComApartment apartment_;
    RegisteredFramework framework_;
    ResultsSheet sheet_;
    DocumentCreationService documentCreation_{framework_.StandIn()};
    std::unique_ptr<LoadedModule> module_;
};

// "class object", "message class" or "self-test".
std::string RegistrationKindText(VyrRegistrationKind kind);

} // namespace Host
