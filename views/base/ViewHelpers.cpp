#include "views/base/ViewHelpers.h"

#include "foundation/text/FormatStream.h"

namespace Sistra
{

Orv::String TitledCommandText(UINT formatId, const Orv::String& title)
{
    Orv::OFormatStringStream text(formatId);
    text << title;
    return text.Str();
}

} // namespace Sistra
