// Growable array of values with the growth and shrink rules of the pointer arrays.
#pragma once

#include "foundation/containers/Containers.h"

#include <algorithm>
#include <vector>

template <class T>
class CArrayCtor
{
public:
    explicit CArrayCtor(unsigned growStep = ArrayGrowth::DefaultStep, unsigned initialCapacity = 0,
                        bool doubling = false)
        : step_(ArrayGrowth::CheckedStep(growStep)), doubling_(doubling)
    {
        Reallocate(initialCapacity);
    }

    unsigned Count() const { return static_cast<unsigned>(items_.size()); }
    unsigned Capacity() const { return capacity_; }
    bool IsEmpty() const { return items_.empty(); }

    T& operator[](unsigned i) { return items_[i]; }
    const T& operator[](unsigned i) const { return items_[i]; }
    T* begin() { return items_.data(); }
    T* end() { return items_.data() + items_.size(); }
    const T* begin() const { return items_.data(); }
    const T* end() const { return items_.data() + items_.size(); }

    unsigned Add(const T& value)
    {
        const unsigned index = Count();
        ReserveFor(index + 1);
        items_.push_back(value);
        return index;
    }

    // Grows with value-initialised elements (0 for numbers) or cuts to n elements.
    void SetSize(unsigned n)
    {
        if (n >= Count())
        {
            ReserveFor(n);
            items_.resize(n);
            return;
        }
        const unsigned newCapacity = ArrayGrowth::CapacityAfterShrink(n, capacity_, step_);
        items_.resize(n);
        if (newCapacity != capacity_)
            Reallocate(newCapacity);
    }

    // Inserts before element i; an index beyond the count appends.
    void InsertAt(unsigned i, const T& value)
    {
        const unsigned at = std::min(i, Count());
        ReserveFor(Count() + 1);
        items_.insert(items_.begin() + at, value);
    }

    void RemoveAt(unsigned i)
    {
        if (i < Count())
            items_.erase(items_.begin() + i);
    }

    void Clear() { SetSize(0); }

private:
    void ReserveFor(unsigned n)
    {
        if (n >= capacity_)
            Reallocate(ArrayGrowth::CapacityFor(n, capacity_, step_, doubling_));
    }

    void Reallocate(unsigned newCapacity)
    {
        std::vector<T> fresh;
        fresh.reserve(newCapacity);
        fresh.assign(std::make_move_iterator(items_.begin()), std::make_move_iterator(items_.end()));
        items_.swap(fresh);
        capacity_ = newCapacity;
    }

    std::vector<T> items_;
    unsigned capacity_ = 0;
    unsigned step_;
    bool doubling_;
};

// The same array where the callers rely on new elements being zero.
template <class T>
using CArrayCtorInit = CArrayCtor<T>;

namespace Orv
{

// A set of values kept in ascending order without repeats, growing like the other arrays.
template <class T>
class SortedArray
{
public:
    explicit SortedArray(unsigned growStep = ArrayGrowth::DefaultStep) : items_(growStep) {}

    unsigned Count() const { return items_.Count(); }
    unsigned Capacity() const { return items_.Capacity(); }
    const T* begin() const { return items_.begin(); }
    const T* end() const { return items_.end(); }
    const T& operator[](unsigned i) const { return items_[i]; }

    bool Contains(const T& value) const { return std::binary_search(begin(), end(), value); }

    // False when the value was there already.
    bool Insert(const T& value)
    {
        const T* at = std::lower_bound(begin(), end(), value);
        if (at != end() && !(value < *at))
            return false;
        items_.InsertAt(static_cast<unsigned>(at - begin()), value);
        return true;
    }

    void Clear() { items_.Clear(); }

private:
    CArrayCtor<T> items_;
};

} // namespace Orv
