// Numeric entry fields that check their text while the user types and report a problem on an error
// provider instead of a message box, the integer range validators they use, and a subclass that lets a
// dialog set an edit's text without hearing EN_CHANGE.
#pragma once

#include "platform/owl/controls/Edit.h"
#include "platform/owl/controls/Validator.h"

#include <windows.h>

namespace OrvControls
{

class ErrorProvider;

class OrvRangeValidator : public OWL::TRangeValidator
{
public:
    OrvRangeValidator(long min, long max) : OWL::TRangeValidator(min, max) {}
    ~OrvRangeValidator() override;
};

// Shows "Value must be in range Min to Max." on its error provider; without one, the standard report.
class LongRangeValidatorErrProv : public OrvRangeValidator
{
public:
    LongRangeValidatorErrProv(long min, long max, ErrorProvider* provider)
        : OrvRangeValidator(min, max), provider_(provider)
    {
    }
    void Error(OWL::TWindow* owner) override;

private:
    ErrorProvider* provider_;
};

} // namespace OrvControls

class ValidatingEdit : public OWL::TEdit
{
public:
    ValidatingEdit(OWL::TWindow* parent, int resourceId, OWL::TModule* module = nullptr);

    // Whether the text has the syntax the edit expects.
    virtual bool IsWellFormed() = 0;
    virtual void SetErrorProvider(OrvControls::ErrorProvider* provider) { provider_ = provider; }
    OrvControls::ErrorProvider* GetErrorProvider() const { return provider_; }

    // Clears the provider when the text is well formed and valid, else reports through the validator.
    void ValidateNow();

protected:
    void EvChar(UINT key, UINT repeatCount, UINT flags);
    void EvChildInvalid(HWND child);

    OrvControls::ErrorProvider* provider_ = nullptr;

    DECLARE_RESPONSE_TABLE(ValidatingEdit);
};

// A whole number from 1 to 10 unless the validator is given another range.
class IntEdit : public ValidatingEdit
{
public:
    static constexpr size_t TextBuffer = 30;

    IntEdit(OWL::TWindow* parent, int resourceId, OWL::TModule* module = nullptr);

    bool IsWellFormed() override;
    void SetErrorProvider(OrvControls::ErrorProvider* provider) override;
    void SetupWindow() override;
};

// Whether a text is one whole number as wcstol reads it, judged on its first 29 characters.
bool IsWellFormedInteger(const wchar_t* text);

// The subclass procedure, and its installation on an edit of a dialog: while the edit's text is set
// through WM_SETTEXT its parent hears no EN_CHANGE; typing still notifies. The edit's and the parent's
// user data are left as they were.
LRESULT CALLBACK SilentSetTextSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
void InstallSilentSetText(HWND edit);
