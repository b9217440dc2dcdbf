// A small modal dialog of the host's own: a column of labelled fields, each an edit or a drop-down list,
// over OK and Cancel. The host's channel commands ask their questions with it.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace Host
{

struct DialogField
{
    std::wstring label;
    std::wstring value;                // an edit's text, or the list's chosen item
    std::vector<std::wstring> choices; // none: an edit
    // An edit that follows the first field's list: the text it takes when that list's item of the same
    // index is chosen (none: it keeps what it holds).
    std::vector<std::wstring> perFirstChoice;
};

// The control id of the index-th field.
constexpr int DialogFieldId(size_t index)
{
    return 0x3100 + static_cast<int>(index);
}

// The fields' values as the person left them on OK; none on Cancel. Throws std::runtime_error when the
// dialog cannot be made.
std::optional<std::vector<std::wstring>> AskFields(HWND owner, const std::wstring& title,
                                                   const std::vector<DialogField>& fields);

} // namespace Host
