// The host document's event sources by name: the recorded channels (chN), its calculated channels (vchN)
// and the items calculations made under a name; which of them yield events, the text a person reads for
// each, and which sources a channel's calculation reads.
#include "host/app/document/HostDocument.h"

#include "host/app/files/TextConversion.h"
#include "host/app/calc/CalcCompiler.h"

#include "host/vyr/ComObjects.h"

#include "foundation/com/ComBoundary.h"

#include <algorithm>
#include <cctype>
#include <functional>

namespace Host
{
namespace
{

// Named event sources are told apart from the calculated channels (vchN, whose value is their index) by
// values from here on: the item's index added.
constexpr int32_t NamedSourceBase = 0x10000;

} // namespace

// "chN" names recorded channel N, "vchN" the document's calculated channel N, the host's event sources.
HRESULT STDMETHODCALLTYPE HostDocument::ResolveSourceName(const WCHAR* name, HostSourcePair* source)
{
    if (!name || !source)
        return E_POINTER;
    return Orv::CatchReturn([&]() -> HRESULT {
        const std::string text = LowerCase(ToUtf8(name));
        if (text.empty())
        {
            *source = HostSourcePair{HostItemUnsetFirst, HostItemUnsetSecond};
            return S_OK;
        }
        // A named item stands for its source also once its calculation went: the source it was.
        const auto named = std::find_if(items_.begin(), items_.end(),
                                        [&](const NamedItem& item) { return item.name == text; });
        if (named != items_.end())
        {
            *source = HostSourcePair{NamedSourceBase + static_cast<int32_t>(named - items_.begin()), HostEventSourceKind};
            return S_OK;
        }
        const bool calculated = text.rfind("vch", 0) == 0;
        const std::string digits = text.substr(calculated ? 3 : 2);
        if ((!calculated && text.rfind("ch", 0) != 0) || digits.empty() || digits.size() > 6 ||
            digits.find_first_not_of("0123456789") != std::string::npos)
            return E_INVALIDARG;
        const int32_t index = std::stoi(digits) - 1;
        const bool exists = calculated ? index >= 0 && static_cast<size_t>(index) < calculatedChannels_.size()
                                       : IsRecordedChannel(index);
        if (!exists)
            return E_INVALIDARG;
        *source = HostSourcePair{index, calculated ? HostEventSourceKind : 0};
        return S_OK;
    });
}

std::vector<std::wstring> HostDocument::NamedEventSources() const
{
    std::vector<std::wstring> names;
    for (const NamedItem& item : items_)
        if (!item.text.empty())
            names.push_back(FromUtf8(item.name));
    return names;
}

std::vector<std::wstring> HostDocument::EventSourceNames() const
{
    std::vector<std::wstring> names;
    for (size_t index = 0; index < calculatedChannels_.size(); ++index)
        names.push_back(L"vch" + std::to_wstring(index + 1));
    for (const NamedItem& item : items_)
        if (!item.text.empty())
            names.push_back(FromUtf8(item.name));
    return names;
}

HRESULT STDMETHODCALLTYPE HostDocument::GetSourceName(uint32_t kind, int32_t index, BSTR* name)
{
    if (!name)
        return E_POINTER;
    *name = nullptr;
    if (kind != HostSourceListEvents)
        return E_INVALIDARG;
    return Orv::CatchReturn([&]() -> HRESULT {
        const std::vector<std::wstring> names = EventSourceNames();
        if (index < 0 || static_cast<size_t>(index) >= names.size())
            return S_FALSE;
        return Vyr::CopyToBstr(names[static_cast<size_t>(index)], name);
    });
}

// A name yields events when it compiles, as a text of its own, to events.
HRESULT STDMETHODCALLTYPE HostDocument::SourceHasEvents(const WCHAR* name, VARIANT_BOOL* hasEvents)
{
    if (!name || !hasEvents)
        return E_POINTER;
    *hasEvents = VARIANT_FALSE;
    return Orv::CatchReturn([&]() -> HRESULT {
        try
        {
            if (Calc::CompileExpression(ToUtf8(name), CompileContextOf()).kind == Calc::ValueKind::Events)
                *hasEvents = VARIANT_TRUE;
        }
        catch (const Calc::CalcTextError&)
        {
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostDocument::GetSourceDisplayText(const WCHAR* name, BSTR* text)
{
    if (!name || !text)
        return E_POINTER;
    *text = nullptr;
    return Orv::CatchReturn([&]() -> HRESULT {
        const std::string lower = LowerCase(ToUtf8(name));
        HostSourcePair source{};
        if (lower.rfind("vch", 0) == 0 && ResolveSourceName(name, &source) == S_OK)
        {
            const std::string& title = calculatedChannels_[static_cast<size_t>(source.value)];
            return Vyr::CopyToBstr(title.empty() ? std::wstring(name) : FromUtf8(title), text);
        }
        // An item whose calculation runs the analysis client's functions is that client's own source: it
        // shows under the client's name, so that the client does not offer it back as its input. Any
        // other item (the R waves a person named) shows under its own name.
        for (const NamedItem& item : items_)
            if (item.name == lower && !item.text.empty())
                return Vyr::CopyToBstr(IsAnalysisSource(item) ? analysisClients_.front() : FromUtf8(item.name), text);
        return S_FALSE;
    });
}

namespace
{

bool IsWordCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// Whether the lower-case text holds the word (not as part of a longer name).
bool HoldsWord(const std::string& text, const std::string& word)
{
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1))
        if ((at == 0 || !IsWordCharacter(text[at - 1])) &&
            (at + word.size() == text.size() || !IsWordCharacter(text[at + word.size()])))
            return true;
    return false;
}

} // namespace

std::string HostDocument::ChannelText(int32_t channel) const
{
    if (const std::optional<size_t> computed = ComputedChannelOf(channel))
        return LowerCase(ComputedChannelText(*computed));
    const auto firstCalculated = static_cast<int32_t>(FirstCalculatedChannel());
    const bool calculated = channel >= firstCalculated;
    const int32_t index = calculated ? channel - firstCalculated : channel;
    const std::wstring* installed =
        calculations_.FindText(index, calculated ? HostVirtualChannelSelector : HostChannelCalcSelector);
    if (installed)
        return LowerCase(ToUtf8(*installed));
    return calculated && static_cast<size_t>(index) < calculatedChannels_.size()
        ? LowerCase(calculatedChannels_[static_cast<size_t>(index)]) : std::string();
}

// Follows the calculated channels and named items the text reads; followed keeps those seen.
bool HostDocument::TextReads(const std::string& text, const std::function<bool(const std::string&)>& holds,
                             std::vector<std::string>& followed) const
{
    if (holds(text))
        return true;
    const auto follow = [&](const std::string& word, const std::string& itsText) {
        if (!HoldsWord(text, word) || std::find(followed.begin(), followed.end(), word) != followed.end())
            return false;
        followed.push_back(word);
        return TextReads(itsText, holds, followed);
    };
    const auto firstCalculated = static_cast<int32_t>(FirstCalculatedChannel());
    for (size_t index = 0; index < calculatedChannels_.size(); ++index)
        if (follow("vch" + std::to_string(index + 1), ChannelText(firstCalculated + static_cast<int32_t>(index))))
            return true;
    for (const NamedItem& item : items_)
        if (follow(item.name, LowerCase(item.text)))
            return true;
    return false;
}

HRESULT STDMETHODCALLTYPE HostDocument::ChannelReads(int32_t channel, const WCHAR* name, VARIANT_BOOL* reads)
{
    if (!name || !reads)
        return E_POINTER;
    *reads = VARIANT_FALSE;
    if (!HasChannel(channel))
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        const std::string word = LowerCase(ToUtf8(name));
        std::vector<std::string> followed;
        if (TextReads(ChannelText(channel), [&](const std::string& text) { return HoldsWord(text, word); }, followed))
            *reads = VARIANT_TRUE;
    });
}

// Whether the lower-case text calls a function the analysis client registered: a name right before an
// opening bracket that the client's functions know.
bool HostDocument::CallsClientFunction(const std::string& text) const
{
    if (!lookup_)
        return false;
    for (size_t at = 0; at < text.size();)
    {
        if (!IsWordCharacter(text[at]))
        {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < text.size() && IsWordCharacter(text[end]))
            ++end;
        const size_t next = text.find_first_not_of(" \t", end);
        if (next != std::string::npos && text[next] == '(' && lookup_(text.substr(at, end - at)))
            return true;
        at = end;
    }
    return false;
}

// The analysis reads its own items (the loops, the volume it corrected): an item whose calculation calls
// the client's functions, directly or through the items and channels it reads, is the analysis's.
bool HostDocument::IsAnalysisSource(const NamedItem& item) const
{
    std::vector<std::string> followed{item.name};
    return !analysisClients_.empty() &&
           TextReads(LowerCase(item.text), [this](const std::string& text) { return CallsClientFunction(text); },
                     followed);
}

} // namespace Host
