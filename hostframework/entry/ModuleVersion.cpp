#include "hostframework/entry/ModuleVersion.h"

#include "foundation/text/StringResources.h"

#include "hostframework/services/HostServices.h"

#include <atomic>
#include <vector>

namespace
{

constexpr const wchar_t* Missing = L"N/A";
constexpr size_t NoticeLimit = 256;

bool Contains(const std::wstring& text, const wchar_t* part)
{
    return text.find(part) != std::wstring::npos;
}

std::wstring QueryString(const std::vector<BYTE>& block, const std::wstring& language, const wchar_t* key)
{
    const std::wstring query = L"\\StringFileInfo\\" + language + L"\\" + key;
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || length == 0)
        return Missing;
    return static_cast<const wchar_t*>(value);
}

std::wstring FirstLanguage(const std::vector<BYTE>& block)
{
    struct Translation
    {
        WORD language;
        WORD codePage;
    };
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < sizeof(Translation))
        return L"040904b0";
    const auto* translation = static_cast<const Translation*>(value);
    wchar_t text[9];
    swprintf(text, 9, L"%04x%04x", translation->language, translation->codePage);
    return text;
}

} // namespace

bool VersionTextWantsNotice(const std::wstring& version)
{
    if (Contains(version, Missing))
        return false;
    if (Contains(version, L"lpha") || Contains(version, L"eta"))
        return true;
    if (Contains(version, L"ev"))
        return false;
    return Contains(version, L"inal");
}

ModuleVersionInfo ReadModuleVersion(HMODULE module)
{
    ModuleVersionInfo info{0, Missing, Missing};
    wchar_t path[MAX_PATH] = {};
    if (!GetModuleFileNameW(module, path, MAX_PATH))
        return info;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeW(path, &handle);
    if (size == 0)
        return info;
    std::vector<BYTE> block(size);
    if (!GetFileVersionInfoW(path, 0, size, block.data()))
        return info;
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    if (VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) && fixed)
        info.buildNumber = LOWORD(fixed->dwFileVersionLS);
    const std::wstring language = FirstLanguage(block);
    info.fileVersion = QueryString(block, language, L"FileVersion");
    info.description = QueryString(block, language, L"FileDescription");
    return info;
}

std::wstring VersionNoticeText(const ModuleVersionInfo& info)
{
    if (info.buildNumber >= QuietBuildNumber || !VersionTextWantsNotice(info.fileVersion))
        return {};
    return (info.description + L" " + info.fileVersion).substr(0, NoticeLimit);
}

void ReportModuleVersion(IHostApplication* application, const ModuleVersionInfo& info)
{
    if (!application)
        return;
    ULONG mode = 1;
    ULONG detail = 0;
    if (FAILED(application->GetVersionNoticeMode(0, &mode, &detail)) || mode != 0)
        return;
    const std::wstring notice = VersionNoticeText(info);
    if (!notice.empty())
        application->ShowVersionNotice(0, notice.c_str());
}

void ReportModuleVersionOnce()
{
    static std::atomic<bool> reported{false};
    if (reported.exchange(true))
        return;
    if (IHostApplication* application = HostAppAccessor::Get())
        ReportModuleVersion(application, ReadModuleVersion(Orv::ThisModule()));
}
