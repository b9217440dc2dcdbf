// The host's macro machinery as automation message classes meet it: the origin a message was sent
// from, the macro writer with its statement builders, and the writer of a command's signature.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/VyrIds.h"

#include <unknwn.h>

struct IAutoOrvString;

inline constexpr IID IID_IMessageOrigin = {0xD24434F0, 0x6C8A, 0x11D3, {0x80, 0xB4, 0x00, 0x50, 0x04, 0xAD, 0x3C, 0x53}};

// Answered by a message made with an origin (flag VyrMessageFlag::HasOrigin).
struct IMessageOrigin : IUnknown
{
    // 3: the origin pair; the first word is the origin id, the id of the view type that sent it.
    virtual HRESULT STDMETHODCALLTYPE GetOrigin(ULONG* originId, ULONG* second) = 0;
};

// Argument kinds of a statement, as the statement builder takes them.
namespace MacroArgumentKind
{
constexpr ULONG Plain = 0;      // numbers, bools written as numbers, origin texts already quoted
constexpr ULONG String = 2;
constexpr ULONG SafeArray = 3;
constexpr ULONG Rect = 4;
constexpr ULONG Bool = 5;
} // namespace MacroArgumentKind

// Builds the text of one macro statement.
struct IMacroStatement : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE Begin(IAutoOrvString* prefix, IAutoOrvString* command) = 0;          // 3
    virtual HRESULT STDMETHODCALLTYPE AddArgument(IAutoOrvString* name, IAutoOrvString* value, ULONG kind) = 0; // 4
    virtual HRESULT STDMETHODCALLTYPE GetText(IAutoOrvString** text) = 0;                                   // 5
};

// Where the host records a macro while the user works.
struct IMacroWriter : IUnknown
{
    // 3: a finished piece of macro text.
    virtual HRESULT STDMETHODCALLTYPE WriteText(IAutoOrvString* text, ULONG_PTR cookie) = 0;
    // 4: the text every statement begins with.
    virtual HRESULT STDMETHODCALLTYPE GetStatementPrefix(ULONG reserved, IAutoOrvString** prefix) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateStatement(ULONG reserved, IMacroStatement** statement) = 0;        // 5
    // 6: the builder for the elements of composite values.
    virtual HRESULT STDMETHODCALLTYPE CreateElementStatement(ULONG reserved, IMacroStatement** statement) = 0;
};

// Writes the human-readable signature of a command, line by line.
struct ISignatureWriter : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE WriteLine(IAutoOrvString* line, ULONG_PTR cookie) = 0;                // 3
};

inline constexpr IID IID_IMacroStatement = {0x5E0B7A63, 0x3C2D, 0x4F18, {0x9A, 0x41, 0x6B, 0x22, 0x0C, 0x7D, 0x90, 0x13}};
inline constexpr IID IID_IMacroWriter = {0x5E0B7A64, 0x3C2D, 0x4F18, {0x9A, 0x41, 0x6B, 0x22, 0x0C, 0x7D, 0x90, 0x13}};
inline constexpr IID IID_ISignatureWriter = {0x5E0B7A65, 0x3C2D, 0x4F18, {0x9A, 0x41, 0x6B, 0x22, 0x0C, 0x7D, 0x90, 0x13}};
