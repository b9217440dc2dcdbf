// The outcome of a model's check: no problem, or a problem with a title and a message (a problem
// without text means the step is simply not complete yet).
#pragma once

#include "foundation/text/String.h"

#include <cstdint>

namespace Sistra
{

class ValidationResult
{
public:
    // No problem.
    ValidationResult() = default;
    // A problem whose texts come from the module's string table.
    ValidationResult(UINT titleId, UINT messageId);
    ValidationResult(const Orv::String& title, const Orv::String& message);

    // The shared result without a problem.
    static const ValidationResult& Ok();
    // A problem without text: the step is not complete.
    static ValidationResult NotReady();
    // A problem whose message is a string-table template filled with the arguments, in order.
    template <class... Args>
    static ValidationResult Formatted(UINT titleId, UINT formatId, const Args&... args);

    bool HasProblem() const { return status != 0; }

    uint8_t status = 0;
    Orv::String title;
    Orv::String message;

private:
    static Orv::String TitleText(UINT titleId);
};

} // namespace Sistra

#include "foundation/text/FormatStream.h"

template <class... Args>
Sistra::ValidationResult Sistra::ValidationResult::Formatted(UINT titleId, UINT formatId, const Args&... args)
{
    Orv::OFormatStringStream message(formatId);
    (message << ... << args);
    return ValidationResult(TitleText(titleId), message.Str());
}
