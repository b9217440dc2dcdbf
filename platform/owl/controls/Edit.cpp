#include "platform/owl/controls/Edit.h"

namespace OWL
{

DEFINE_RESPONSE_TABLE1(TEdit, TStatic)
    EV_WM_CHAR,
    EV_WM_KILLFOCUS,
    EV_WM_CHILDINVALID,
END_RESPONSE_TABLE;

TEdit::TEdit(TWindow* parent, int id, const wchar_t* text, int x, int y, int w, int h, UINT textLimit,
             bool multiline, TModule* module)
    : TStatic(parent, id, text, x, y, w, h, textLimit, module), TextLimit(textLimit)
{
    Attr.Style = (Attr.Style & ~SS_LEFT) | WS_TABSTOP | WS_BORDER | ES_LEFT | ES_AUTOHSCROLL;
    if (multiline)
        Attr.Style |= ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
    Attr.ExStyle |= WS_EX_CLIENTEDGE;
}

TEdit::TEdit(TWindow* parent, int resourceId, UINT textLimit, TModule* module)
    : TStatic(parent, resourceId, textLimit, module), TextLimit(textLimit)
{
}

void TEdit::SetupWindow()
{
    TStatic::SetupWindow();
    if (TextLimit)
        LimitText(TextLimit);
}

void TEdit::LimitText(UINT limit)
{
    TextLimit = limit;
    if (Handle)
        SendMessage(EM_LIMITTEXT, limit);
}

void TEdit::GetSelection(int& start, int& end) const
{
    DWORD first = 0, last = 0;
    SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&first), reinterpret_cast<LPARAM>(&last));
    start = static_cast<int>(first);
    end = static_cast<int>(last);
}

bool TEdit::IsValid(bool reportError)
{
    if (!Validator)
        return true;
    const bool valid = Validator->IsValid(GetText());
    if (!valid && reportError)
        ValidatorError();
    return valid;
}

void TEdit::ValidatorError()
{
    if (Validator)
        Validator->Error(this);
    if (Handle)
    {
        SetFocus();
        SetSelection(0, -1);
    }
}

bool TEdit::CanClose()
{
    return TStatic::CanClose() && (!IsWindowEnabled() || IsValid(true));
}

void TEdit::EvChar(UINT key, UINT repeatCount, UINT flags)
{
    if (!Validator || key < L' ')
    {
        TStatic::EvChar(key, repeatCount, flags);
        return;
    }
    const std::wstring before = GetText();
    int start = 0, end = 0;
    GetSelection(start, end);
    TStatic::EvChar(key, repeatCount, flags);
    std::wstring after = GetText();
    if (!Validator->IsValidInput(after, false))
    {
        SetWindowText(before.c_str());
        SetSelection(start, end);
        ::MessageBeep(MB_OK);
    }
    else if (after != GetText())
        SetWindowText(after.c_str());
}

void TEdit::EvKillFocus(HWND getsFocus)
{
    TStatic::EvKillFocus(getsFocus);
    // Leaving for another control of the same window with a refused text. A window of its own (the
    // refusal's message box above all) is not reported to: each box, taking the focus, raised the next.
    const bool toCancel = getsFocus && ::GetDlgCtrlID(getsFocus) == IDCANCEL;
    const bool sameWindow = getsFocus && ::GetAncestor(getsFocus, GA_ROOT) == ::GetAncestor(Handle, GA_ROOT);
    if (Validator && sameWindow && !toCancel && IsWindowEnabled() && !IsValid(false))
        PostMessage(WM_CHILDINVALID, reinterpret_cast<WPARAM>(Handle));
}

void TEdit::EvChildInvalid(HWND)
{
    // The text may have been mended since the message was posted; and when the focus is back on the
    // edit, the refusal was reported already (OK of the dialog asks before this message arrives).
    if (::GetFocus() != Handle && !IsValid(false))
        ValidatorError();
}

} // namespace OWL
