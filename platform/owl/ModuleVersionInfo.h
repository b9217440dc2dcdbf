// OWL::TModuleVersionInfo: the version resource of a module: its fixed numbers and its string values.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace OWL
{

class TModule;

class TModuleVersionInfo
{
public:
    // Reads the version block of the module's file; throws XOrv when it has none.
    explicit TModuleVersionInfo(HINSTANCE instance);
    explicit TModuleVersionInfo(const TModule& module);

    const VS_FIXEDFILEINFO& GetFixedInfo() const { return *fixed_; }
    DWORD GetFileVersionMS() const { return fixed_->dwFileVersionMS; }
    DWORD GetFileVersionLS() const { return fixed_->dwFileVersionLS; }
    DWORD GetProductVersionMS() const { return fixed_->dwProductVersionMS; }
    DWORD GetProductVersionLS() const { return fixed_->dwProductVersionLS; }
    // The language and code page of the first translation ("040904b0" when the block names none).
    std::wstring GetTranslation() const;
    // A string value ("ProductName", "FileVersion", ...) of the first translation; false when missing.
    bool GetInfoString(const wchar_t* key, std::wstring& value) const;

private:
    std::vector<BYTE> block_;
    const VS_FIXEDFILEINFO* fixed_ = nullptr;
};

} // namespace OWL
