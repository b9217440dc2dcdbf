#include "foundation/containers/Bitset.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using Orv::Bitset;
using Orv::BitsetRep;

// An implementation of the interface from outside the module, as the host might hand over.
struct ForeignBitset : IOrvBitset
{
    ForeignBitset(std::vector<ULONG> words, ULONG fill) : words(std::move(words)), fill(fill) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** out) override
    {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    BOOL STDMETHODCALLTYPE IsNativeRep() override { return FALSE; }
    HRESULT STDMETHODCALLTYPE DeleteIfUnused() override { return E_FAIL; }
    HRESULT STDMETHODCALLTYPE GetWordCount(ULONG* count) override
    {
        *count = static_cast<ULONG>(words.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetWords(ULONG maxWords, ULONG* out, ULONG* outFill) override
    {
        for (ULONG i = 0; i < maxWords && i < words.size(); ++i)
            out[i] = words[i];
        *outFill = fill;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IOrvBitset**) override { return E_NOTIMPL; }
    void STDMETHODCALLTYPE Destroy() override {}

    std::vector<ULONG> words;
    ULONG fill;
    ULONG refs = 1;
};

Bitset WithFill(std::vector<ULONG> words, ULONG fill)
{
    ForeignBitset source(std::move(words), fill);
    return Bitset(&source);
}

std::vector<ULONG> WordsOf(const Bitset& set)
{
    std::vector<ULONG> words(set.WordCount());
    ULONG fill = 0;
    set.Interface()->GetWords(static_cast<ULONG>(words.size()), words.data(), &fill);
    return words;
}

constexpr ULONG Ones = BitsetRep::AllOnes;

TEST(BitsetTest, DefaultSetHasTwoClearWords)
{
    Bitset set;
    EXPECT_TRUE(set.None());
    EXPECT_EQ(2u, set.WordCount());
    EXPECT_FALSE(set.Test(0));
    EXPECT_FALSE(set.Test(1000));
}

TEST(BitsetTest, SettingABitBeyondTheWordsGrowsWithTheFill)
{
    Bitset set;
    set.Set(100);
    EXPECT_EQ(4u, set.WordCount());
    EXPECT_TRUE(set.Test(100));
    for (std::uint32_t bit = 101; bit < 128; ++bit)
        EXPECT_FALSE(set.Test(bit));
    EXPECT_FALSE(set.Test(200));
    EXPECT_FALSE(set.None());
}

TEST(BitsetTest, ClearingABitOfAFilledSetGrowsWithAllOnesWords)
{
    Bitset set = WithFill({0, 0}, Ones);
    set.Set(100, false);
    EXPECT_EQ(4u, set.WordCount());
    EXPECT_FALSE(set.Test(100));
    EXPECT_TRUE(set.Test(99));
    EXPECT_TRUE(set.Test(64));
    EXPECT_TRUE(set.Test(200));
    EXPECT_EQ(Ones, WordsOf(set)[2]);
}

TEST(BitsetTest, SettingABitToWhatTheFillGivesDoesNotGrow)
{
    Bitset clear;
    clear.Set(500, false);
    EXPECT_EQ(2u, clear.WordCount());

    Bitset filled = WithFill({0, 0}, Ones);
    filled.Set(500, true);
    EXPECT_EQ(2u, filled.WordCount());
}

TEST(BitsetTest, CopiesShareTheWordsUntilMadeUnique)
{
    Bitset a;
    Bitset b = a;
    b.Set(3);
    EXPECT_TRUE(a.Test(3));

    b.MakeUnique();
    b.Set(4);
    EXPECT_FALSE(a.Test(4));
    EXPECT_TRUE(b.Test(3));
}

TEST(BitsetTest, GrowingMovesOnlyTheGrowingHolderToAPrivateSet)
{
    Bitset a;
    Bitset b = a;
    b.Set(100);
    EXPECT_FALSE(a.Test(100));
    EXPECT_EQ(2u, a.WordCount());
}

TEST(BitsetTest, RepresentationAnswersItsInterface)
{
    Bitset set;
    set.Set(1);
    IOrvBitset* rep = set.Interface();
    EXPECT_TRUE(rep->IsNativeRep());

    ULONG word = 0, fill = 7;
    EXPECT_EQ(S_FALSE, rep->GetWords(1, &word, &fill));
    EXPECT_EQ(2u, word);
    EXPECT_EQ(0u, fill);
    ULONG two[2] = {};
    EXPECT_EQ(S_OK, rep->GetWords(2, two, &fill));

    EXPECT_EQ(E_FAIL, rep->DeleteIfUnused());

    IUnknown* unknown = nullptr;
    EXPECT_EQ(S_OK, rep->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown)));
    unknown->Release();
    void* other = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, rep->QueryInterface(IID_IStream, &other));
    EXPECT_EQ(nullptr, other);

    IOrvBitset* clone = nullptr;
    ASSERT_EQ(S_OK, rep->Clone(&clone));
    Bitset copy(clone);
    clone->Release();
    EXPECT_TRUE(copy.Test(1));
    set.Set(5);
    EXPECT_FALSE(copy.Test(5));
}

TEST(BitsetTest, CloningAForeignSetExtendsItWithItsFill)
{
    Bitset clear = WithFill({0x5}, 0);
    EXPECT_EQ(2u, clear.WordCount());
    EXPECT_EQ((std::vector<ULONG>{0x5, 0}), WordsOf(clear));

    Bitset filled = WithFill({0x5}, Ones);
    EXPECT_TRUE(filled.Test(40));
    EXPECT_FALSE(filled.Test(1));
}

TEST(BitsetTest, OutPtrTakesOverWhatTheCalleeFillsIn)
{
    Bitset source;
    source.Set(9);

    Bitset shared;
    IOrvBitset** out = shared.OutPtr();
    *out = source.Interface();
    (*out)->AddRef();
    EXPECT_TRUE(shared.Test(9));
    source.Set(10);
    EXPECT_TRUE(shared.Test(10));

    ForeignBitset foreign({0x1}, 0);
    Bitset copied;
    *copied.OutPtr() = &foreign;
    foreign.AddRef();
    EXPECT_TRUE(copied.Test(0));
    EXPECT_EQ(1u, foreign.refs);

    Bitset unfilled;
    unfilled.OutPtr();
    EXPECT_TRUE(unfilled.None());
}

TEST(BitsetWordsTest, SetLowBitsFillsTheLowerWordsAndMasksTheTop)
{
    Bitset set;
    set.SetLowBits(40);
    EXPECT_EQ((std::vector<ULONG>{Ones, 0xFF}), WordsOf(set));

    Bitset wide;
    wide.SetLowBits(96);
    EXPECT_EQ((std::vector<ULONG>{Ones, Ones, Ones}), WordsOf(wide));

    Bitset none;
    none.SetLowBits(0);
    EXPECT_TRUE(none.None());
}

TEST(BitsetWordsTest, OrTakesTheLongerSetsWordsAndEitherFill)
{
    Bitset a;
    a.Set(1);
    Bitset b;
    b.Set(100);
    a |= b;
    EXPECT_TRUE(a.Test(1));
    EXPECT_TRUE(a.Test(100));
    EXPECT_EQ(0u, a.Fill());

    Bitset longer;
    longer.Set(130);
    Bitset shortFilled = WithFill({0x2, 0}, Ones);
    longer |= shortFilled;
    EXPECT_TRUE(longer.Test(1));
    EXPECT_TRUE(longer.Test(64));
    EXPECT_TRUE(longer.Test(131));
    EXPECT_TRUE(longer.Test(1000));
}

TEST(BitsetWordsTest, XorInvertsWhereTheOtherFillIsSet)
{
    Bitset a;
    a.Set(1);
    a.Set(100);
    Bitset filled = WithFill({0x2, 0}, Ones);
    a ^= filled;
    EXPECT_FALSE(a.Test(1));
    EXPECT_FALSE(a.Test(100));
    EXPECT_TRUE(a.Test(99));
    EXPECT_TRUE(a.Test(1000));
    EXPECT_EQ(Ones, a.Fill());

    a ^= filled;
    EXPECT_TRUE(a.Test(1));
    EXPECT_TRUE(a.Test(100));
    EXPECT_FALSE(a.Test(99));
    EXPECT_EQ(0u, a.Fill());
}

TEST(BitsetWordsTest, BitLengthAndFirstSetBit)
{
    Bitset set;
    EXPECT_EQ(0, set.BitLength());
    EXPECT_EQ(-1, set.FirstSetBit());

    set.Set(37);
    EXPECT_EQ(38, set.BitLength());
    EXPECT_EQ(37, set.FirstSetBit());

    set.Set(3);
    EXPECT_EQ(3, set.FirstSetBit());

    Bitset onlyFill = WithFill({0, 0, 0}, Ones);
    EXPECT_EQ(-1, onlyFill.BitLength());
    EXPECT_EQ(96, onlyFill.FirstSetBit());
}

} // namespace
