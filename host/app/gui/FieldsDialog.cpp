#include "host/app/gui/FieldsDialog.h"

#include "host/app/files/TextConversion.h"

#include <stdexcept>

namespace Host
{

namespace
{

// Dialog units.
constexpr short Margin = 7, LabelWidth = 70, FieldWidth = 120, RowHeight = 14, RowStep = 18;
constexpr short ButtonWidth = 50, ButtonHeight = 14, ListDropHeight = 90;
// Labels have ids of their own (a message box's text is the static of id 0xFFFF).
constexpr int LabelIdOffset = 0x80;
constexpr WORD ButtonClass = 0x0080, EditClass = 0x0081, StaticClass = 0x0082, ComboClass = 0x0085;

// A dialog template in memory: each item starts on a DWORD boundary.
class TemplateWriter
{
public:
    void Header(const std::wstring& title, short width, short height, WORD items)
    {
        DLGTEMPLATE head{};
        head.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        head.cdit = items;
        head.cx = width;
        head.cy = height;
        Raw(&head, sizeof(head));
        words_.push_back(0); // no menu
        words_.push_back(0); // the dialog class
        Text(title);
        words_.push_back(8);
        Text(L"MS Shell Dlg");
    }
    void Item(WORD classAtom, DWORD style, int id, short x, short y, short width, short height, const std::wstring& text)
    {
        if (words_.size() % 2)
            words_.push_back(0);
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = width;
        item.cy = height;
        item.id = static_cast<WORD>(id);
        Raw(&item, sizeof(item));
        words_.push_back(0xFFFF);
        words_.push_back(classAtom);
        Text(text);
        words_.push_back(0); // no creation data
    }
    const DLGTEMPLATE* Template() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

private:
    void Raw(const void* data, size_t bytes)
    {
        const auto* from = static_cast<const WORD*>(data);
        words_.insert(words_.end(), from, from + bytes / sizeof(WORD));
    }
    void Text(const std::wstring& text)
    {
        words_.insert(words_.end(), text.begin(), text.end());
        words_.push_back(0);
    }
    std::vector<WORD> words_;
};

struct Session
{
    const std::vector<DialogField>* fields;
    std::vector<std::wstring> values;
};

void FillFields(HWND dialog, const std::vector<DialogField>& fields)
{
    for (size_t index = 0; index < fields.size(); ++index)
    {
        const HWND control = GetDlgItem(dialog, DialogFieldId(index));
        if (fields[index].choices.empty())
        {
            SetWindowTextW(control, fields[index].value.c_str());
            continue;
        }
        for (const std::wstring& choice : fields[index].choices)
            SendMessageW(control, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(choice.c_str()));
        const LRESULT chosen = SendMessageW(control, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                            reinterpret_cast<LPARAM>(fields[index].value.c_str()));
        SendMessageW(control, CB_SETCURSEL, chosen == CB_ERR ? 0 : static_cast<WPARAM>(chosen), 0);
    }
}

// The edits that follow the first field's list take the texts of the item chosen in it.
void FollowFirstChoice(HWND dialog, const std::vector<DialogField>& fields)
{
    const LRESULT chosen = SendMessageW(GetDlgItem(dialog, DialogFieldId(0)), CB_GETCURSEL, 0, 0);
    for (size_t index = 1; chosen >= 0 && index < fields.size(); ++index)
        if (static_cast<size_t>(chosen) < fields[index].perFirstChoice.size())
            SetWindowTextW(GetDlgItem(dialog, DialogFieldId(index)),
                           fields[index].perFirstChoice[static_cast<size_t>(chosen)].c_str());
}

INT_PTR CALLBACK Procedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_INITDIALOG)
    {
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        FillFields(dialog, *reinterpret_cast<Session*>(lParam)->fields);
        return TRUE;
    }
    if (message != WM_COMMAND)
        return FALSE;
    if (LOWORD(wParam) == DialogFieldId(0) && HIWORD(wParam) == CBN_SELCHANGE)
    {
        FollowFirstChoice(dialog, *reinterpret_cast<Session*>(GetWindowLongPtrW(dialog, DWLP_USER))->fields);
        return TRUE;
    }
    if (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL)
        return FALSE;
    if (LOWORD(wParam) == IDOK)
    {
        auto& session = *reinterpret_cast<Session*>(GetWindowLongPtrW(dialog, DWLP_USER));
        for (size_t index = 0; index < session.fields->size(); ++index)
            session.values.push_back(WindowText(GetDlgItem(dialog, DialogFieldId(index))));
    }
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

} // namespace

std::optional<std::vector<std::wstring>> AskFields(HWND owner, const std::wstring& title,
                                                   const std::vector<DialogField>& fields)
{
    const auto rows = static_cast<short>(fields.size());
    const short width = Margin * 3 + LabelWidth + FieldWidth;
    const short buttonsTop = Margin + rows * RowStep + Margin;
    TemplateWriter writer;
    writer.Header(title, width, buttonsTop + ButtonHeight + Margin, static_cast<WORD>(fields.size() * 2 + 2));
    for (size_t index = 0; index < fields.size(); ++index)
    {
        const auto top = static_cast<short>(Margin + static_cast<short>(index) * RowStep);
        writer.Item(StaticClass, SS_LEFT, DialogFieldId(index) + LabelIdOffset, Margin, top + 2, LabelWidth, RowHeight - 2, fields[index].label);
        const short fieldLeft = Margin * 2 + LabelWidth;
        if (fields[index].choices.empty())
            writer.Item(EditClass, WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, DialogFieldId(index), fieldLeft, top,
                        FieldWidth, RowHeight, L"");
        else
            writer.Item(ComboClass, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, DialogFieldId(index), fieldLeft, top,
                        FieldWidth, ListDropHeight, L"");
    }
    writer.Item(ButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, width - Margin * 2 - ButtonWidth * 2, buttonsTop,
                ButtonWidth, ButtonHeight, L"OK");
    writer.Item(ButtonClass, BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, width - Margin - ButtonWidth, buttonsTop, ButtonWidth,
                ButtonHeight, L"Cancel");
    Session session{&fields, {}};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), writer.Template(), owner, Procedure,
                                                   reinterpret_cast<LPARAM>(&session));
    if (result == -1)
        throw std::runtime_error("cannot show the dialog '" + ToUtf8(title) + "': " + SystemErrorText(GetLastError()));
    if (result != IDOK)
        return std::nullopt;
    return session.values;
}

} // namespace Host
