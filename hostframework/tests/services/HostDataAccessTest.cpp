#include "hostframework/tests/FrameworkTestSupport.h"
#include "hostframework/services/HostDataAccess.h"

#include "hostapi/HostChannelCalc.h"
#include "hostapi/HostSelectionSource.h"
#include "hostapi/VyrDocuments.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

// A document of records with fixed lengths whose conversions can be refused record by record.
class RecordLengths : public TestSupport::StackComObject<IHostDocument>
{
public:
    explicit RecordLengths(std::vector<int32_t> lengths) : lengths_(std::move(lengths)) {}

    HRESULT STDMETHODCALLTYPE GetRecordCount(int32_t*, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordLength(uint32_t, int32_t, int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetRecordingEnd(uint32_t, uint64_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelCount(int32_t*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelConversion(int32_t, int32_t record, int32_t, IUnitConversion** out) override
    {
        conversionRecords.push_back(record);
        *out = record == answeredRecord ? &conversion : nullptr;
        if (*out)
            conversion.AddRef();
        return record == answeredRecord ? S_OK : record == refusedRecord ? E_FAIL : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetChannelConversionEx(uint32_t flags, int32_t record, int32_t channel,
                                                     IUnitConversion** out) override
    {
        EXPECT_EQ(HostChannelUnitsRequest, flags);
        return GetChannelConversion(0, record, channel, out);
    }
    HRESULT STDMETHODCALLTYPE GetTickInterval(uint32_t, int32_t, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdjustStartPosition(uint32_t, int32_t, int32_t, TickPosition*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OpenChannelEnum(uint32_t, int32_t, int32_t, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t, int32_t record, int32_t, IUnknown** object) override
    {
        *object = record < static_cast<int32_t>(lengths_.size()) ? this : nullptr;
        return *object ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE GetRecordHandle(int32_t record, ULONG_PTR* handle) override
    {
        if (record < 0 || record >= static_cast<int32_t>(lengths_.size()))
            return E_INVALIDARG;
        *handle = static_cast<ULONG_PTR>(record) + 100;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSampleCount(uint32_t flags, ULONG_PTR handle, int32_t, int32_t* count) override
    {
        EXPECT_EQ(HostSampleCountRequest, flags);
        *count = lengths_.at(handle - 100);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE ApplyChannelSetup(uint32_t, uint32_t, int32_t, uint32_t, IUnknown*) override
    {
        return E_NOTIMPL;
    }

    struct Conversion final : TestSupport::StackComObject<IUnitConversion>
    {
        // Raw values in V, shown in mmHg while the conversion is in use.
        HRESULT STDMETHODCALLTYPE GetUnitsInformation(UnitsInformation* information) override
        {
            if (!answers)
                return E_NOTIMPL;
            *information = UnitsInformation{1.0, 0.0, SysAllocString(L"V"), Orv::PrefixedUnit::NoPrefixCode,
                                            SysAllocString(L"mmHg"), Orv::PrefixedUnit::NoPrefixCode,
                                            static_cast<VARIANT_BOOL>(inUse ? VARIANT_TRUE : VARIANT_FALSE)};
            return S_OK;
        }
        bool answers = false;
        bool inUse = false;
        HRESULT STDMETHODCALLTYPE GetDescription(BYTE*, ULONG*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetDescriptionText(ULONG, BSTR*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetUnitsRecord(const void**) override { return E_NOTIMPL; }
    };

    std::vector<int32_t> conversionRecords;
    int32_t refusedRecord = -1;
    int32_t answeredRecord = -1;
    Conversion conversion;

private:
    std::vector<int32_t> lengths_;
};

TEST(HostDataAccess, SamplesInARangeCountTheEndsFromTheirOffsets)
{
    RecordLengths document({1000, 1000, 1000, 1000, 1000});
    const struct
    {
        int32_t firstRecord, firstTick, lastRecord, lastTick;
        int64_t expected;
    } cases[] = {
        {2, 100, 4, 50, 900 + 1000 + 50},
        {1, 300, 1, 700, 400},
        {3, 0, 2, 999, 0},
        {0, 0, 4, 1000, 5000},
    };
    for (const auto& test : cases)
        EXPECT_EQ(test.expected, CountSamplesInRange(&document, 0, test.firstRecord, test.firstTick, test.lastRecord,
                                                     test.lastTick));
    EXPECT_EQ(0, CountSamplesInRange(nullptr, 0, 0, 0, 4, 10));
}

// Both forms of the units request ask once more, for their whole-recording record, and report that answer.
TEST(HostDataAccess, UnitsFallBackOnceToTheWholeRecording)
{
    const struct
    {
        bool wholeDocumentForm;
        int32_t answered;
        std::vector<int32_t> asked;
        bool read;
    } cases[] = {
        {false, -1, {3, HostDefaultRecord}, false},
        {false, HostDefaultRecord, {3, HostDefaultRecord}, true},
        {false, 3, {3}, true},
        {true, -1, {3, HostWholeDocumentRecord}, false},
        {true, HostWholeDocumentRecord, {3, HostWholeDocumentRecord}, true},
        {true, 3, {3}, true},
    };
    for (const auto& test : cases)
    {
        RecordLengths document({1000});
        document.refusedRecord = test.answered == 3 ? -1 : 3;
        document.answeredRecord = test.answered;
        document.conversion.answers = true;
        Orv::PrefixedUnit unit;
        EXPECT_EQ(test.read, (test.wholeDocumentForm ? ReadChannelUnitsEx : ReadChannelUnits)(&document, 0, 3, unit));
        EXPECT_EQ(test.asked, document.conversionRecords);
        EXPECT_EQ(test.read ? L"V" : L"", unit.GetText());
    }
}

TEST(HostDataAccess, AChannelHasAnObjectOnlyInRecordsThatArrived)
{
    RecordLengths document({10, 10});
    EXPECT_TRUE(HasChannelObjectAt(&document, 1, 0));
    EXPECT_FALSE(HasChannelObjectAt(&document, 2, 0));
    EXPECT_FALSE(HasChannelObjectAt(nullptr, 0, 0));
}

} // namespace

namespace
{

// A selection source whose selection, kept range and fallback the test sets; unset parts: none.
class SelectionSource final : public TestSupport::StackComObject<IHostSelectionSource>
{
public:
    struct Range final : TestSupport::StackComObject<IHostSelectionRange, IHostKeptRange>
    {
        SelectionPosition start, end;
        HRESULT STDMETHODCALLTYPE GetRange(SelectionPosition* first, SelectionPosition* last) override
        {
            *first = start;
            *last = end;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
        {
            *object = nullptr;
            if (IsEqualIID(iid, IID_IHostSelectionRange))
                *object = static_cast<IHostSelectionRange*>(this);
            else if (IsEqualIID(iid, IID_IHostKeptRange))
                *object = static_cast<IHostKeptRange*>(this);
            return *object ? S_OK : E_NOINTERFACE;
        }
    };
    struct Frame final : TestSupport::StackComObject<IVyrDocumentFrame, IHostFrameObject>
    {
        Range* kept = nullptr;
        HRESULT STDMETHODCALLTYPE GetFrameServices(IUnknown**) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE GetHostObject(IUnknown** object) override
        {
            *object = static_cast<IHostFrameObject*>(this);
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetPart(ULONG, IUnknown** part) override
        {
            *part = kept ? static_cast<IHostKeptRange*>(kept) : nullptr;
            return kept ? S_OK : E_FAIL;
        }
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
        {
            *object = IsEqualIID(iid, IID_IHostFrameObject) ? static_cast<IHostFrameObject*>(this) : nullptr;
            return *object ? S_OK : E_NOINTERFACE;
        }
    };

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (IsEqualIID(iid, IID_IHostSelectionSource))
            *object = static_cast<IHostSelectionSource*>(this);
        else if (IsEqualIID(iid, IID_IVyrDocumentFrame) && frame.kept)
            *object = static_cast<IVyrDocumentFrame*>(&frame);
        return *object ? S_OK : E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE GetUnitsFallback(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetSelectionObject(ULONG, IUnknown** object) override
    {
        *object = selected ? static_cast<IHostSelectionRange*>(&selection) : nullptr;
        return selected ? S_OK : S_FALSE;
    }

    bool selected = false;
    Range selection;
    Range keptRange;
    Frame frame;
};

} // namespace

TEST(HostDataAccess, TheSelectionsRecordGivesTheUnitsAndTheHostsAnswerIsTheResult)
{
    const struct
    {
        bool selected;
        SelectionPosition start, end;
        bool kept;
        SelectionPosition keptStart, keptEnd;
        int32_t answered;
        std::vector<int32_t> asked;
        bool resolved;
    } cases[] = {
        {true, {0, 1}, {10, 1}, false, {}, {}, 1, {1}, true},
        // The host has no conversion for the record: no units, whatever came before.
        {true, {0, 1}, {10, 1}, false, {}, {}, -1, {1}, false},
        {true, {0, 1}, {5, 3}, true, {0, 2}, {9, 4}, 2, {2}, true},
        {true, {0, 1}, {5, 1}, true, {0, 3}, {9, 4}, 1, {1}, true},
        {false, {}, {}, true, {0, 2}, {9, 4}, 2, {2}, true},
        {true, {0, 7}, {5, 7}, false, {}, {}, 7, {}, false},
    };
    for (const auto& test : cases)
    {
        RecordLengths document({1000, 1000, 1000, 1000, 1000});
        document.answeredRecord = test.answered;
        SelectionSource source;
        source.selected = test.selected;
        source.selection.start = test.start;
        source.selection.end = test.end;
        source.keptRange.start = test.keptStart;
        source.keptRange.end = test.keptEnd;
        source.frame.kept = test.kept ? &source.keptRange : nullptr;
        IUnitConversion* units = nullptr;
        EXPECT_EQ(test.resolved, ResolveSelectionPosition(&document, &source, 0, &units));
        EXPECT_EQ(test.asked, document.conversionRecords);
        if (units)
            units->Release();
    }
}

// The unit at the selection is the raw one unless the shown one is asked for and the conversion is in use.
TEST(HostDataAccess, TheUnitAtTheSelectionIsTheShownOneOnlyWhenAskedForAndInUse)
{
    const struct
    {
        bool preferShown, inUse;
        const wchar_t* expected;
    } cases[] = {{false, false, L"V"}, {false, true, L"V"}, {true, false, L"V"}, {true, true, L"mmHg"}};
    for (const auto& test : cases)
    {
        RecordLengths document({1000, 1000});
        document.answeredRecord = 1;
        document.conversion.answers = true;
        document.conversion.inUse = test.inUse;
        SelectionSource source;
        source.selected = true;
        source.selection.start = {0, 1};
        source.selection.end = {10, 1};
        Orv::PrefixedUnit unit;
        EXPECT_TRUE(GetChannelUnitsAtSelection(&document, &source, 0, unit, test.preferShown));
        EXPECT_EQ(test.expected, unit.GetText());
        document.answeredRecord = -1;
        EXPECT_FALSE(GetChannelUnitsAtSelection(&document, &source, 0, unit, test.preferShown));
    }
}

namespace
{

// A calculation in a channel's slot: its class's type id and, when it keeps one, its state word.
struct SlotCalculation final : TestSupport::StackComObject<IHostChannelCalculation, IHostChannelCalcState>
{
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (iid == IID_IHostChannelCalculation)
            *object = static_cast<IHostChannelCalculation*>(this);
        else if (iid == IID_IHostChannelCalcState && keepsState)
            *object = static_cast<IHostChannelCalcState*>(this);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE PrepareReplacement() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCalculationType(uint32_t* type) override
    {
        *type = typeId;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DiscardResults() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Recalculate() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetState(uint32_t* word) override
    {
        *word = state;
        return stateAnswers ? S_OK : E_FAIL;
    }

    uint32_t typeId = 0;
    bool keepsState = true;
    bool stateAnswers = true;
    uint32_t state = 0;
    ULONG references = 0;
};

// A document whose data holds one calculation in the slots asked for.
class CalculatingDocument final : public RecordLengths
{
public:
    CalculatingDocument() : RecordLengths({1000}), data_(*this) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = nullptr;
        if (iid != IID_IHostDocumentData || !hasData)
            return E_NOINTERFACE;
        return data_.QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE GetDocumentData(IUnknown** data) override
    {
        return hasData ? data_.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(data)) : E_NOTIMPL;
    }

    SlotCalculation calculation;
    std::vector<std::pair<int32_t, int32_t>> asked;
    bool hasData = true;
    bool slotFilled = true;

private:
    struct Data final : TestSupport::StackComObject<IHostDocumentData>
    {
        explicit Data(CalculatingDocument& owner) : owner_(owner) {}
        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
        {
            *object = static_cast<IHostDocumentData*>(this);
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE GetChannelCalculation(int32_t channel, int32_t selector, IUnknown** object) override
        {
            owner_.asked.emplace_back(channel, selector);
            *object = owner_.slotFilled ? static_cast<IHostChannelCalculation*>(&owner_.calculation) : nullptr;
            if (*object)
                (*object)->AddRef();
            return *object ? S_OK : S_FALSE;
        }
        CalculatingDocument& owner_;
    };
    Data data_;
};

struct ChannelCounts final : TestSupport::StackComObject<IHostChannelCounts>
{
    HRESULT STDMETHODCALLTYPE GetAllChannelCount(int32_t* count) override { return Answer(all, count); }
    HRESULT STDMETHODCALLTYPE GetRecordedChannelCount(int32_t* count) override { return Answer(recorded, count); }
    HRESULT STDMETHODCALLTYPE GetCalculationChannelCount(uint32_t, int32_t* count) override
    {
        return Answer(withCalculations, count);
    }
    static HRESULT Answer(int32_t value, int32_t* count)
    {
        *count = value;
        return S_OK;
    }
    int32_t all = 0, recorded = 0, withCalculations = 0;
};

} // namespace

TEST(HostDataAccess, TheChannelsToWalkAreTheLargestOfTheHostsThreeCounts)
{
    EXPECT_EQ(16, MaxOfThreeHostCounts(nullptr));
    const struct
    {
        int32_t all, recorded, withCalculations, expected;
    } cases[] = {{5, 3, 0, 5}, {2, 2, 7, 7}, {-1, 4, -3, 4}, {0, 0, 0, 0}};
    for (const auto& test : cases)
    {
        ChannelCounts counts;
        counts.all = test.all, counts.recorded = test.recorded, counts.withCalculations = test.withCalculations;
        EXPECT_EQ(test.expected, MaxOfThreeHostCounts(&counts));
    }
}

// The state word's bit 31 says the results are current, bit 30 that a calculation is installed; a
// channel that keeps no state has nothing to wait for.
TEST(HostDataAccess, AChannelsCalculationStateIsReadFromItsStateWord)
{
    const struct
    {
        bool keepsState, answers;
        uint32_t word;
        bool strict, expected;
    } cases[] = {
        {false, true, 0, true, true},
        {true, false, HostCalcResultsCurrent, false, false},
        {true, true, HostCalcResultsCurrent, true, true},
        {true, true, HostCalcInstalled, true, false},
        {true, true, HostCalcInstalled, false, true},
        {true, true, 0, false, false},
        {true, true, 0x3FFFFFFF, false, false},
    };
    for (const auto& test : cases)
    {
        CalculatingDocument document;
        document.calculation.keepsState = test.keepsState;
        document.calculation.stateAnswers = test.answers;
        document.calculation.state = test.word;
        EXPECT_EQ(test.expected, TestChannelCalcState(&document, 3, test.strict)) << test.word;
        EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{{3, HostChannelCalcSelector}}), document.asked);
        EXPECT_EQ(0u, document.calculation.references);
    }
    CalculatingDocument withoutData;
    withoutData.hasData = false;
    EXPECT_FALSE(TestChannelCalcState(&withoutData, 0, false));
}

TEST(HostDataAccess, OnlyACalculationOfTheExpectedClassIsFound)
{
    constexpr uint32_t Own = 0x12340000;
    CalculatingDocument document;
    document.calculation.typeId = Own;
    IHostChannelCalcState* state = nullptr;
    ASSERT_TRUE(FindOwnChannelCalculation(&document, &state, 4, 7, Own));
    EXPECT_EQ(static_cast<IHostChannelCalcState*>(&document.calculation), state);
    EXPECT_EQ(1u, document.calculation.references);
    state->Release();
    EXPECT_EQ((std::vector<std::pair<int32_t, int32_t>>{{4, 7}}), document.asked);

    EXPECT_FALSE(FindOwnChannelCalculation(&document, &state, 4, 7, Own + 1));
    EXPECT_EQ(nullptr, state);
    document.calculation.keepsState = false;
    EXPECT_FALSE(FindOwnChannelCalculation(&document, &state, 4, 7, Own));
    document.calculation.keepsState = true;
    document.slotFilled = false;
    EXPECT_FALSE(FindOwnChannelCalculation(&document, &state, 4, 7, Own));
    document.slotFilled = true;
    document.hasData = false;
    EXPECT_FALSE(FindOwnChannelCalculation(&document, &state, 4, 7, Own));
    EXPECT_EQ(0u, document.calculation.references);
}
