#include "tableview/grid/CellData.h"

#include "tableview/data/CellText.h"

#include <limits>
#include <string>

namespace TVF_Grid
{

void CellUint32Data::SetValue(std::uint32_t value)
{
    m_value = value;
    m_text = Orv::String(std::to_wstring(value).c_str());
}

TVF_CellUint32Data::TVF_CellUint32Data(const Orv::String& text)
{
    const auto number = TableView::ReadClassicInteger(text);
    const bool fits = number && *number >= 0 && *number <= std::numeric_limits<std::uint32_t>::max();
    m_value = fits ? static_cast<std::uint32_t>(*number) : NoNumber;
    m_text = text;
}

} // namespace TVF_Grid
