#include "platform/owl/controls/Validator.h"

#include "platform/owl/window/Window.h"

#include "foundation/system/ModalMessage.h"

#include <algorithm>
#include <cerrno>
#include <cwchar>

namespace OWL
{

namespace
{

void Report(TWindow* owner, const std::wstring& text)
{
    Orv::ShowMessageBox(owner ? owner->GetHandle() : nullptr, Orv::String(text), Orv::String(L"Validator Error"),
                        MB_ICONEXCLAMATION | MB_OK);
}

} // namespace

void TValidator::Error(TWindow*) {}

bool TValidator::IsValidInput(std::wstring&, bool)
{
    return true;
}

bool TValidator::IsValid(const std::wstring&)
{
    return true;
}

TCharSet::TCharSet(const wchar_t* pattern)
{
    for (const wchar_t* p = pattern; *p; ++p)
    {
        if (p[1] == L'-' && p[2])
        {
            for (wchar_t ch = p[0]; ch <= p[2] && ch < 256; ++ch)
                chars_.set(ch);
            p += 2;
        }
        else if (*p < 256)
            chars_.set(*p);
    }
}

void TFilterValidator::Error(TWindow* owner)
{
    Report(owner, L"Invalid character in input");
}

bool TFilterValidator::IsValidInput(std::wstring& text, bool)
{
    return std::all_of(text.begin(), text.end(), [this](wchar_t ch) { return ValidChars.Has(ch); });
}

bool TFilterValidator::IsValid(const std::wstring& text)
{
    std::wstring copy = text;
    return TFilterValidator::IsValidInput(copy, false);
}

TRangeValidator::TRangeValidator(long min, long max)
    : TFilterValidator(TCharSet(min < 0 ? L"0-9+-" : L"0-9+")), Min(min), Max(max)
{
}

void TRangeValidator::Error(TWindow* owner)
{
    wchar_t text[96];
    swprintf(text, 96, L"Value is not in the range %ld to %ld.", Min, Max);
    Report(owner, text);
}

bool TRangeValidator::IsValid(const std::wstring& text)
{
    if (text.empty() || !TFilterValidator::IsValid(text))
        return false;
    wchar_t* end = nullptr;
    errno = 0;
    const long long value = std::wcstoll(text.c_str(), &end, 10);
    return errno == 0 && end && *end == L'\0' && value >= Min && value <= Max;
}

} // namespace OWL
