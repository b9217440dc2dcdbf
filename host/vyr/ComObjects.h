// IUnknown implementations shared by the framework's objects.
#pragma once

#include <windows.h>

#include <unknwn.h>

#include <atomic>
#include <new>
#include <string>

namespace Vyr
{

// Runs the body of a method the module calls: what it throws (only allocation failure is expected)
// becomes an HRESULT, since no exception may cross the interface.
template <class Body>
HRESULT Guarded(Body&& body) noexcept
{
    try
    {
        return body();
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
    catch (...)
    {
        return E_FAIL;
    }
}

// How often the framework's services were asked for an interface, read back through the stand-in face.
inline std::atomic<ULONG> serviceRequests{0};

// QueryInterface of an object with one interface besides IUnknown.
template <class Interface>
HRESULT AnswerOneInterface(Interface* self, REFIID own, REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, own))
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    *object = self;
    self->AddRef();
    return S_OK;
}

// An object that lives as long as the framework library. References are counted for COM's sake only.
template <class Interface, const IID* Iid>
class StaticComObject : public Interface
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        ++serviceRequests;
        return AnswerOneInterface<Interface>(this, *Iid, iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(InterlockedDecrement(&references_)); }

private:
    LONG references_ = 0;
};

// A heap object that frees itself with its last reference; it is made with one reference for its creator.
template <class Interface, const IID* Iid>
class HeapComObject : public Interface
{
public:
    HeapComObject() = default;
    HeapComObject(const HeapComObject&) = delete;
    HeapComObject& operator=(const HeapComObject&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return AnswerOneInterface<Interface>(this, *Iid, iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

protected:
    virtual ~HeapComObject() = default;

private:
    LONG references_ = 1;
};

// A face of an aggregated object: IUnknown goes to the outer object.
template <class Interface>
class DelegatingFace : public Interface
{
public:
    explicit DelegatingFace(IUnknown* outer) : outer_(outer) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        return outer_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return outer_->AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return outer_->Release(); }

private:
    IUnknown* outer_;
};

// Hands a BSTR copy of text to an out parameter.
inline HRESULT CopyToBstr(const std::wstring& text, BSTR* out)
{
    if (!out)
        return E_POINTER;
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// Takes the text of a BSTR the callee allocated and frees it.
inline std::wstring TakeBstr(BSTR text)
{
    std::wstring result = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return result;
}

} // namespace Vyr
