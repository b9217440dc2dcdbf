// Reference-counted bit set behind IOrvBitset, and the value type that holds it.
//
// Copy on write is explicit: copies of an Orv::Bitset share one representation and Set/WordRef change
// the shared words in place, unless they must grow the set, which moves it to a private larger
// representation. A holder that may share its set calls MakeUnique before changing it.
#pragma once

#include "hostapi/OrvBitset.h"

#include <cstdint>

namespace Orv
{

// One allocated block: the object, then its words.
class BitsetRep final : public IOrvBitset
{
public:
    using Word = ULONG; // the interface's word type: 32 bits
    static_assert(sizeof(Word) == 4);
    static constexpr std::uint32_t MinWordCount = 2;
    static constexpr Word AllOnes = 0xFFFFFFFFu;

    // A representation of max(wordCount, 2) words equal to the fill word, with no reference yet.
    static BitsetRep* Create(std::uint32_t wordCount, Word fill);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    BOOL STDMETHODCALLTYPE IsNativeRep() override;
    HRESULT STDMETHODCALLTYPE DeleteIfUnused() override;
    HRESULT STDMETHODCALLTYPE GetWordCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetWords(ULONG maxWords, ULONG* words, ULONG* fill) override;
    HRESULT STDMETHODCALLTYPE Clone(IOrvBitset** copy) override;
    void STDMETHODCALLTYPE Destroy() override;

    std::uint32_t WordCount() const { return wordCount_; }
    Word Fill() const { return fill_; }
    void SetFill(Word fill) { fill_ = fill; }
    Word* Words() { return reinterpret_cast<Word*>(this + 1); }
    const Word* Words() const { return reinterpret_cast<const Word*>(this + 1); }
    // Word i, or the fill word beyond the stored ones.
    Word WordOrFill(std::uint32_t i) const { return i < wordCount_ ? Words()[i] : fill_; }

private:
    BitsetRep(std::uint32_t wordCount, Word fill);
    ~BitsetRep() = default;

    volatile LONG refs_ = 0;
    std::uint32_t wordCount_;
    Word fill_;
};

class Bitset
{
public:
    Bitset();
    // Shares a representation of the module's own, or takes a private copy of a foreign one.
    explicit Bitset(IOrvBitset* source);
    Bitset(const Bitset& other);
    Bitset(Bitset&& other) noexcept;
    Bitset& operator=(const Bitset& other);
    Bitset& operator=(Bitset&& other) noexcept;
    ~Bitset();

    // A private copy of the representation, so that changes are seen by no other holder.
    void MakeUnique();
    // Releases the set and hands out the address of its (now null) pointer, to be filled in by a
    // callee; whatever implementation it puts there is taken over on the next use.
    IOrvBitset** OutPtr();
    // The representation as the host sees it (no reference added).
    IOrvBitset* Interface() const { return &Native(); }

    // A new representation with the source's bits (2 zero words for no source), with no reference yet.
    static BitsetRep* CloneRep(IOrvBitset* source);

    bool Test(std::uint32_t bit) const;
    void Set(std::uint32_t bit, bool value = true);
    // Word i for writing; grows the set to hold it (new words take the fill).
    BitsetRep::Word& WordRef(std::uint32_t i);
    std::uint32_t WordCount() const { return Native().WordCount(); }
    BitsetRep::Word Fill() const { return Native().Fill(); }
    bool None() const;

    // Sets bits 0 to count - 1.
    void SetLowBits(std::uint32_t count);
    Bitset& operator|=(const Bitset& other);
    Bitset& operator^=(const Bitset& other);
    // 1 + the highest set bit; 0 when none is set; -1 when the fill sets every bit beyond the words.
    long long BitLength() const;
    // The lowest set bit; words x 32 when only the fill sets bits; -1 when none is set.
    long long FirstSetBit() const;

private:
    // The representation, after taking over a null or foreign one that a callee left in the pointer.
    BitsetRep& Native() const;
    // Grows to at least wordCount words, moving to a private representation.
    BitsetRep& GrowTo(std::uint32_t wordCount);
    void Replace(BitsetRep* rep);
    void ReleaseAll();

    mutable BitsetRep* rep_ = nullptr;
    // What a callee filled in through OutPtr, not yet taken over.
    mutable IOrvBitset* incoming_ = nullptr;
};

} // namespace Orv
