// Small text helpers shared by the views and dialogs.
#pragma once

#include "foundation/text/String.h"

#include <ostream>
#include <string>

// The decimal text of n as the global stream locale writes it.
std::wstring IntToWString(int n);

// Inserts a narrow text converted with the thread's ANSI code page. A null or oversized text, or one
// that does not convert, inserts nothing.
std::wostream& WriteNarrowText(std::wostream& out, const char* text);

// "a->b;c->d e": the record of a units change as the host's units service reads it.
Orv::String FormatUnitsChange(const Orv::String& a, const Orv::String& b, const Orv::String& c,
                              const Orv::String& d, const Orv::String& e);
