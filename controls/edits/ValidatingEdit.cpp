#include "controls/edits/ValidatingEdit.h"

#include "controls/errors/ErrorProvider.h"
#include "foundation/text/FormatStream.h"
#include "foundation/text/StringResources.h"
#include "resources/ResourceIds.h"

#include <cwchar>

namespace OrvControls
{

OrvRangeValidator::~OrvRangeValidator() = default;

void LongRangeValidatorErrProv::Error(OWL::TWindow* owner)
{
    if (!provider_)
    {
        OWL::TRangeValidator::Error(owner);
        return;
    }
    static const Orv::String title(Orv::ThisModule(), IDS_CONTROLS_INVALID_VALUE, true);
    static const Orv::String range(Orv::ThisModule(), IDS_CONTROLS_VALUE_RANGE, true);
    Orv::OFormatStringStream text(range);
    text << Min << Max;
    provider_->SetError(true, title, text.Str());
}

} // namespace OrvControls

DEFINE_RESPONSE_TABLE1(ValidatingEdit, OWL::TEdit)
    EV_WM_CHAR,
    EV_WM_CHILDINVALID,
END_RESPONSE_TABLE;

ValidatingEdit::ValidatingEdit(OWL::TWindow* parent, int resourceId, OWL::TModule* module)
    : OWL::TEdit(parent, resourceId, 255, module)
{
}

void ValidatingEdit::EvChar(UINT key, UINT repeatCount, UINT flags)
{
    OWL::TEdit::EvChar(key, repeatCount, flags);
    ValidateNow();
}

void ValidatingEdit::EvChildInvalid(HWND child)
{
    // The provider shows the problem beside the field: no message box, and the focus may move on.
    if (!provider_)
        OWL::TEdit::EvChildInvalid(child);
}

void ValidatingEdit::ValidateNow()
{
    if (!provider_)
        return;
    if (IsWellFormed() && IsValid(false))
        provider_->SetError(false, Orv::String(), Orv::String());
    else if (OWL::TValidator* validator = GetValidator())
        validator->Error(nullptr);
}

bool IsWellFormedInteger(const wchar_t* text)
{
    wchar_t buffer[IntEdit::TextBuffer] = {};
    wcsncpy(buffer, text, IntEdit::TextBuffer - 1);
    wchar_t* end = nullptr;
    wcstol(buffer, &end, 10);
    return end != buffer && *end == L'\0';
}

IntEdit::IntEdit(OWL::TWindow* parent, int resourceId, OWL::TModule* module)
    : ValidatingEdit(parent, resourceId, module)
{
    SetValidator(new OrvControls::OrvRangeValidator(1, 10));
    Attr.Style |= ES_NUMBER;
}

void IntEdit::SetupWindow()
{
    ValidatingEdit::SetupWindow();
    ModifyStyle(0, ES_NUMBER);
}

bool IntEdit::IsWellFormed()
{
    wchar_t text[TextBuffer] = {};
    if (GetHandle())
        ::GetWindowTextW(GetHandle(), text, static_cast<int>(TextBuffer));
    return IsWellFormedInteger(text);
}

void IntEdit::SetErrorProvider(OrvControls::ErrorProvider* provider)
{
    ValidatingEdit::SetErrorProvider(provider);
    const auto* current = dynamic_cast<const OWL::TRangeValidator*>(GetValidator());
    const long min = current ? current->GetMin() : 1;
    const long max = current ? current->GetMax() : 10;
    if (provider)
        SetValidator(new OrvControls::LongRangeValidatorErrProv(min, max, provider));
    else
        SetValidator(new OrvControls::OrvRangeValidator(min, max));
}

namespace
{

// The edit's previous procedure, kept in a window property of the edit (its user data stays the
// owner's), and the parent's filter while a text is being set, kept in a property of the parent.
const wchar_t* const SilentTextProperty = L"Sistra.SilentText";
const wchar_t* const SilentFilterProperty = L"Sistra.SilentTextFilter";

struct SilentText
{
    WNDPROC previous;
    HWND edit;
};

struct ParentFilter
{
    WNDPROC previous;
    HWND parent;
};

LRESULT CALLBACK SwallowChangeNotifications(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* filter = static_cast<ParentFilter*>(GetPropW(window, SilentFilterProperty));
    if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE)
        return 0;
    if (!filter || !filter->previous)
        return 0;
    return CallWindowProcW(filter->previous, window, msg, wParam, lParam);
}

LRESULT SetTextSilently(const SilentText& record, HWND edit, WPARAM wParam, LPARAM lParam)
{
    const HWND parent = GetParent(edit);
    if (!parent || GetPropW(parent, SilentFilterProperty))
        return CallWindowProcW(record.previous, edit, WM_SETTEXT, wParam, lParam);
    ParentFilter filter{reinterpret_cast<WNDPROC>(GetWindowLongPtrW(parent, GWLP_WNDPROC)), parent};
    SetPropW(parent, SilentFilterProperty, &filter);
    SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SwallowChangeNotifications));
    const LRESULT result = CallWindowProcW(record.previous, edit, WM_SETTEXT, wParam, lParam);
    SetWindowLongPtrW(parent, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(filter.previous));
    RemovePropW(parent, SilentFilterProperty);
    return result;
}

} // namespace

LRESULT CALLBACK SilentSetTextSubclass(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* record = static_cast<SilentText*>(GetPropW(window, SilentTextProperty));
    if (!record || !record->previous)
        return 0;
    switch (msg)
    {
    case WM_SETTEXT:
        return SetTextSilently(*record, window, wParam, lParam);
    case WM_NCDESTROY:
    {
        const WNDPROC previous = record->previous;
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
        RemovePropW(window, SilentTextProperty);
        delete record;
        CallWindowProcW(previous, window, msg, wParam, lParam);
        return 0;
    }
    default:
        return CallWindowProcW(record->previous, window, msg, wParam, lParam);
    }
}

void InstallSilentSetText(HWND edit)
{
    if (!IsWindow(edit) || GetPropW(edit, SilentTextProperty))
        return;
    auto* record = new SilentText{reinterpret_cast<WNDPROC>(GetWindowLongPtrW(edit, GWLP_WNDPROC)), edit};
    SetPropW(edit, SilentTextProperty, record);
    SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SilentSetTextSubclass));
}
