#include "foundation/text/String.h"
#include "foundation/com/XOrv.h"
#include "foundation/tests/AllocationWatch.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <new>
#include <sstream>
#include <string>

namespace
{

using Orv::String;

ULONG RefCount(const String& text)
{
    text.Interface()->AddRef();
    return text.Interface()->Release();
}

std::wstring Text(const String& text)
{
    return std::wstring(text.c_str(), text.Length());
}

// Another implementation of the host's string interface: 8-bit text, not recognised as a native rep.
class ForeignString : public IAutoOrvString
{
public:
    explicit ForeignString(std::string text) : m_text(std::move(text)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
    HRESULT STDMETHODCALLTYPE SetText(BSTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBSTR(BSTR* text) override
    {
        const std::wstring wide(m_text.begin(), m_text.end());
        *text = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsEmpty(VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetLength(ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsEqual(IAutoOrvString*, VARIANT_BOOL*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IsShared(VARIANT_BOOL*) override { return E_NOTIMPL; }
    ULONG STDMETHODCALLTYPE GetKind() override { return 1; }
    HRESULT STDMETHODCALLTYPE CopyText(long bytes, void* buffer) override
    {
        if (bytes < static_cast<long>(m_text.size() + 1))
            return E_FAIL;
        std::memcpy(buffer, m_text.c_str(), m_text.size() + 1);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetLengthAndFormat(ULONG* chars, ULONG* format) override
    {
        *chars = static_cast<ULONG>(m_text.size());
        *format = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCapacity(ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateRep(ULONG, IOrvString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetVariant(VARIANT*) override { return E_NOTIMPL; }

    ULONG refs = 1;

private:
    std::string m_text;
};

// A callee that hands out text through a BSTR out-parameter.
HRESULT ProduceBstr(BSTR* out, const wchar_t* text, UINT chars)
{
    *out = text ? SysAllocStringLen(text, chars) : nullptr;
    return S_OK;
}

TEST(StringSharing, EveryEmptyStringSharesTheOneEmptyRep)
{
    const String plain;
    const String fromWide(L"");
    const String fromNullWide(static_cast<const wchar_t*>(nullptr));
    const String fromNullNarrow(static_cast<const char*>(nullptr));
    const String fromCount(L"abc", 0);
    for (const String* text : {&fromWide, &fromNullWide, &fromNullNarrow, &fromCount})
        EXPECT_EQ(plain.Interface(), text->Interface());
    EXPECT_EQ(0u, plain.Length());
    EXPECT_EQ(9u, plain.BufferCapacity());
}

TEST(StringSharing, CopiesShareAndTheFirstWriteUnshares)
{
    String first(L"shared");
    const String second = first;
    EXPECT_EQ(first.Interface(), second.Interface());
    EXPECT_TRUE(second.IsShared());

    first += L" text";
    EXPECT_EQ(L"shared text", Text(first));
    EXPECT_EQ(L"shared", Text(second));
    EXPECT_FALSE(second.IsShared());
}

TEST(StringSharing, SelfAssignmentKeepsTextAndReferenceCount)
{
    String text(L"self");
    const ULONG before = RefCount(text);
    String& alias = text;
    text = alias;
    EXPECT_EQ(L"self", Text(text));
    EXPECT_EQ(before, RefCount(text));
}

TEST(StringSharing, AppendingOrInsertingItselfUsesTheOldText)
{
    String text(L"ab");
    text += text;
    EXPECT_EQ(L"abab", Text(text));
    text.Replace(1, 2, text);
    EXPECT_EQ(L"aababb", Text(text));
}

// Runs the edit with the next allocation failing; the edit must throw and leave both the string and a
// copy sharing its rep exactly as they were.
void ExpectFailedEditKeepsTheText(const char* what, const std::function<void(String&)>& edit)
{
    String text(L"abcdefgh");
    const String copy = text;
    const ULONG references = RefCount(text);
    AllocationWatch::failNext = true;
    EXPECT_THROW(edit(text), std::bad_alloc) << what;
    AllocationWatch::failNext = false;
    EXPECT_EQ(L"abcdefgh", Text(text)) << what;
    EXPECT_EQ(copy.c_str(), text.c_str()) << what; // still the shared rep
    EXPECT_EQ(references, RefCount(text)) << what;
}

TEST(StringCapacity, AFailedAllocationLeavesTheStringAsItWas)
{
    ExpectFailedEditKeepsTheText("append", [](String& text) { text += L"ijklmnop"; });
    ExpectFailedEditKeepsTheText("append a character", [](String& text) { text += L'i'; });
    ExpectFailedEditKeepsTheText("reserve", [](String& text) { text.Reserve(40); });
    ExpectFailedEditKeepsTheText("assign", [](String& text) { text.Assign(L"other"); });
    ExpectFailedEditKeepsTheText("replace", [](String& text) { text.Replace(2, 1, String(L"xyz")); });
    ExpectFailedEditKeepsTheText("unshare", [](String& text) { text.MakeUnique(); });
    ExpectFailedEditKeepsTheText("erase", [](String& text) { text.EraseRange(1, 3); });
    ExpectFailedEditKeepsTheText("clear", [](String& text) { text.Clear(); });
    ExpectFailedEditKeepsTheText("narrow copy", [](String& text) { text.Narrow(); });
}

TEST(StringCapacity, NewRepsHoldAtLeastEightUnits)
{
    EXPECT_EQ(8u, String(L"abc").BufferCapacity());
    EXPECT_EQ(9u, String(L"abcdefgh").BufferCapacity());
    EXPECT_EQ(8u, String(std::wstring(L"a")).BufferCapacity());
    EXPECT_EQ(11u, String(10, L'x').BufferCapacity());
}

TEST(StringCapacity, AppendsGrowByHalfAgainReplaceExactly)
{
    String appended(L"1234567");
    ASSERT_EQ(8u, appended.BufferCapacity());
    appended += L'8';
    EXPECT_EQ(13u, appended.BufferCapacity());
    EXPECT_EQ(L"12345678", Text(appended));

    String replaced(L"1234567");
    replaced.Replace(0, 0, String(L"ab"));
    EXPECT_EQ(10u, replaced.BufferCapacity());
    EXPECT_EQ(L"ab1234567", Text(replaced));
}

TEST(StringCapacity, ReserveKeepsTextAndNeverGoesBelowTheMinimum)
{
    String text(L"abc");
    text.Reserve(3);
    EXPECT_EQ(8u, text.BufferCapacity());
    text.Reserve(100);
    EXPECT_EQ(100u, text.BufferCapacity());
    EXPECT_EQ(L"abc", Text(text));
    text.ResetToCapacity(20);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(20u, text.BufferCapacity());
}

TEST(StringCapacity, ClearKeepsTheCapacityEvenWhenShared)
{
    String text(L"a longer text than eight");
    const String copy = text;
    const std::size_t capacity = text.BufferCapacity();
    text.Clear();
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(capacity, text.BufferCapacity());
    EXPECT_EQ(L"a longer text than eight", Text(copy));
}

TEST(StringBuffer, ReleasedBufferTakesItsLengthFromTheFirstNul)
{
    String text(L"old");
    {
        auto buffer = text.GetBuffer(10);
        std::wcscpy(buffer.Data(), L"new text");
    }
    EXPECT_EQ(L"new text", Text(text));
    EXPECT_EQ(11u, text.BufferCapacity());

    auto buffer = text.GetBuffer(4);
    std::fill_n(buffer.Data(), text.BufferCapacity(), L'z');
    buffer.ReleaseBuffer();
    EXPECT_EQ(text.BufferCapacity() - 1, text.Length());
}

TEST(StringEditing, MidClampsToTheText)
{
    const String abc(L"abc");
    EXPECT_TRUE(abc.Mid(5, 10).IsEmpty());
    EXPECT_TRUE(abc.Mid(3, 1).IsEmpty());
    EXPECT_EQ(L"bc", Text(abc.Mid(1, 10)));
    EXPECT_EQ(L"b", Text(abc.Mid(1, 1)));
}

TEST(StringEditing, FindLastOfSearchesFromTheEnd)
{
    EXPECT_EQ(3, String(L"a;b;c").FindLastOf(L";", 1));
    EXPECT_EQ(4, String(L"a;b,c").FindLastOf(L",c", 2));
    EXPECT_EQ(-1, String(L"abc").FindLastOf(L";", 1));
    EXPECT_EQ(-1, String().FindLastOf(L";", 1));
    EXPECT_EQ(-1, String(L"a;b").FindLastOf(L";", 0));
}

TEST(StringEditing, ReplaceEraseAndEraseRange)
{
    String text(L"abc");
    text.Replace(3, 0, String(L"xy"));
    EXPECT_EQ(L"abcxy", Text(text));
    text.Replace(1, 2, String(L"-"));
    EXPECT_EQ(L"a-xy", Text(text));
    text.Replace(1, 100, String(L"BC"));
    EXPECT_EQ(L"aBC", Text(text));
    text.Erase(0, 1);
    EXPECT_EQ(L"BC", Text(text));

    String range(L"0123456789");
    range.EraseRange(5, 3);
    EXPECT_EQ(L"0123456789", Text(range));
    range.EraseRange(2, 4);
    EXPECT_EQ(L"01456789", Text(range));
    range.EraseRange(6, 100);
    EXPECT_EQ(L"014567", Text(range));
}

TEST(StringEditing, PositionsBeyondTheEndNeitherWriteNorReadOutside)
{
    String text(L"abc");
    text.Replace(10, 2, String(L"d"));
    EXPECT_EQ(L"abcd", Text(text));
    text.EraseRange(10, 20);
    EXPECT_EQ(L"abcd", Text(text));
}

TEST(StringEditing, SemicolonsBecomeCommasWithoutTouchingCopies)
{
    String text(L"a;b;c");
    const String copy = text;
    text.SemicolonsToCommas();
    EXPECT_EQ(L"a,b,c", Text(text));
    EXPECT_EQ(L"a;b;c", Text(copy));
}

TEST(StringEditing, AssigningACharacterMakesAOneCharacterText)
{
    String text(L"long enough");
    const String copy = text;
    text = L'q';
    EXPECT_EQ(L"q", Text(text));
    EXPECT_EQ(8u, text.BufferCapacity());
    EXPECT_EQ(L"long enough", Text(copy));
}

TEST(StringConstruction, CountedTextStopsAtNulAndRefusesNegativeCounts)
{
    EXPECT_EQ(L"ab", Text(String(L"abcdef", 2)));
    EXPECT_EQ(L"ab", Text(String(L"ab\0cd", 5)));
    EXPECT_THROW(String(L"abc", -1), xmsg);
    try
    {
        String(L"abc", -1);
    }
    catch (const xmsg& error)
    {
        EXPECT_STREQ("Orv::String size too big", error.what());
    }
}

TEST(StringConstruction, NarrowTextConvertsBothWays)
{
    String text("plain ASCII");
    EXPECT_EQ(L"plain ASCII", Text(text));
    EXPECT_STREQ("plain ASCII", text.Narrow());
    EXPECT_STREQ("", String().Narrow());
}

TEST(StringComparison, EqualityAndOrderFollowTheUnits)
{
    EXPECT_TRUE(String(L"abc") == String(L"abc"));
    EXPECT_FALSE(String(L"abc") == String(L"abcd"));
    EXPECT_TRUE(String(L"abc") < String(L"abd"));
    EXPECT_TRUE(String(L"ab") < String(L"abc"));
    EXPECT_FALSE(String(L"b") < String(L"abc"));
    EXPECT_TRUE(String(L"Z") < String(L"a"));
}

TEST(StringStreaming, ReadsOneWordAtATimeGrowingAsNeeded)
{
    std::wistringstream in(L"  short averyveryverylongwordthatgrows\tlast");
    String word(L"previous");
    in >> word;
    EXPECT_EQ(L"short", Text(word));
    in >> word;
    EXPECT_EQ(L"averyveryverylongwordthatgrows", Text(word));
    in >> word;
    EXPECT_EQ(L"last", Text(word));
    EXPECT_TRUE(in.eof());
    in >> word;
    EXPECT_TRUE(word.IsEmpty());
    EXPECT_TRUE(in.fail());
}

TEST(StringInterface, SetTextRefusesSharedRepsAndTextsThatDoNotFit)
{
    String text(L"abcdef");
    IOrvString* rep = text.Interface();
    EXPECT_EQ(S_OK, rep->SetText(nullptr));
    EXPECT_TRUE(text.IsEmpty());

    BSTR tooLong = SysAllocString(L"12345678");
    EXPECT_EQ(E_FAIL, rep->SetText(tooLong));
    SysFreeString(tooLong);

    BSTR fits = SysAllocString(L"1234567");
    EXPECT_EQ(S_OK, rep->SetText(fits));
    EXPECT_EQ(L"1234567", Text(text));

    const String copy = text;
    EXPECT_EQ(E_FAIL, rep->SetText(nullptr));
    EXPECT_EQ(L"1234567", Text(copy));
    SysFreeString(fits);
}

TEST(StringInterface, TextLeavesThroughBstrVariantAndBuffer)
{
    String text(L"hello");
    IOrvString* rep = text.Interface();
    BSTR bstr = nullptr;
    ASSERT_EQ(S_OK, rep->GetBSTR(&bstr));
    EXPECT_EQ(L"hello", std::wstring(bstr, SysStringLen(bstr)));
    SysFreeString(bstr);
    EXPECT_EQ(E_FAIL, rep->GetBSTR(nullptr));

    VARIANT value;
    ASSERT_EQ(S_OK, rep->GetVariant(&value));
    EXPECT_EQ(VT_BSTR, value.vt);
    EXPECT_EQ(L"hello", std::wstring(value.bstrVal));
    VariantClear(&value);

    wchar_t buffer[6];
    EXPECT_EQ(E_FAIL, rep->CopyText(11, buffer));
    EXPECT_EQ(S_OK, rep->CopyText(12, buffer));
    EXPECT_EQ(L"hello", std::wstring(buffer));

    BSTR empty = SysAllocString(L"stale");
    ASSERT_EQ(S_OK, String().Interface()->GetBSTR(&empty));
    EXPECT_EQ(nullptr, empty);
}

TEST(StringInterface, QueriesAnswerBothIdentifiersAndTheSizes)
{
    String text(L"abc");
    IOrvString* rep = text.Interface();
    for (const IID& iid : {IID_IUnknown, IID_IAutoOrvString, IID_IOrvString})
    {
        void* object = nullptr;
        ASSERT_EQ(S_OK, rep->QueryInterface(iid, &object));
        EXPECT_EQ(static_cast<IUnknown*>(rep), static_cast<IUnknown*>(object));
        rep->Release();
    }
    void* object = nullptr;
    EXPECT_EQ(E_NOINTERFACE, rep->QueryInterface(IID_IStream, &object));

    ULONG chars = 0;
    ULONG format = 0;
    EXPECT_EQ(S_OK, rep->GetLengthAndFormat(&chars, &format));
    EXPECT_EQ(3u, chars);
    EXPECT_EQ(2u, format);
    EXPECT_EQ(S_OK, rep->GetCapacity(&chars));
    EXPECT_EQ(7u, chars);
    EXPECT_EQ(3u, rep->Length());
    EXPECT_EQ(text.c_str(), rep->GetText());

    IOrvString* created = nullptr;
    ASSERT_EQ(S_OK, rep->CreateRep(20, &created));
    EXPECT_EQ(S_OK, created->GetCapacity(&chars));
    EXPECT_EQ(20u, chars);
    EXPECT_EQ(0u, created->Length());
    EXPECT_EQ(0u, created->Release());
}

TEST(StringInterface, NativeRepsAreSharedForeignOnesCopied)
{
    String native(L"shared");
    const String received = String::FromInterface(native.Interface());
    EXPECT_EQ(native.Interface(), received.Interface());

    ForeignString foreign("from afar");
    const String copied = String::FromInterface(&foreign);
    EXPECT_EQ(L"from afar", Text(copied));

    String released;
    released.AssignAndRelease(&foreign);
    EXPECT_EQ(L"from afar", Text(released));
    EXPECT_EQ(0u, foreign.refs);
}

TEST(StringInterface, IsEqualComparesNativeAndForeignTexts)
{
    String text(L"from afar");
    VARIANT_BOOL equal = VARIANT_FALSE;
    ForeignString same("from afar");
    EXPECT_EQ(S_OK, text.Interface()->IsEqual(&same, &equal));
    EXPECT_EQ(VARIANT_TRUE, equal);
    ForeignString longer("from afar!");
    EXPECT_EQ(S_OK, text.Interface()->IsEqual(&longer, &equal));
    EXPECT_EQ(VARIANT_FALSE, equal);
    String other(L"from afaR");
    EXPECT_EQ(S_OK, text.Interface()->IsEqual(other.Interface(), &equal));
    EXPECT_EQ(VARIANT_FALSE, equal);
    String copy(L"from afar");
    EXPECT_EQ(S_OK, text.Interface()->IsEqual(copy.Interface(), &equal));
    EXPECT_EQ(VARIANT_TRUE, equal);
}

TEST(StringInterface, BstrOutArgumentsLandInTheString)
{
    String text(L"before");
    ProduceBstr(text.OutArg(), L"after", 5);
    EXPECT_EQ(L"after", Text(text));
    EXPECT_EQ(8u, text.BufferCapacity());

    ProduceBstr(text.OutArg(), L"nul\0", 4);
    EXPECT_EQ(L"nul", Text(text));

    ProduceBstr(text.OutArg(), nullptr, 0);
    EXPECT_TRUE(text.IsEmpty());

    ProduceBstr(text.OutArg(), L"", 0);
    EXPECT_TRUE(text.IsEmpty());
    EXPECT_EQ(String().Interface(), text.Interface());
}

} // namespace
