// The module's pointer arrays: an untyped array with a growth step, typed arrays that own (delete)
// their elements, and arrays of COM interfaces that hold one reference per element.
//
// All of them grow in multiples of their step (or by doubling) and give memory back only when less than
// a quarter of the slots is in use, so add/remove cycles do not reallocate each time.
#pragma once

#include <unknwn.h>

#include <algorithm>
#include <cstddef>
#include <memory>
#include <type_traits>

namespace ArrayGrowth
{

constexpr unsigned DefaultStep = 8;

// Slots to allocate so that `needed` items fit: the next multiple of the step strictly above needed,
// and with doubling at least twice the old capacity.
unsigned CapacityFor(unsigned needed, unsigned capacity, unsigned step, bool doubling);

// Slots after cutting the count to `count`: half the capacity when less than a quarter stays in use
// and the half still holds a whole step; otherwise the capacity unchanged.
unsigned CapacityAfterShrink(unsigned count, unsigned capacity, unsigned step);

// Refuses a step of 0 (the growth rule divides by it).
unsigned CheckedStep(unsigned step);

} // namespace ArrayGrowth

template <class T>
class Array;

// Growable array of untyped pointers. It never owns anything by itself; derived arrays say what
// destroying an item means (DestroyRange) and the owns flag says whether dropped items are destroyed.
template <>
class Array<void*>
{
public:
    explicit Array(unsigned growStep = ArrayGrowth::DefaultStep, unsigned initialCapacity = 0,
                   bool doubling = false, bool ownsItems = false);
    virtual ~Array();
    Array(const Array&) = delete;
    Array& operator=(const Array&) = delete;

    unsigned Count() const { return count_; }
    unsigned Capacity() const { return capacity_; }
    unsigned GrowStep() const { return step_; }
    bool OwnsItems() const { return ownsItems_; }
    void SetOwnsItems(bool owns) { ownsItems_ = owns; }
    bool IsEmpty() const { return count_ == 0; }

    void* operator[](unsigned i) const { return items_[i]; }
    void* const* begin() const { return items_.get(); }
    void* const* end() const { return items_.get() + count_; }

    // Makes the count at least n; new slots are null. Never shrinks.
    void GrowTo(unsigned n);
    // Grows or shrinks to exactly n items; dropped items are destroyed when the array owns them.
    void SetCount(unsigned n);
    // The slot i for writing; the array grows to i + 1 items when needed.
    void*& ElementAt(unsigned i);
    // Appends p and returns its index. When growing fails nothing is stored.
    unsigned Add(void* p);
    // Removes [from, min(to, count)), destroying the items when destroy is set and the array owns
    // them; false when that range is empty.
    bool RemoveRange(unsigned from, unsigned to, bool destroy);
    // Removes the first item equal to p (destroying it when the array owns its items).
    bool Remove(void* p);
    int IndexOf(const void* p) const;

protected:
    virtual void Reallocate(unsigned newCapacity);
    // What destroying the items [from, min(to, count)) means for the element type: nothing here.
    virtual void DestroyRange(unsigned from, unsigned to);

    void** Slots() { return items_.get(); }

private:
    unsigned capacity_ = 0;
    std::unique_ptr<void*[]> items_;
    unsigned count_ = 0;
    unsigned step_;
    bool ownsItems_;
    bool doubling_;
};

class CArrayVoidP : public Array<void*>
{
public:
    using Array<void*>::Array;
};

// Deletion policies of the typed arrays.
template <class T>
struct CIArray_CallDelete
{
    static void DeleteItem(T* item) { delete item; }
};

template <class T>
struct CIArray_NeverCallDeleteAtRuntime
{
    static void DeleteItem(T*) {}
};

// Growable array of pointers to T that deletes its elements with the policy D while it owns them:
// when they are removed with destruction, cut off by SetCount, or when the array is destroyed.
// Add(p) on an array that owns its items takes p over only when it succeeds.
template <class T, class D = CIArray_CallDelete<T>>
class CIArray : public CArrayVoidP, private D
{
public:
    explicit CIArray(unsigned growStep = ArrayGrowth::DefaultStep, unsigned initialCapacity = 0,
                     bool doubling = false, bool ownsItems = true)
        : CArrayVoidP(growStep, initialCapacity, doubling, ownsItems)
    {
    }
    ~CIArray() override { DestroyRange(0, Count()); }

    T* operator[](unsigned i) const { return static_cast<T*>(CArrayVoidP::operator[](i)); }
    unsigned Add(T* item) { return CArrayVoidP::Add(item); }
    int IndexOf(const T* item) const { return CArrayVoidP::IndexOf(item); }
    bool Remove(T* item) { return CArrayVoidP::Remove(item); }

protected:
    void DestroyRange(unsigned from, unsigned to) override
    {
        if (!OwnsItems())
            return;
        void** slots = Slots();
        // Last first; the slot is nulled before the element goes, so a re-entrant look sees no corpse.
        for (unsigned i = std::min(to, Count()); i > from; --i)
        {
            T* item = static_cast<T*>(slots[i - 1]);
            slots[i - 1] = nullptr;
            if (item)
                D::DeleteItem(item);
        }
    }
};

// Array of interface pointers that neither adds nor releases references: the owner guarantees that
// the objects outlive their entries.
template <class I>
class WeakInterfaceArray : public CIArray<I, CIArray_NeverCallDeleteAtRuntime<I>>
{
public:
    explicit WeakInterfaceArray(unsigned growStep = ArrayGrowth::DefaultStep, unsigned initialCapacity = 0,
                                bool doubling = false)
        : CIArray<I, CIArray_NeverCallDeleteAtRuntime<I>>(growStep, initialCapacity, doubling, false)
    {
    }
};

// Array of COM interfaces holding one reference per non-null element: taken on Add, released when the
// element is removed, cut off or the array is destroyed.
class IUnknownArray : private CArrayVoidP
{
public:
    explicit IUnknownArray(unsigned growStep = ArrayGrowth::DefaultStep, unsigned initialCapacity = 0,
                           bool doubling = false);
    ~IUnknownArray() override;

    using CArrayVoidP::Capacity;
    using CArrayVoidP::Count;
    using CArrayVoidP::IsEmpty;

    IUnknown* operator[](unsigned i) const { return static_cast<IUnknown*>(CArrayVoidP::operator[](i)); }
    // Appends p with a reference of its own; returns the index.
    unsigned Add(IUnknown* p);
    // Releases item i and closes the gap; indices at or beyond the count are ignored.
    void RemoveAt(unsigned i);
    int IndexOf(const IUnknown* p) const { return CArrayVoidP::IndexOf(p); }
    // Grows with null entries or releases the entries beyond n.
    void SetCount(unsigned n) { CArrayVoidP::SetCount(n); }
    void Clear() { SetCount(0); }

protected:
    void DestroyRange(unsigned from, unsigned to) override { ReleaseRange(from, to); }
    void ReleaseRange(unsigned from, unsigned to);
};

template <class I>
class InterfaceArrayBase : public IUnknownArray
{
    static_assert(std::is_base_of_v<IUnknown, I>, "InterfaceArray holds COM interfaces");

public:
    using IUnknownArray::IUnknownArray;

    I* operator[](unsigned i) const { return static_cast<I*>(IUnknownArray::operator[](i)); }
    unsigned Add(I* p) { return IUnknownArray::Add(p); }
    int IndexOf(const I* p) const { return IUnknownArray::IndexOf(p); }
};

template <class I>
class InterfaceArray : public InterfaceArrayBase<I>
{
public:
    using InterfaceArrayBase<I>::InterfaceArrayBase;
};

namespace Orv
{

// A heap block of elements with its size, owned by the wrapper.
template <class T>
class ArrayWrapper
{
public:
    using Element = std::remove_const_t<T>;

    ArrayWrapper(const Element* source, std::size_t count)
        : data_(std::make_unique_for_overwrite<Element[]>(count)), size_(count)
    {
        std::copy(source, source + count, data_.get());
    }

    T* Data() const { return data_.get(); }
    std::size_t Size() const { return size_; }

private:
    std::unique_ptr<Element[]> data_;
    std::size_t size_;
};

} // namespace Orv
