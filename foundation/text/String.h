// Orv::String: the system's text type. A copy-on-write UTF-16 string whose storage is a COM object, so
// that the host and the module can share a text without copying it.
#pragma once

#include "hostapi/OrvStringInterfaces.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>

// The text is UTF-16, in wchar_t as on Windows.
static_assert(sizeof(wchar_t) == 2);

namespace OrvString
{
class StringRep;
}

namespace Orv
{

class StringStreamBuf;

class String
{
public:
    // Receives a BSTR from a callee's out-parameter straight into the string; see OutArg.
    class BstrOutArg
    {
    public:
        explicit BstrOutArg(String& target) : m_target(&target) {}
        BstrOutArg(const BstrOutArg&) = delete;
        BstrOutArg& operator=(const BstrOutArg&) = delete;
        // Allocation failure of the converted text propagates from here.
        ~BstrOutArg() noexcept(false);
        operator BSTR*() const { return reinterpret_cast<BSTR*>(&m_target->m_text); }

    private:
        String* m_target;
    };

    // Room handed out by GetBuffer: write up to the requested characters, then release (or let the
    // handle go), and the length is taken from the first NUL.
    class BufferWriter
    {
    public:
        explicit BufferWriter(String& target) : m_target(&target) {}
        BufferWriter(const BufferWriter&) = delete;
        BufferWriter& operator=(const BufferWriter&) = delete;
        ~BufferWriter() { ReleaseBuffer(); }
        wchar_t* Data() const { return m_target ? m_target->m_text : nullptr; }
        void ReleaseBuffer();

    private:
        String* m_target;
    };

    String();
    String(const String& other);
    String(const wchar_t* text);
    String(const char* text);
    String(const wchar_t* text, int count);
    String(const std::wstring& text);
    String(std::size_t count, wchar_t ch);
    // The text of a string resource; module null means the host executable.
    String(HINSTANCE module, UINT id, bool substituteTokens);
    ~String();

    String& operator=(const String& other);
    String& operator=(wchar_t ch);
    void Assign(const wchar_t* text);

    // Exchange with COM and the host.
    static String FromInterface(IAutoOrvString* text);
    void Assign(IAutoOrvString* text);
    void AssignAndRelease(IAutoOrvString* text);
    // The rep itself as the host sees it; the receiver adds its own reference.
    IOrvString* Interface() const;
    BstrOutArg OutArg();
    // The text in the thread's ANSI code page, valid until the next conversion or change.
    const char* Narrow();

    // Sizes: characters, and units of the buffer including the terminator.
    const wchar_t* c_str() const { return m_text; }
    std::size_t Length() const;
    std::size_t BufferCapacity() const;
    bool IsEmpty() const { return Length() == 0; }
    bool IsShared() const;
    wchar_t operator[](std::size_t index) const { return m_text[index]; }

    // Editing.
    void Reserve(std::size_t capacity);
    void ResetToCapacity(std::size_t capacity);
    void MakeUnique();
    void Clear();
    String& operator+=(const String& text);
    String& operator+=(const wchar_t* text);
    String& operator+=(wchar_t ch);
    void EraseRange(std::size_t from, std::size_t to);
    void Replace(std::size_t pos, std::size_t count, const String& text);
    void Erase(std::size_t pos, std::size_t count);
    BufferWriter GetBuffer(std::size_t chars);
    void SemicolonsToCommas();

    // Queries.
    bool operator==(const String& other) const;
    bool operator<(const String& other) const;
    String Mid(std::size_t pos, std::size_t count) const;
    int FindLastOf(const wchar_t* chars, std::size_t count) const;

private:
    friend std::wistream& operator>>(std::wistream& in, String& text);
    // Streams write straight into the buffer.
    friend class StringStreamBuf;

    OrvString::StringRep* Rep() const;
    void Attach(OrvString::StringRep* rep);
    void Append(const wchar_t* text, std::size_t chars);
    void InitFromResource(HINSTANCE module, UINT id, bool substituteTokens);
    void InitFromNarrow(const char* text, int bytes);
    void TakeBSTR();

    wchar_t* m_text;
};

// The string is its text pointer and nothing else: the host sees it as one word.
static_assert(sizeof(String) == sizeof(void*));

std::wistream& operator>>(std::wistream& in, String& text);

} // namespace Orv
