#include "platform/owl/ModuleVersionInfo.h"

#include "platform/owl/Failure.h"
#include "platform/owl/Module.h"

#include "foundation/com/XOrv.h"

#include <cwchar>

namespace OWL
{

TModuleVersionInfo::TModuleVersionInfo(HINSTANCE instance)
{
    wchar_t path[MAX_PATH] = {};
    if (!::GetModuleFileNameW(instance, path, MAX_PATH))
        ThrowLastError(L"The module's file is unknown");
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path, &ignored);
    if (size == 0)
        ThrowLastError(L"The module has no version resource");
    block_.resize(size);
    if (!::GetFileVersionInfoW(path, 0, size, block_.data()))
        ThrowLastError(L"The module's version resource could not be read");
    void* fixed = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block_.data(), L"\\", &fixed, &length) || length < sizeof(VS_FIXEDFILEINFO))
        throw XOrv(Orv::String(L"The module's version resource has no fixed numbers"), E_FAIL);
    fixed_ = static_cast<const VS_FIXEDFILEINFO*>(fixed);
}

TModuleVersionInfo::TModuleVersionInfo(const TModule& module) : TModuleVersionInfo(module.GetHandle()) {}

std::wstring TModuleVersionInfo::GetTranslation() const
{
    struct Translation
    {
        WORD language;
        WORD codePage;
    };
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block_.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < sizeof(Translation))
        return L"040904b0";
    const auto* translation = static_cast<const Translation*>(value);
    wchar_t text[9];
    swprintf(text, 9, L"%04x%04x", translation->language, translation->codePage);
    return text;
}

bool TModuleVersionInfo::GetInfoString(const wchar_t* key, std::wstring& value) const
{
    const std::wstring query = L"\\StringFileInfo\\" + GetTranslation() + L"\\" + key;
    void* text = nullptr;
    UINT length = 0;
    if (!::VerQueryValueW(block_.data(), query.c_str(), &text, &length) || length == 0)
        return false;
    value = static_cast<const wchar_t*>(text);
    return true;
}

} // namespace OWL
