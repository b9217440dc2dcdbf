// The character that a key typed on an editable cell puts into the editor it opens.
#pragma once

#include <windows.h>

#include <optional>

namespace TVF_Grid
{

// Letters in lower case, digits of both rows, space, '-' for both minus keys, ',' and '.'; none for
// every other key.
std::optional<wchar_t> EditorStartCharacter(UINT key);

} // namespace TVF_Grid
