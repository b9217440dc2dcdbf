#include "dialogs/settings/EcgSources.h"

#include "hostapi/HostDocument.h"

#include <oleauto.h>

#include <cwchar>
#include <memory>

namespace Sistra
{
namespace
{

constexpr const wchar_t* OwnSourceText = L"Sistra";

struct BstrFree
{
    void operator()(wchar_t* text) const { SysFreeString(text); }
};
using OwnedBstr = std::unique_ptr<wchar_t, BstrFree>;

std::wstring TextOf(const OwnedBstr& text)
{
    return text ? std::wstring(text.get(), SysStringLen(text.get())) : std::wstring();
}

bool IsOwnSource(const std::wstring& text)
{
    return text.size() == std::wcslen(OwnSourceText) && _wcsicmp(text.c_str(), OwnSourceText) == 0;
}

} // namespace

std::wstring EcgSourceDisplayText(IHostDataItems* host, const std::wstring& name)
{
    BSTR text = nullptr;
    if (!host || host->GetSourceDisplayText(name.c_str(), &text) != S_OK)
        return {};
    return TextOf(OwnedBstr(text));
}

EcgSourceMap FillEcgSourceMap(IHostDataItems* host)
{
    EcgSourceMap sources;
    if (!host)
        return sources;
    for (int32_t index = 0;; ++index)
    {
        BSTR listed = nullptr;
        if (host->GetSourceName(HostSourceListEvents, index, &listed) != S_OK)
            break;
        const std::wstring name = TextOf(OwnedBstr(listed));
        VARIANT_BOOL hasEvents = VARIANT_FALSE;
        if (FAILED(host->SourceHasEvents(name.c_str(), &hasEvents)) || !hasEvents)
            continue;
        const std::wstring text = EcgSourceDisplayText(host, name);
        if (text.empty() || IsOwnSource(text))
            continue;
        sources.emplace(text, name);
    }
    return sources;
}

} // namespace Sistra
