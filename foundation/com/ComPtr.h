// Owner of one counted COM interface reference.
#pragma once

#include <unknwn.h>

#include <utility>

namespace Orv
{

template <class Interface>
class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adds a reference of its own.
    explicit ComPtr(Interface* pointer) : pointer_(pointer) { AddRefHeld(); }
    ComPtr(const ComPtr& other) : pointer_(other.pointer_) { AddRefHeld(); }
    ComPtr(ComPtr&& other) noexcept : pointer_(std::exchange(other.pointer_, nullptr)) {}
    ~ComPtr() { Reset(); }

    ComPtr& operator=(ComPtr other) noexcept
    {
        std::swap(pointer_, other.pointer_);
        return *this;
    }

    // Takes over a reference the caller already owns.
    static ComPtr Adopt(Interface* pointer)
    {
        ComPtr result;
        result.pointer_ = pointer;
        return result;
    }

    void Reset()
    {
        if (Interface* old = std::exchange(pointer_, nullptr))
            old->Release();
    }

    // Gives the reference up to the caller.
    Interface* Detach() { return std::exchange(pointer_, nullptr); }

    // For out parameters: releases what is held and hands out the slot.
    Interface** Put()
    {
        Reset();
        return &pointer_;
    }
    void** PutVoid() { return reinterpret_cast<void**>(Put()); }

    Interface* Get() const { return pointer_; }
    Interface* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    template <class Other>
    ComPtr<Other> As(REFIID iid) const
    {
        ComPtr<Other> result;
        if (pointer_)
            pointer_->QueryInterface(iid, result.PutVoid());
        return result;
    }

private:
    void AddRefHeld()
    {
        if (pointer_)
            pointer_->AddRef();
    }

    Interface* pointer_ = nullptr;
};

} // namespace Orv
