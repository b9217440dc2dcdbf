// OWL::TResId: a resource named by text or by a 16-bit number, as Win32 resource calls take it.
#pragma once

#include <windows.h>

namespace OWL
{

class TResId
{
public:
    constexpr TResId() : id_(nullptr) {}
    TResId(int number) : id_(MAKEINTRESOURCEW(number)) {}
    constexpr TResId(const wchar_t* name) : id_(name) {}

    operator const wchar_t*() const { return id_; }
    const wchar_t* GetPointerRepresentation() const { return id_; }
    bool IsInt() const { return IS_INTRESOURCE(id_); }
    int GetInt() const { return static_cast<int>(reinterpret_cast<ULONG_PTR>(id_)); }

private:
    const wchar_t* id_;
};

} // namespace OWL
