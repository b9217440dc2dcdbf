// OWL::TEdit: an edit control, optionally with a validator that it owns. A keystroke that would make
// the text invalid input is undone; when the focus leaves an edit whose text its validator refuses, the
// edit sends itself WM_CHILDINVALID, whose handling reports the error and takes the focus back; OK of a
// dialog does not close while an edit's text is refused.
#pragma once

#include "platform/owl/controls/Control.h"
#include "platform/owl/controls/Validator.h"

#include <memory>
#include <string>

namespace OWL
{

class TEdit : public TStatic
{
public:
    TEdit(TWindow* parent, int id, const wchar_t* text, int x, int y, int w, int h, UINT textLimit = 0,
          bool multiline = false, TModule* module = nullptr);
    TEdit(TWindow* parent, int resourceId, UINT textLimit = 0, TModule* module = nullptr);

    DECLARE_RESPONSE_TABLE(TEdit);

    const wchar_t* GetClassName() override { return L"EDIT"; }
    void SetupWindow() override;
    bool CanClose() override;

    // Takes ownership of the validator (null removes it).
    void SetValidator(TValidator* validator) { Validator.reset(validator); }
    TValidator* GetValidator() const { return Validator.get(); }
    // True without a validator; with one, its verdict on the text, reported when reportError is set.
    bool IsValid(bool reportError = false);
    // Reports the validator's error and puts the focus and selection back on the edit.
    void ValidatorError();

    void SetSelection(int start, int end) { SendMessage(EM_SETSEL, start, end); }
    void GetSelection(int& start, int& end) const;
    void LimitText(UINT limit);
    UINT GetTextLimit() const { return TextLimit; }
    bool IsModified() const { return SendMessage(EM_GETMODIFY) != 0; }
    void ClearModify() { SendMessage(EM_SETMODIFY, FALSE); }
    void SetReadOnly(bool readOnly) { SendMessage(EM_SETREADONLY, readOnly); }

protected:
    void EvChar(UINT key, UINT repeatCount, UINT flags);
    void EvKillFocus(HWND getsFocus);
    void EvChildInvalid(HWND child);

private:
    std::unique_ptr<TValidator> Validator;
    UINT TextLimit;
};

} // namespace OWL
