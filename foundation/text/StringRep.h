// The storage of Orv::String: one heap block holding a COM header and, right after it, the text,
// so that a string reaches its header from its text pointer and the host can hold the same block
// as an IAutoOrvString.
#pragma once

#include "hostapi/OrvStringInterfaces.h"

#include <cstdint>

namespace OrvString
{

// Every rep made by a string operation has room for at least this many units, terminator included.
constexpr std::uint32_t MinimumCapacity = 8;
// The shared empty rep is one unit larger than the minimum.
constexpr std::uint32_t EmptyRepCapacity = 9;
// No rep grows beyond this many units; larger requests fail as allocations.
constexpr std::uint32_t MaximumCapacity = 0x3FFFFFFF;

// The COM face of a rep and its header fields, in their stored order.
class StringRepBase : public IOrvString
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE SetText(BSTR text) override;
    HRESULT STDMETHODCALLTYPE GetBSTR(BSTR* text) override;
    HRESULT STDMETHODCALLTYPE IsEmpty(VARIANT_BOOL* empty) override;
    HRESULT STDMETHODCALLTYPE GetLength(ULONG* chars) override;
    HRESULT STDMETHODCALLTYPE IsEqual(IAutoOrvString* other, VARIANT_BOOL* equal) override;
    HRESULT STDMETHODCALLTYPE IsShared(VARIANT_BOOL* shared) override;
    ULONG STDMETHODCALLTYPE GetKind() override;
    HRESULT STDMETHODCALLTYPE CopyText(long bytes, void* buffer) override;
    HRESULT STDMETHODCALLTYPE GetLengthAndFormat(ULONG* chars, ULONG* format) override;
    HRESULT STDMETHODCALLTYPE GetCapacity(ULONG* chars) override;
    HRESULT STDMETHODCALLTYPE CreateRep(ULONG chars, IOrvString** rep) override;
    HRESULT STDMETHODCALLTYPE GetVariant(VARIANT* value) override;
    ULONG STDMETHODCALLTYPE Length() override;
    void STDMETHODCALLTYPE Destroy() override;
    ULONG STDMETHODCALLTYPE Reserved() override;
    wchar_t* STDMETHODCALLTYPE GetText() override;

    wchar_t* Text() { return reinterpret_cast<wchar_t*>(reinterpret_cast<char*>(this) + sizeof(StringRepBase)); }
    const wchar_t* Text() const
    {
        return reinterpret_cast<const wchar_t*>(reinterpret_cast<const char*>(this) + sizeof(StringRepBase));
    }
    // Units of the text buffer and units in use, terminator included in both.
    std::uint32_t Capacity() const { return m_capacity; }
    std::uint32_t Units() const { return m_length; }
    std::uint32_t Chars() const { return m_length - 1; }
    // Sets the length and writes the terminator at its end.
    void SetChars(std::uint32_t chars);
    bool IsUnshared() const { return m_refs == 1; }
    void Invalidate() { m_copyValid = 0; }
    void FreeNarrowCopy();
    // Converts the text in the thread's ANSI code page into the rep's own narrow copy.
    const char* MakeNarrowCopy();

protected:
    explicit StringRepBase(std::uint32_t capacity) : m_capacity(capacity) {}
    ~StringRepBase();

private:
    char* m_narrow = nullptr;
    std::uint32_t m_copyValid = 0;
    volatile LONG m_refs = 1;
    std::uint32_t m_capacity;
    std::uint32_t m_length = 1;
};

class StringRep final : public StringRepBase
{
public:
    // A new empty rep with exactly this capacity (units, terminator included) and one reference.
    static StringRep* Create(std::uint32_t capacity);
    // A new rep holding chars units of text, with at least the given capacity.
    static StringRep* Create(const wchar_t* text, std::uint32_t chars, std::uint32_t capacity);
    static StringRep* FromText(wchar_t* text) { return reinterpret_cast<StringRep*>(text) - 1; }
    static const StringRep* FromText(const wchar_t* text) { return reinterpret_cast<const StringRep*>(text) - 1; }
    // The process-wide empty rep, with one reference added for the caller.
    static StringRep* SharedEmpty();

    void STDMETHODCALLTYPE DeleteThis() override;

private:
    explicit StringRep(std::uint32_t capacity) : StringRepBase(capacity) {}
    ~StringRep() = default;
};

// The text must follow the header directly, aligned for UTF-16 units.
static_assert(sizeof(StringRep) == sizeof(StringRepBase));
static_assert(sizeof(StringRep) == 2 * sizeof(void*) + 4 * sizeof(std::uint32_t));
static_assert(sizeof(StringRep) % alignof(wchar_t) == 0);

} // namespace OrvString
