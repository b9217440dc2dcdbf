#include "calc/sources/ChannelReferences.h"

#include <algorithm>
#include <limits>

namespace ExtLib
{
namespace
{

constexpr std::wstring_view ChannelWordRest = L"annel"; // "ch" + "annel" = "channel"

bool IsDigit(wchar_t c)
{
    return c >= L'0' && c <= L'9';
}

// The decimal number from position on; saturates instead of overflowing on absurd digit runs.
int64_t ReadNumber(std::wstring_view text, std::size_t position)
{
    int64_t value = 0;
    for (; position < text.size() && IsDigit(text[position]); ++position)
        value = std::min<int64_t>(value * 10 + (text[position] - L'0'), std::numeric_limits<int32_t>::max());
    return value;
}

} // namespace

std::vector<ChannelRef> ParseChannelRefs(std::wstring_view text)
{
    std::vector<ChannelRef> refs;
    for (std::size_t c = text.find(L'c'); c != std::wstring_view::npos && c + 2 < text.size();
         c = text.find(L'c', c + 1))
    {
        if (text[c + 1] != L'h')
            continue;
        ChannelRef ref;
        ref.raw = c > 0 && text[c - 1] == L'r';
        ref.v = c > 0 && text[c - 1] == L'v';
        std::size_t number = c + 2;
        if (c + 7 < text.size() && text.substr(c + 2, ChannelWordRest.size()) == ChannelWordRest)
            number = c + 7;
        if (!IsDigit(text[number]))
            continue;
        ref.index = static_cast<int32_t>(ReadNumber(text, number) - 1);
        if (std::find(refs.begin(), refs.end(), ref) == refs.end())
            refs.push_back(ref);
    }
    return refs;
}

} // namespace ExtLib
