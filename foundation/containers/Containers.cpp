#include "foundation/containers/Containers.h"

#include <stdexcept>

namespace ArrayGrowth
{

unsigned CapacityFor(unsigned needed, unsigned capacity, unsigned step, bool doubling)
{
    const unsigned stepped = (needed / step + 1) * step;
    return doubling ? std::max(stepped, 2 * capacity) : stepped;
}

unsigned CapacityAfterShrink(unsigned count, unsigned capacity, unsigned step)
{
    const bool halve = count < capacity / 4 && capacity / 2 >= step;
    return halve ? capacity / 2 : capacity;
}

unsigned CheckedStep(unsigned step)
{
    if (step == 0)
        throw std::invalid_argument("array grow step must be at least 1");
    return step;
}

} // namespace ArrayGrowth

Array<void*>::Array(unsigned growStep, unsigned initialCapacity, bool doubling, bool ownsItems)
    : step_(ArrayGrowth::CheckedStep(growStep)), ownsItems_(ownsItems), doubling_(doubling)
{
    if (initialCapacity > 0)
        Reallocate(initialCapacity);
}

Array<void*>::~Array() = default;

void Array<void*>::Reallocate(unsigned newCapacity)
{
    auto fresh = std::make_unique<void*[]>(newCapacity);
    std::copy(items_.get(), items_.get() + std::min(newCapacity, count_), fresh.get());
    items_ = std::move(fresh);
    capacity_ = newCapacity;
    count_ = std::min(count_, newCapacity);
}

void Array<void*>::DestroyRange(unsigned, unsigned)
{
}

void Array<void*>::GrowTo(unsigned n)
{
    if (n <= count_)
        return;
    // A count that fills the block exactly already moves to the next step.
    if (n >= capacity_)
        Reallocate(ArrayGrowth::CapacityFor(n, capacity_, step_, doubling_));
    std::fill(items_.get() + count_, items_.get() + n, nullptr);
    count_ = n;
}

void Array<void*>::SetCount(unsigned n)
{
    if (n >= count_)
    {
        GrowTo(n);
        return;
    }
    const unsigned newCapacity = ArrayGrowth::CapacityAfterShrink(n, capacity_, step_);
    if (newCapacity != capacity_)
    {
        // The smaller block is made before anything is destroyed, so a failed allocation changes nothing.
        auto fresh = std::make_unique<void*[]>(newCapacity);
        std::copy(items_.get(), items_.get() + n, fresh.get());
        DestroyRange(n, count_);
        items_ = std::move(fresh);
        capacity_ = newCapacity;
    }
    else
    {
        DestroyRange(n, count_);
    }
    count_ = n;
}

void*& Array<void*>::ElementAt(unsigned i)
{
    if (i >= count_)
    {
        if (i >= capacity_)
            Reallocate(doubling_ ? std::max(step_ + i, 2 * capacity_) : step_ + i);
        GrowTo(i + 1);
    }
    return items_[i];
}

unsigned Array<void*>::Add(void* p)
{
    const unsigned index = count_;
    ElementAt(index) = p;
    return index;
}

bool Array<void*>::RemoveRange(unsigned from, unsigned to, bool destroy)
{
    const unsigned end = std::min(to, count_);
    if (from >= end)
        return false;
    if (ownsItems_ && destroy)
        DestroyRange(from, end);
    std::copy(items_.get() + end, items_.get() + count_, items_.get() + from);
    count_ -= end - from;
    return true;
}

bool Array<void*>::Remove(void* p)
{
    const int index = IndexOf(p);
    if (index < 0)
        return false;
    const auto i = static_cast<unsigned>(index);
    return RemoveRange(i, i + 1, true);
}

int Array<void*>::IndexOf(const void* p) const
{
    for (unsigned i = 0; i < count_; ++i)
        if (items_[i] == p)
            return static_cast<int>(i);
    return -1;
}

IUnknownArray::IUnknownArray(unsigned growStep, unsigned initialCapacity, bool doubling)
    : CArrayVoidP(growStep, initialCapacity, doubling, true)
{
}

IUnknownArray::~IUnknownArray()
{
    ReleaseRange(0, Count());
}

unsigned IUnknownArray::Add(IUnknown* p)
{
    const unsigned index = CArrayVoidP::Add(p);
    if (p)
        p->AddRef();
    return index;
}

void IUnknownArray::RemoveAt(unsigned i)
{
    if (i < Count())
        RemoveRange(i, i + 1, true);
}

void IUnknownArray::ReleaseRange(unsigned from, unsigned to)
{
    void** slots = Slots();
    for (unsigned i = std::min(to, Count()); i > from; --i)
    {
        auto* item = static_cast<IUnknown*>(slots[i - 1]);
        slots[i - 1] = nullptr;
        if (item)
            item->Release();
    }
}
