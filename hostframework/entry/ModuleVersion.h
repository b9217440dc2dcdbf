// The module's version notice: pre-release builds tell the host which build it loaded.
#pragma once

#include "hostapi/VyrServices.h"

#include <windows.h>

#include <string>

// Whether a file-version text asks for a notice: never with "N/A"; always for alpha or beta builds;
// never for development builds; otherwise only for final builds.
bool VersionTextWantsNotice(const std::wstring& version);

// Build numbers from this value on mark builds that never show a notice.
constexpr WORD QuietBuildNumber = 1024;

struct ModuleVersionInfo
{
    WORD buildNumber;          // the fourth file-version number
    std::wstring fileVersion;  // "N/A" when missing
    std::wstring description;  // "N/A" when missing
};

// The version block of module.
ModuleVersionInfo ReadModuleVersion(HMODULE module);

// The notice text for info, or empty when there is to be none.
std::wstring VersionNoticeText(const ModuleVersionInfo& info);

// Passes the notice for info to application when the host wants notices and info asks for one.
void ReportModuleVersion(IHostApplication* application, const ModuleVersionInfo& info);

// Passes this module's notice to the host application, at most once per process.
void ReportModuleVersionOnce();
