#include "foundation/text/StringResources.h"

#include "foundation/text/ProductTokens.h"
#include "foundation/text/String.h"
#include "foundation/text/StringRep.h"

#include <map>
#include <span>

namespace Orv
{

namespace
{
// A string id n lies in the block named (n >> 4) + 1, at index n & 15.
constexpr UINT StringsPerBlock = 16;

std::optional<LANGID>& CurrentApplicationLanguage()
{
    static std::optional<LANGID> language;
    return language;
}

WORD BlockOfString(UINT id)
{
    return static_cast<WORD>((id / StringsPerBlock) + 1);
}

// The counted string at index within a block; nothing when the string is absent or the block is
// too short to hold it.
std::optional<std::span<const wchar_t>> StringInBlock(HMODULE module, HRSRC block, UINT index)
{
    if (!block)
        return std::nullopt;
    const DWORD bytes = SizeofResource(module, block);
    HGLOBAL loaded = LoadResource(module, block);
    const auto* units = loaded ? static_cast<const wchar_t*>(LockResource(loaded)) : nullptr;
    if (!units)
        return std::nullopt;
    const std::size_t size = bytes / sizeof(wchar_t);
    std::size_t pos = 0;
    for (UINT skipped = 0; skipped < index && pos < size; ++skipped)
        pos += 1 + static_cast<std::size_t>(units[pos]);
    if (pos >= size)
        return std::nullopt;
    const std::size_t count = units[pos];
    if (count == 0 || pos + 1 + count > size)
        return std::nullopt;
    return std::span<const wchar_t>(units + pos + 1, count);
}
} // namespace

void SetApplicationLanguage(std::optional<LANGID> language)
{
    CurrentApplicationLanguage() = language;
}

std::optional<LANGID> ApplicationLanguage()
{
    return CurrentApplicationLanguage();
}

HINSTANCE ThisModule()
{
    static const HINSTANCE module = [] {
        HMODULE found = nullptr;
        GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&ThisModule), &found);
        return found;
    }();
    return module;
}

void String::InitFromResource(HINSTANCE module, UINT id, bool substituteTokens)
{
    if (id == 0)
        return;
    HMODULE source = module ? module : GetModuleHandleW(nullptr);
    const WORD block = BlockOfString(id);
    const UINT index = id % StringsPerBlock;
    std::optional<std::span<const wchar_t>> text;
    if (const auto language = ApplicationLanguage())
        text = StringInBlock(source, FindResourceExW(source, RT_STRING, MAKEINTRESOURCEW(block), *language), index);
    if (!text)
        text = StringInBlock(source, FindResourceW(source, MAKEINTRESOURCEW(block), RT_STRING), index);
    if (!text)
        return;
    Attach(OrvString::StringRep::Create(text->data(), static_cast<std::uint32_t>(text->size()), 0));
    if (substituteTokens)
        SubstituteProductTokens(*this);
}

const String& LoadedText(UINT id)
{
    static std::map<UINT, String> loaded;
    auto found = loaded.find(id);
    if (found == loaded.end())
        found = loaded.emplace(id, String(ThisModule(), id, true)).first;
    return found->second;
}

} // namespace Orv
