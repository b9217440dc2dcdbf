// A calculation enumerator held by its one reference, as the host holds it.
#pragma once

namespace CalcTesting
{

template <class T>
class Held
{
public:
    Held() : object(new T(nullptr, 0)) { object->NonDelegatingUnknown()->AddRef(); }
    ~Held() { object->NonDelegatingUnknown()->Release(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    T* operator->() const { return object; }
    T* get() const { return object; }

private:
    T* object;
};

} // namespace CalcTesting
