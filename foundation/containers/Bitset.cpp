#include "foundation/containers/Bitset.h"

#include "foundation/com/ComFace.h"

#include <algorithm>
#include <bit>
#include <new>
#include <vector>

namespace Orv
{

namespace
{
constexpr std::uint32_t BitsPerWord = 32;

BitsetRep::Word BitMask(std::uint32_t bit)
{
    return BitsetRep::Word{1} << (bit % BitsPerWord);
}
} // namespace

BitsetRep::BitsetRep(std::uint32_t wordCount, Word fill) : wordCount_(wordCount), fill_(fill)
{
}

BitsetRep* BitsetRep::Create(std::uint32_t wordCount, Word fill)
{
    const std::uint32_t words = std::max(wordCount, MinWordCount);
    void* block = ::operator new(sizeof(BitsetRep) + words * sizeof(Word));
    auto* rep = new (block) BitsetRep(words, fill);
    std::fill_n(rep->Words(), words, fill);
    return rep;
}

HRESULT STDMETHODCALLTYPE BitsetRep::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IOrvBitset*>(this), iid, object, IID_IOrvBitset);
}

ULONG STDMETHODCALLTYPE BitsetRep::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
}

ULONG STDMETHODCALLTYPE BitsetRep::Release()
{
    const LONG refs = InterlockedDecrement(&refs_);
    if (refs == 0)
        Destroy();
    return static_cast<ULONG>(refs);
}

BOOL STDMETHODCALLTYPE BitsetRep::IsNativeRep()
{
    return TRUE;
}

HRESULT STDMETHODCALLTYPE BitsetRep::DeleteIfUnused()
{
    if (refs_ != 0)
        return E_FAIL;
    Destroy();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BitsetRep::GetWordCount(ULONG* count)
{
    if (!count)
        return E_POINTER;
    *count = wordCount_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE BitsetRep::GetWords(ULONG maxWords, ULONG* words, ULONG* fill)
{
    if (!fill || (maxWords > 0 && !words))
        return E_POINTER;
    const std::uint32_t copied = std::min<std::uint32_t>(maxWords, wordCount_);
    std::copy_n(Words(), copied, words);
    *fill = fill_;
    return copied < wordCount_ ? S_FALSE : S_OK;
}

HRESULT STDMETHODCALLTYPE BitsetRep::Clone(IOrvBitset** copy)
{
    if (!copy)
        return E_POINTER;
    *copy = nullptr;
    try
    {
        BitsetRep* rep = Bitset::CloneRep(this);
        rep->AddRef();
        *copy = rep;
        return S_OK;
    }
    catch (const std::bad_alloc&)
    {
        return E_OUTOFMEMORY;
    }
}

void STDMETHODCALLTYPE BitsetRep::Destroy()
{
    this->~BitsetRep();
    ::operator delete(this);
}

Bitset::Bitset() : rep_(BitsetRep::Create(BitsetRep::MinWordCount, 0))
{
    rep_->AddRef();
}

Bitset::Bitset(IOrvBitset* source)
{
    if (source)
        source->AddRef();
    incoming_ = source;
    Native();
}

Bitset::Bitset(const Bitset& other) : rep_(&other.Native())
{
    rep_->AddRef();
}

Bitset::Bitset(Bitset&& other) noexcept : rep_(other.rep_), incoming_(other.incoming_)
{
    other.rep_ = nullptr;
    other.incoming_ = nullptr;
}

Bitset& Bitset::operator=(const Bitset& other)
{
    BitsetRep& rep = other.Native();
    rep.AddRef();
    ReleaseAll();
    rep_ = &rep;
    return *this;
}

Bitset& Bitset::operator=(Bitset&& other) noexcept
{
    if (this != &other)
    {
        ReleaseAll();
        std::swap(rep_, other.rep_);
        std::swap(incoming_, other.incoming_);
    }
    return *this;
}

Bitset::~Bitset()
{
    ReleaseAll();
}

void Bitset::ReleaseAll()
{
    if (rep_)
        rep_->Release();
    if (incoming_)
        incoming_->Release();
    rep_ = nullptr;
    incoming_ = nullptr;
}

void Bitset::Replace(BitsetRep* rep)
{
    rep->AddRef();
    if (rep_)
        rep_->Release();
    rep_ = rep;
}

BitsetRep& Bitset::Native() const
{
    if (rep_)
        return *rep_;
    IOrvBitset* incoming = incoming_;
    if (incoming && incoming->IsNativeRep())
    {
        rep_ = static_cast<BitsetRep*>(incoming); // the filled-in reference is taken over
    }
    else
    {
        BitsetRep* rep = CloneRep(incoming);
        rep->AddRef();
        rep_ = rep;
        if (incoming)
            incoming->Release();
    }
    incoming_ = nullptr;
    return *rep_;
}

void Bitset::MakeUnique()
{
    Replace(CloneRep(&Native()));
}

IOrvBitset** Bitset::OutPtr()
{
    ReleaseAll();
    return &incoming_;
}

BitsetRep* Bitset::CloneRep(IOrvBitset* source)
{
    if (!source)
        return BitsetRep::Create(BitsetRep::MinWordCount, 0);
    ULONG count = 0;
    if (FAILED(source->GetWordCount(&count)))
        count = 0;
    std::vector<ULONG> words(count);
    ULONG fill = 0;
    if (FAILED(source->GetWords(count, words.data(), &fill)))
    {
        std::fill(words.begin(), words.end(), 0);
        fill = 0;
    }
    // Words beyond the source's own stand for what its fill says they are.
    BitsetRep* rep = BitsetRep::Create(count, fill);
    std::copy(words.begin(), words.end(), rep->Words());
    return rep;
}

BitsetRep& Bitset::GrowTo(std::uint32_t wordCount)
{
    const BitsetRep& old = Native();
    if (wordCount <= old.WordCount())
        return *rep_;
    BitsetRep* grown = BitsetRep::Create(wordCount, old.Fill());
    std::copy_n(old.Words(), old.WordCount(), grown->Words());
    Replace(grown);
    return *grown;
}

bool Bitset::Test(std::uint32_t bit) const
{
    return (Native().WordOrFill(bit / BitsPerWord) & BitMask(bit)) != 0;
}

void Bitset::Set(std::uint32_t bit, bool value)
{
    const BitsetRep& rep = Native();
    if (bit / BitsPerWord >= rep.WordCount() && value == (rep.Fill() != 0))
        return;
    BitsetRep::Word& word = WordRef(bit / BitsPerWord);
    word = value ? word | BitMask(bit) : word & ~BitMask(bit);
}

BitsetRep::Word& Bitset::WordRef(std::uint32_t i)
{
    return GrowTo(i + 1).Words()[i];
}

bool Bitset::None() const
{
    const BitsetRep& rep = Native();
    return rep.Fill() == 0 && std::all_of(rep.Words(), rep.Words() + rep.WordCount(),
                                          [](BitsetRep::Word w) { return w == 0; });
}

void Bitset::SetLowBits(std::uint32_t count)
{
    if (count == 0)
        return;
    const std::uint32_t top = (count - 1) / BitsPerWord;
    const std::uint32_t bitsInTop = count - top * BitsPerWord;
    const BitsetRep::Word topMask =
        bitsInTop == BitsPerWord ? BitsetRep::AllOnes : (BitsetRep::Word{1} << bitsInTop) - 1;
    WordRef(top) |= topMask;
    std::fill_n(rep_->Words(), top, BitsetRep::AllOnes);
}

Bitset& Bitset::operator|=(const Bitset& other)
{
    const BitsetRep& theirs = other.Native();
    // Where this set's fill already sets every bit beyond its words, the other's longer tail adds nothing.
    if (theirs.WordCount() > WordCount() && Fill() == 0)
        GrowTo(theirs.WordCount());
    BitsetRep& mine = *rep_;
    for (std::uint32_t i = 0; i < mine.WordCount(); ++i)
        mine.Words()[i] |= theirs.WordOrFill(i);
    mine.SetFill(mine.Fill() | theirs.Fill() ? BitsetRep::AllOnes : 0);
    return *this;
}

Bitset& Bitset::operator^=(const Bitset& other)
{
    const BitsetRep& theirs = other.Native();
    BitsetRep& mine = GrowTo(std::max(WordCount(), theirs.WordCount()));
    for (std::uint32_t i = 0; i < mine.WordCount(); ++i)
        mine.Words()[i] ^= theirs.WordOrFill(i);
    mine.SetFill((mine.Fill() != 0) != (theirs.Fill() != 0) ? BitsetRep::AllOnes : 0);
    return *this;
}

long long Bitset::BitLength() const
{
    const BitsetRep& rep = Native();
    if (rep.Fill() != 0)
        return -1;
    for (std::uint32_t i = rep.WordCount(); i > 0; --i)
        if (const BitsetRep::Word w = rep.Words()[i - 1])
            return static_cast<long long>(i - 1) * BitsPerWord + std::bit_width(w);
    return 0;
}

long long Bitset::FirstSetBit() const
{
    const BitsetRep& rep = Native();
    for (std::uint32_t i = 0; i < rep.WordCount(); ++i)
        if (const BitsetRep::Word w = rep.Words()[i])
            return static_cast<long long>(i) * BitsPerWord + std::countr_zero(w);
    return rep.Fill() != 0 ? static_cast<long long>(rep.WordCount()) * BitsPerWord : -1;
}

} // namespace Orv
