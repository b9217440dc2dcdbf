// What the host's tests drew, saved for a person to look at as build/screenshots/<name>.png, beside the
// pictures of the module's own tests.
#pragma once

#include "host/app/gui/WindowPicture.h"

#include <windows.h>

#include <filesystem>
#include <string>

namespace HostTests
{

// Where a picture of that name goes; the folder is made.
inline std::wstring TestPicturePath(const std::wstring& name)
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    const auto folder = std::filesystem::path(path).parent_path().parent_path() / "screenshots";
    std::filesystem::create_directories(folder);
    return (folder / (name + L".png")).wstring();
}

inline void SaveTestPicture(HWND window, const std::wstring& name)
{
    Host::SaveWindowPicture(window, TestPicturePath(name));
}

} // namespace HostTests
