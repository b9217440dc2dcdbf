#include "dialogs/settings/EcgSources.h"

#include "document/analysis/VChanData.h"
#include "hostapi/HostDocument.h"

#include <oleauto.h>

#include <cwchar>
#include <memory>
#include <optional>

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

// The text the host shows for the source name; empty when it has none.
std::wstring DisplayText(IHostDataItems* host, const std::wstring& name)
{
    BSTR text = nullptr;
    if (host->GetSourceDisplayText(name.c_str(), &text) != S_OK)
        return {};
    return TextOf(OwnedBstr(text));
}

bool IsOwnSourceText(const std::wstring& text)
{
    return text.size() == std::wcslen(OwnSourceText) && _wcsicmp(text.c_str(), OwnSourceText) == 0;
}

// The text the source of that name is offered under; none for a source without events and for the
// analysis's own sources, known by the names it gives its items and by the host showing them under the
// module's name: the analysis would read itself as its ECG.
std::optional<std::wstring> OfferedText(IHostDataItems* host, const std::wstring& name)
{
    VARIANT_BOOL hasEvents = VARIANT_FALSE;
    if (VChanData::IsAnalysisItemName(name) || FAILED(host->SourceHasEvents(name.c_str(), &hasEvents)) || !hasEvents)
        return std::nullopt;
    const std::wstring text = DisplayText(host, name);
    if (IsOwnSourceText(text))
        return std::nullopt;
    return text;
}

} // namespace

EcgSourceMap FillEcgSourceMap(IHostDataItems* host, const std::wstring& stored)
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
        if (const auto text = OfferedText(host, name); text && !text->empty())
            sources.emplace(*text, name);
    }
    // A source the settings name that the host does not list (a calculation's text) stays on offer while
    // it yields events, under its own text where the host shows none: the dialog confirmed unchanged
    // keeps the detection it found.
    if (!stored.empty())
        if (const auto text = OfferedText(host, stored))
            sources.emplace(text->empty() ? stored : *text, stored);
    return sources;
}

} // namespace Sistra
