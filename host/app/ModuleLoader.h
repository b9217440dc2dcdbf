// Loads the module DLL from the host executable's folder and calls its registration export.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <string>

namespace Host
{

// The folder of the running executable, with a trailing backslash.
std::wstring ExecutableFolder();

class LoadedModule
{
public:
    // Loads the library at path; throws std::runtime_error naming the path when it cannot be loaded.
    explicit LoadedModule(const std::wstring& path);
    ~LoadedModule();
    LoadedModule(const LoadedModule&) = delete;
    LoadedModule& operator=(const LoadedModule&) = delete;

    HMODULE Handle() const { return module_; }
    const std::wstring& Path() const { return path_; }

    // Calls DllRegisterClassObjects(host); throws std::runtime_error when the export is missing.
    HRESULT RegisterClassObjects(IUnknown* host) const;

private:
    std::wstring path_;
    HMODULE module_;
};

} // namespace Host
