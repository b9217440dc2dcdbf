#include "foundation/text/ProductTokens.h"

#include <algorithm>

namespace Orv
{

namespace
{
struct ProductTokenDefault
{
    const wchar_t* token;
    const wchar_t* value;
    const wchar_t* key;
};

constexpr ProductTokenDefault ProductTokenDefaults[] = {
    {L"STRIXFORWINDOWS", L"Kymorama", L"AppTitle"},
    {L"STRIX", L"Kymorama", L"AppName"},
    {L"QUARKBOX", L"Quarkbox", L"HardwareName"},
    {L"OEM", L"Orvandelworks", L"OEMName"},
};

// Index of the first occurrence of token at or after from, or Length() when there is none.
std::size_t FindFrom(const String& text, const String& token, std::size_t from)
{
    const wchar_t* begin = text.c_str();
    const wchar_t* end = begin + text.Length();
    const wchar_t* found = std::search(begin + std::min(from, text.Length()), end, token.c_str(),
                                       token.c_str() + token.Length());
    return static_cast<std::size_t>(found - begin);
}
} // namespace

void BuildProductTokenTable(ProductTokenTable& table)
{
    table.clear();
    HMODULE host = GetModuleHandleW(nullptr);
    for (const auto& entry : ProductTokenDefaults)
        LookupProductToken(table, host, entry.key, entry.token, entry.value);
}

const ProductTokenTable& ProductTokens()
{
    static const ProductTokenTable table = [] {
        ProductTokenTable built;
        BuildProductTokenTable(built);
        return built;
    }();
    return table;
}

void LookupProductToken(ProductTokenTable& table, HMODULE, String, const String& token, const String& defaultValue)
{
    table.push_back({token, defaultValue});
}

void SubstituteProductTokens(String& text)
{
    for (const ProductToken& entry : ProductTokens())
    {
        if (entry.token.IsEmpty())
            continue;
        for (std::size_t at = FindFrom(text, entry.token, 0); at < text.Length();
             at = FindFrom(text, entry.token, at + entry.value.Length()))
            text.Replace(at, entry.token.Length(), entry.value);
    }
}

} // namespace Orv
