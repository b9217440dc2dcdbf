#include "platform/owl/controls/ComboBox.h"

namespace OWL
{

TComboBox::TComboBox(TWindow* parent, int id, int x, int y, int w, int h, DWORD style, UINT textLimit,
                     TModule* module)
    : TControl(parent, id, nullptr, x, y, w, h, module), TextLimit(textLimit)
{
    Attr.Style |= style | WS_VSCROLL | CBS_AUTOHSCROLL;
    Attr.ExStyle |= WS_EX_CLIENTEDGE;
}

TComboBox::TComboBox(TWindow* parent, int resourceId, UINT textLimit, TModule* module)
    : TControl(parent, resourceId, module), TextLimit(textLimit)
{
}

void TComboBox::SetupWindow()
{
    TControl::SetupWindow();
    if (TextLimit)
        SendMessage(CB_LIMITTEXT, TextLimit);
}

std::wstring TComboBox::GetString(int index) const
{
    const int length = GetStringLen(index);
    if (length < 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = static_cast<int>(SendMessage(CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data())));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

} // namespace OWL
