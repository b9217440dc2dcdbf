// Validators check the text of an edit: while it is typed (IsValidInput, which may refuse a keystroke)
// and when it is complete (IsValid, asked when the focus leaves the edit and when its dialog closes
// with OK). Error reports a refused text to the user; a derived validator may report elsewhere.
#pragma once

#include <windows.h>

#include <bitset>
#include <string>

namespace OWL
{

class TWindow;

class TValidator
{
public:
    TValidator() = default;
    virtual ~TValidator() = default;
    TValidator(const TValidator&) = delete;
    TValidator& operator=(const TValidator&) = delete;

    // Reports a refused text (a message box through the module's message-box route).
    virtual void Error(TWindow* owner);
    // Whether the text may stand while it is still being typed.
    virtual bool IsValidInput(std::wstring& text, bool suppressFill);
    // Whether the text is a complete, acceptable value.
    virtual bool IsValid(const std::wstring& text);
};

// A set of characters, given as a pattern of single characters and ranges ("0-9+-").
class TCharSet
{
public:
    explicit TCharSet(const wchar_t* pattern = L"");
    bool Has(wchar_t ch) const { return ch < 256 && chars_.test(ch); }

private:
    std::bitset<256> chars_;
};

// Accepts only the characters of a set.
class TFilterValidator : public TValidator
{
public:
    explicit TFilterValidator(const TCharSet& validChars) : ValidChars(validChars) {}

    void Error(TWindow* owner) override;
    bool IsValidInput(std::wstring& text, bool suppressFill) override;
    bool IsValid(const std::wstring& text) override;

protected:
    TCharSet ValidChars;
};

// Accepts a whole number from Min to Max.
class TRangeValidator : public TFilterValidator
{
public:
    TRangeValidator(long min, long max);

    void Error(TWindow* owner) override;
    bool IsValid(const std::wstring& text) override;

    long GetMin() const { return Min; }
    long GetMax() const { return Max; }
    void SetMin(long min) { Min = min; }
    void SetMax(long max) { Max = max; }

protected:
    long Min;
    long Max;
};

} // namespace OWL
