#include "foundation/containers/Containers.h"
#include "foundation/containers/ValueArray.h"
#include "foundation/tests/AllocationWatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <stdexcept>
#include <vector>

namespace
{

// An element that reports its deletion, so tests can see what an owning array deleted and in what order.
struct Tracked
{
    Tracked(int id, std::vector<int>& deleted) : id(id), deleted(deleted) {}
    ~Tracked() { deleted.push_back(id); }
    int id;
    std::vector<int>& deleted;
};

struct OwningArrayFixture : testing::Test
{
    std::vector<int> deleted;

    void Fill(CIArray<Tracked>& array, int count)
    {
        for (int i = 0; i < count; ++i)
            array.Add(new Tracked(i, deleted));
    }
};

// A COM object that only counts its references.
struct CountedUnknown : IUnknown
{
    ULONG refs = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

TEST(ArrayGrowthTest, GrowsInMultiplesOfTheStepOrByDoubling)
{
    CArrayVoidP array(8);
    array.GrowTo(1);
    EXPECT_EQ(8u, array.Capacity());
    array.GrowTo(8);
    EXPECT_EQ(16u, array.Capacity());
    EXPECT_EQ(8u, array.Count());

    CArrayVoidP doubling(8, 16, true);
    doubling.GrowTo(17);
    EXPECT_EQ(32u, doubling.Capacity());
}

TEST(ArrayGrowthTest, ElementAtBeyondTheCountGrowsWithNullSlots)
{
    CArrayVoidP array(4);
    int value = 0;
    array.ElementAt(20) = &value;
    EXPECT_EQ(24u, array.Capacity());
    EXPECT_EQ(21u, array.Count());
    for (unsigned i = 0; i < 20; ++i)
        EXPECT_EQ(nullptr, array[i]);
    EXPECT_EQ(&value, array[20]);
}

TEST(ArrayGrowthTest, ZeroStepIsRefused)
{
    EXPECT_THROW(CArrayVoidP(0), std::invalid_argument);
    EXPECT_THROW(CArrayCtor<int>(0), std::invalid_argument);
}

TEST_F(OwningArrayFixture, ShrinkingBelowAQuarterHalvesTheCapacityAndDeletesTheDroppedItems)
{
    CIArray<Tracked> array(8, 64);
    Fill(array, 40);
    array.SetCount(10);
    EXPECT_EQ(32u, array.Capacity());
    EXPECT_EQ(10u, array.Count());
    EXPECT_EQ(30u, deleted.size());
    EXPECT_EQ(39, deleted.front());
    EXPECT_EQ(9, array[9]->id);
}

TEST_F(OwningArrayFixture, AFailedAllocationLeavesTheArrayAsItWas)
{
    CIArray<Tracked> array(8, 64);
    Fill(array, 40);
    const auto expectUnchanged = [&](const char* what) {
        EXPECT_EQ(40u, array.Count()) << what;
        EXPECT_EQ(64u, array.Capacity()) << what;
        EXPECT_TRUE(deleted.empty()) << what;
        for (unsigned i = 0; i < array.Count(); ++i)
            EXPECT_EQ(static_cast<int>(i), array[i]->id) << what;
    };

    AllocationWatch::failNext = true;
    EXPECT_THROW(array.SetCount(10), std::bad_alloc); // halving needs a new item array
    AllocationWatch::failNext = false;
    expectUnchanged("shrink");

    AllocationWatch::failNext = true;
    EXPECT_THROW(array.GrowTo(100), std::bad_alloc);
    AllocationWatch::failNext = false;
    expectUnchanged("grow");

    AllocationWatch::failNext = true;
    EXPECT_THROW(array.ElementAt(70), std::bad_alloc);
    AllocationWatch::failNext = false;
    expectUnchanged("element beyond the capacity");
}

TEST_F(OwningArrayFixture, ShrinkingToAQuarterOrMoreKeepsTheCapacity)
{
    CIArray<Tracked> array(8, 64);
    Fill(array, 40);
    array.SetCount(20);
    EXPECT_EQ(64u, array.Capacity());
    EXPECT_EQ(20u, deleted.size());
}

TEST_F(OwningArrayFixture, ShrinkNeverHalvesBelowOneStep)
{
    CIArray<Tracked> array(8, 8);
    Fill(array, 8);
    array.SetCount(1);
    EXPECT_EQ(8u, array.Capacity());
}

TEST_F(OwningArrayFixture, RemoveRangeClipsToTheCountAndDeletesLastFirst)
{
    CIArray<Tracked> array;
    Fill(array, 5);
    EXPECT_TRUE(array.RemoveRange(2, 100, true));
    EXPECT_EQ((std::vector<int>{4, 3, 2}), deleted);
    EXPECT_EQ(2u, array.Count());
    EXPECT_FALSE(array.RemoveRange(2, 100, true));
}

TEST_F(OwningArrayFixture, RemoveRangeWithoutDestroyHandsTheItemsBack)
{
    CIArray<Tracked> array;
    Fill(array, 3);
    Tracked* middle = array[1];
    EXPECT_TRUE(array.RemoveRange(1, 2, false));
    EXPECT_TRUE(deleted.empty());
    EXPECT_EQ(2, array[1]->id);
    delete middle;
}

TEST_F(OwningArrayFixture, RemoveDeletesAPresentItemAndRefusesAnAbsentOne)
{
    CIArray<Tracked> array;
    Fill(array, 3);
    Tracked stranger(99, deleted);
    EXPECT_FALSE(array.Remove(&stranger));
    EXPECT_EQ(3u, array.Count());
    EXPECT_TRUE(deleted.empty());

    EXPECT_TRUE(array.Remove(array[0]));
    EXPECT_EQ((std::vector<int>{0}), deleted);
    EXPECT_EQ(1, array[0]->id);
}

TEST_F(OwningArrayFixture, DestructionDeletesOnlyWhatTheArrayOwns)
{
    {
        CIArray<Tracked> owning;
        Fill(owning, 3);
    }
    EXPECT_EQ((std::vector<int>{2, 1, 0}), deleted);

    deleted.clear();
    Tracked kept(7, deleted);
    {
        CIArray<Tracked, CIArray_NeverCallDeleteAtRuntime<Tracked>> never;
        never.Add(&kept);
        CIArray<Tracked> notOwning(8, 0, false, false);
        notOwning.Add(&kept);
        notOwning.SetCount(0);
    }
    EXPECT_TRUE(deleted.empty());
}

TEST(InterfaceArrayTest, HoldsOneReferencePerElement)
{
    CountedUnknown a, b;
    {
        InterfaceArray<IUnknown> array;
        array.Add(&a);
        array.Add(&b);
        array.Add(nullptr);
        EXPECT_EQ(2u, a.refs);
        EXPECT_EQ(2u, b.refs);
        EXPECT_EQ(3u, array.Count());
    }
    EXPECT_EQ(1u, a.refs);
    EXPECT_EQ(1u, b.refs);
}

TEST(InterfaceArrayTest, RemoveAtReleasesAndClosesTheGap)
{
    CountedUnknown a, b, c;
    InterfaceArray<IUnknown> array;
    array.Add(&a);
    array.Add(&b);
    array.Add(&c);
    array.RemoveAt(1);
    EXPECT_EQ(1u, b.refs);
    EXPECT_EQ(2u, array.Count());
    EXPECT_EQ(&c, array[1]);
    array.RemoveAt(5);
    EXPECT_EQ(2u, array.Count());
}

TEST(InterfaceArrayTest, CuttingTheCountReleasesTheDroppedElements)
{
    CountedUnknown a, b;
    InterfaceArray<IUnknown> array;
    array.Add(&a);
    array.Add(&b);
    array.SetCount(1);
    EXPECT_EQ(2u, a.refs);
    EXPECT_EQ(1u, b.refs);
    array.Clear();
    EXPECT_EQ(1u, a.refs);
}

TEST(InterfaceArrayTest, WeakArrayTakesNoReferences)
{
    CountedUnknown a;
    {
        WeakInterfaceArray<IUnknown> array(8, 8, true);
        array.Add(&a);
        EXPECT_EQ(1u, a.refs);
        array.SetCount(0);
    }
    EXPECT_EQ(1u, a.refs);
}

TEST(ValueArrayTest, GrowsWithZeroedElementsAndShrinksLikeThePointerArrays)
{
    CArrayCtor<int> values(8);
    values.Add(5);
    values.SetSize(20);
    EXPECT_EQ(24u, values.Capacity());
    EXPECT_EQ(5, values[0]);
    for (unsigned i = 1; i < 20; ++i)
        EXPECT_EQ(0, values[i]);

    values.SetSize(5);
    EXPECT_EQ(12u, values.Capacity());
    EXPECT_EQ(5u, values.Count());
}

TEST(ValueArrayTest, RemoveAtMovesTheLaterElementsDown)
{
    CArrayCtor<double> values;
    for (double v : {1.0, 2.0, 3.0})
        values.Add(v);
    values.RemoveAt(0);
    values.RemoveAt(9);
    EXPECT_EQ((std::vector<double>(values.begin(), values.end())), (std::vector<double>{2.0, 3.0}));
}

TEST(SortedArrayTest, KeepsEachValueOnceInAscendingOrder)
{
    Orv::SortedArray<unsigned long> clusters;
    for (unsigned long cluster : {9ul, 2ul, 40ul, 2ul, 17ul, 9ul, 3ul})
        clusters.Insert(cluster);
    EXPECT_EQ((std::vector<unsigned long>{2, 3, 9, 17, 40}), (std::vector<unsigned long>(clusters.begin(), clusters.end())));
    EXPECT_FALSE(clusters.Insert(17));
    EXPECT_TRUE(clusters.Contains(40));
    EXPECT_FALSE(clusters.Contains(4));
    EXPECT_EQ(8u, clusters.Capacity());

    for (unsigned long cluster = 100; cluster > 90; --cluster)
        clusters.Insert(cluster);
    EXPECT_EQ(15u, clusters.Count());
    EXPECT_EQ(16u, clusters.Capacity());
    EXPECT_TRUE(std::is_sorted(clusters.begin(), clusters.end()));

    clusters.Clear();
    EXPECT_EQ(0u, clusters.Count());
    EXPECT_FALSE(clusters.Contains(2));
}

} // namespace
