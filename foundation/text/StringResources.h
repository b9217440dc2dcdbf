// Texts of Win32 string tables, in the application's language with the table's default language as
// fall-back: see the Orv::String constructor that takes a module and an id.
#pragma once

#include <windows.h>

#include <optional>

namespace Orv
{

// The language of the current application object, when there is one. The application object sets
// it when it is created and clears it when it goes; string loads try it before the default language.
void SetApplicationLanguage(std::optional<LANGID> language);
std::optional<LANGID> ApplicationLanguage();

// The module whose code this is: Sistra.dll, or a test executable that links the code in.
HINSTANCE ThisModule();

class String;
// This module's text of that id, its product tokens replaced, loaded on first use and kept while the
// module is loaded (texts do not change meanwhile). For the user-interface thread.
const String& LoadedText(UINT id);

} // namespace Orv
