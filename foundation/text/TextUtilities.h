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

// A number for a calculation text the host's engine reads back: its six-digit text when that reads back
// as the same double (so settings such as 20 or 0.05 keep the text they always had), otherwise the
// shortest text that does. Written without locale punctuation.
std::wostream& WriteExactNumber(std::wostream& out, double value);

// "a->b;c->d e": the record of a units change as the host's units service reads it.
Orv::String FormatUnitsChange(const Orv::String& a, const Orv::String& b, const Orv::String& c,
                              const Orv::String& d, const Orv::String& e);
