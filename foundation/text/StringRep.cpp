#include "foundation/text/StringRep.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace OrvString
{

namespace
{
VARIANT_BOOL ToVariantBool(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

// The process's own reference to the empty rep, dropped at exit; strings that outlive it keep theirs.
struct SharedEmptyRep
{
    StringRep* rep = StringRep::Create(EmptyRepCapacity);
    SharedEmptyRep() { std::fill_n(rep->Text(), EmptyRepCapacity, L'\0'); }
    ~SharedEmptyRep() { rep->Release(); }
};
} // namespace

StringRepBase::~StringRepBase()
{
    delete[] m_narrow;
}

HRESULT STDMETHODCALLTYPE StringRepBase::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IOrvString*>(this), iid, object, IID_IAutoOrvString, IID_IOrvString);
}

ULONG STDMETHODCALLTYPE StringRepBase::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&m_refs));
}

ULONG STDMETHODCALLTYPE StringRepBase::Release()
{
    const LONG refs = InterlockedDecrement(&m_refs);
    if (refs == 0)
        DeleteThis();
    return static_cast<ULONG>(refs);
}

HRESULT STDMETHODCALLTYPE StringRepBase::SetText(BSTR text)
{
    if (!IsUnshared())
        return E_FAIL;
    const UINT chars = text ? SysStringLen(text) : 0;
    if (chars >= m_capacity)
        return E_FAIL;
    if (chars > 0)
        std::memcpy(Text(), text, chars * sizeof(wchar_t));
    SetChars(chars);
    Invalidate();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StringRepBase::GetBSTR(BSTR* text)
{
    if (!text)
        return E_FAIL;
    SysFreeString(*text);
    *text = nullptr;
    if (Chars() == 0)
        return S_OK;
    *text = SysAllocStringLen(Text(), Chars());
    return *text ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE StringRepBase::IsEmpty(VARIANT_BOOL* empty)
{
    if (!empty)
        return E_POINTER;
    *empty = ToVariantBool(m_length <= 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StringRepBase::GetLength(ULONG* chars)
{
    if (!chars)
        return E_POINTER;
    *chars = Chars();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StringRepBase::IsEqual(IAutoOrvString* other, VARIANT_BOOL* equal)
{
    if (!equal)
        return E_POINTER;
    if (!other)
        return E_INVALIDARG;
    if (other == static_cast<IAutoOrvString*>(this))
    {
        *equal = VARIANT_TRUE;
        return S_OK;
    }
    if (other->GetKind() == OrvStringKindNative)
    {
        const auto* rep = static_cast<const StringRepBase*>(static_cast<IOrvString*>(other));
        *equal = ToVariantBool(rep->Units() == Units() &&
                               std::equal(Text(), Text() + Chars(), rep->Text()));
        return S_OK;
    }
    BSTR text = nullptr;
    const HRESULT hr = other->GetBSTR(&text);
    if (FAILED(hr))
        return hr;
    const UINT otherChars = SysStringLen(text);
    *equal = ToVariantBool(otherChars == Chars() && std::equal(Text(), Text() + Chars(), text));
    SysFreeString(text);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StringRepBase::IsShared(VARIANT_BOOL* shared)
{
    if (!shared)
        return E_POINTER;
    *shared = ToVariantBool(m_refs > 1);
    return S_OK;
}

ULONG STDMETHODCALLTYPE StringRepBase::GetKind()
{
    return OrvStringKindNative;
}

HRESULT STDMETHODCALLTYPE StringRepBase::CopyText(long bytes, void* buffer)
{
    if (!buffer || bytes < 0 || static_cast<unsigned long>(bytes) < 2ul * m_length)
        return E_FAIL;
    std::memcpy(buffer, Text(), m_length * sizeof(wchar_t));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StringRepBase::GetLengthAndFormat(ULONG* chars, ULONG* format)
{
    if (!chars || !format)
        return E_POINTER;
    *chars = Chars();
    *format = OrvStringFormatUtf16;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StringRepBase::GetCapacity(ULONG* chars)
{
    if (!chars)
        return E_POINTER;
    *chars = m_capacity - 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StringRepBase::CreateRep(ULONG chars, IOrvString** rep)
{
    if (!rep)
        return E_POINTER;
    *rep = nullptr;
    if (chars >= MaximumCapacity)
        return E_OUTOFMEMORY;
    return Orv::CatchReturn([&] {
        *rep = StringRep::Create(std::max<std::uint32_t>(chars + 1, MinimumCapacity));
    });
}

HRESULT STDMETHODCALLTYPE StringRepBase::GetVariant(VARIANT* value)
{
    if (!value)
        return E_POINTER;
    VariantInit(value);
    value->vt = VT_BSTR;
    value->bstrVal = nullptr;
    if (Chars() == 0)
        return S_OK;
    value->bstrVal = SysAllocStringLen(Text(), Chars());
    return value->bstrVal ? S_OK : E_OUTOFMEMORY;
}

ULONG STDMETHODCALLTYPE StringRepBase::Length()
{
    return Chars();
}

void STDMETHODCALLTYPE StringRepBase::Destroy()
{
    DeleteThis();
}

ULONG STDMETHODCALLTYPE StringRepBase::Reserved()
{
    return 0;
}

wchar_t* STDMETHODCALLTYPE StringRepBase::GetText()
{
    return Text();
}

void StringRepBase::SetChars(std::uint32_t chars)
{
    m_length = chars + 1;
    Text()[chars] = L'\0';
}

void StringRepBase::FreeNarrowCopy()
{
    delete[] m_narrow;
    m_narrow = nullptr;
    m_copyValid = 0;
}

const char* StringRepBase::MakeNarrowCopy()
{
    const int size = WideCharToMultiByte(CP_THREAD_ACP, 0, Text(), static_cast<int>(m_length), nullptr, 0,
                                         nullptr, nullptr);
    char* narrow = new char[static_cast<std::size_t>(std::max(size, 1))];
    narrow[0] = '\0';
    if (size > 0)
        WideCharToMultiByte(CP_THREAD_ACP, 0, Text(), static_cast<int>(m_length), narrow, size, nullptr, nullptr);
    FreeNarrowCopy();
    m_narrow = narrow;
    m_copyValid = 1;
    return m_narrow;
}

StringRep* StringRep::Create(std::uint32_t capacity)
{
    if (capacity == 0 || capacity > MaximumCapacity)
        throw std::bad_alloc();
    void* block = ::operator new(sizeof(StringRep) + capacity * sizeof(wchar_t));
    auto* rep = new (block) StringRep(capacity);
    rep->Text()[0] = L'\0';
    return rep;
}

StringRep* StringRep::Create(const wchar_t* text, std::uint32_t chars, std::uint32_t capacity)
{
    if (chars >= MaximumCapacity)
        throw std::bad_alloc();
    StringRep* rep = Create(std::max({capacity, chars + 1, MinimumCapacity}));
    if (chars > 0)
        std::memcpy(rep->Text(), text, chars * sizeof(wchar_t));
    rep->SetChars(chars);
    return rep;
}

StringRep* StringRep::SharedEmpty()
{
    static SharedEmptyRep shared;
    shared.rep->AddRef();
    return shared.rep;
}

void STDMETHODCALLTYPE StringRep::DeleteThis()
{
    this->~StringRep();
    ::operator delete(this);
}

} // namespace OrvString
