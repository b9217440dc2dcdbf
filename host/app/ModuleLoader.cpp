#include "host/app/ModuleLoader.h"

#include "hostapi/ModuleEntry.h"
#include "host/app/files/TextConversion.h"

#include <stdexcept>

namespace Host
{

std::wstring ExecutableFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            throw std::runtime_error("cannot find the host executable's path");
        if (length < path.size())
        {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    return path.substr(0, path.find_last_of(L"\\/") + 1);
}

LoadedModule::LoadedModule(const std::wstring& path) : path_(path), module_(LoadLibraryW(path.c_str()))
{
    if (!module_)
        throw std::runtime_error("cannot load " + ToUtf8(path) + ": " + SystemErrorText(GetLastError()));
}

LoadedModule::~LoadedModule()
{
    FreeLibrary(module_);
}

HRESULT LoadedModule::RegisterClassObjects(IUnknown* host) const
{
    const auto entry =
        reinterpret_cast<DllRegisterClassObjectsFn>(
        reinterpret_cast<void*>(GetProcAddress(module_, ModuleRegistrationExport)));
    if (!entry)
        throw std::runtime_error(ToUtf8(path_) + " does not export " + ModuleRegistrationExport);
    return entry(host);
}

} // namespace Host
