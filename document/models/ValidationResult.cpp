#include "document/models/ValidationResult.h"

#include "foundation/text/StringResources.h"

namespace Sistra
{

ValidationResult::ValidationResult(UINT titleId, UINT messageId)
    : status(1), title(TitleText(titleId)), message(Orv::ThisModule(), messageId, true)
{
}

ValidationResult::ValidationResult(const Orv::String& titleText, const Orv::String& messageText)
    : status(1), title(titleText), message(messageText)
{
}

const ValidationResult& ValidationResult::Ok()
{
    static const ValidationResult ok;
    return ok;
}

ValidationResult ValidationResult::NotReady()
{
    ValidationResult result;
    result.status = 1;
    return result;
}

Orv::String ValidationResult::TitleText(UINT titleId)
{
    return Orv::String(Orv::ThisModule(), titleId, true);
}

} // namespace Sistra
