#include "tableview/data/CellText.h"

#include <locale>
#include <optional>
#include <sstream>
#include <string>

namespace TableView
{

std::optional<long long> ReadClassicInteger(const Orv::String& text)
{
    std::wistringstream in{std::wstring(text.c_str())};
    in.imbue(std::locale::classic());
    long long number = 0;
    if (!(in >> number))
        return std::nullopt;
    return number;
}

Orv::String ChannelNameOf(const Orv::String& number, const ChannelNames* names)
{
    const std::optional<long long> channel = ReadClassicInteger(number);
    if (!channel || *channel < 0 || !names)
        return {};
    const auto found = names->find(static_cast<unsigned>(*channel));
    return found == names->end() ? Orv::String() : found->second;
}

} // namespace TableView
