#include "calc/pva/PvaCalculation.h"

#include "calc/loops/LoopAnalyzer.h"
#include "calc/engine/MissingValue.h"
#include "calc/tests/DetectorReading.h"
#include "calc/tests/SyntheticLoops.h"
#include "foundation/com/XOrv.h"
#include "hostapi/HostDocument.h"
#include "hostframework/messaging/SistraIds.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

using namespace Sistra;
using CalcTesting::FakeChannel;
using CalcTesting::FakeEdpEvents;
using CalcTesting::FakeRecordEvents;
using CalcTesting::TrapezoidRecording;
namespace Pva = ::Sistra::Sistra;

namespace
{

constexpr double Dt = 0.005;
// The trapezoid A (120, 10), B (115, 100), C (60, 110), D (65, 5) encloses 5350; its end-systolic point
// is C, the corner of the largest P/V.
constexpr double TrapezoidStrokeWork = 5350.0;

std::vector<SistraEvent> AnalyzeTrapezoids(const TrapezoidRecording& recording)
{
    FakeChannel pressure(recording.pressure);
    FakeChannel volume(recording.volume);
    FakeEdpEvents edps(recording.edpTicks);
    EEH3::DetectorEnumeratorCore<DetEx_EventAlgorithm> analyzer;
    analyzer.SetArguments(L"0 0 0");
    IUnknown* sources[] = {static_cast<IEnumFloatEx*>(&pressure), static_cast<IEnumFloatEx*>(&volume),
                           static_cast<IEnumEventEx*>(&edps)};
    analyzer.Bind(0, 3, sources, Dt, 0);
    return CalcTesting::ReadAllEvents(analyzer);
}

// The argument text: the leading flag, then the function's numbers.
std::wstring Arguments(const std::vector<double>& numbers)
{
    std::wostringstream text;
    text << std::setprecision(17) << 0;
    for (double number : numbers)
        text << L' ' << number;
    return text.str();
}

class PvaCalc : public ::testing::Test
{
protected:
    PvaCalc()
        : recording(3), loops(AnalyzeTrapezoids(recording)), pressure(recording.pressure), volume(recording.volume)
    {
    }

    void Bind(const std::wstring& arguments, uint32_t sourceCount = 3, int32_t record = 0)
    {
        core.SetArguments(arguments);
        IUnknown* sources[] = {static_cast<IEnumEventEx*>(&loops), static_cast<IEnumFloatEx*>(&pressure),
                               static_cast<IEnumFloatEx*>(&volume)};
        core.Bind(record, sourceCount, sources, Dt, 0);
    }

    std::vector<PVAEvent> ReadAll() { return CalcTesting::ReadAllEvents(core); }

    TrapezoidRecording recording;
    FakeRecordEvents<SistraEvent> loops;
    FakeChannel pressure;
    FakeChannel volume;
    EEH3::DetectorEnumeratorCore<Pva::Algorithm> core;
};

// Straight relations meeting at (V 20, P 0).
const std::vector<double> StraightRelations{0, 0, 0, 20, 0, 0, 0, 0, 0};

} // namespace

TEST_F(PvaCalc, TrapezoidLoopGivesTheHandComputedAreaEnergyAndEfficiency)
{
    ASSERT_EQ(4u, loops.events.size()); // three loops and the closing record
    Bind(Arguments(StraightRelations));
    const std::vector<PVAEvent> pvas = ReadAll();
    ASSERT_EQ(3u, pvas.size());
    for (std::size_t i = 0; i < pvas.size(); ++i)
    {
        const PVAEvent& pva = pvas[i];
        EXPECT_EQ(loops.events[i].base.tick, pva.base.tick);
        EXPECT_EQ(loops.events[i].base.value, pva.base.value);
        // A, B, C and the intersection (20, 0): half of 10850 + 6650 − 2200 + 200.
        EXPECT_NEAR(7750.0, pva.pva, 1e-6);
        EXPECT_NEAR(7750.0 - TrapezoidStrokeWork, pva.pe, 1e-6);
        EXPECT_NEAR(TrapezoidStrokeWork, pva.strokeWork, 1e-6);
        EXPECT_NEAR(TrapezoidStrokeWork / 7750.0, pva.GetParameter(28, nullptr, nullptr), 1e-9);
    }
}

TEST_F(PvaCalc, QuadraticEndSystolicRelationBendsTheClosingEdge)
{
    // P = 110/3600 · V² runs from the intersection (0, 0) to C (60, 110): the polygon A, B, C, (0, 0)
    // encloses 8750, and the curve lies below its chord by 60·110/2 − 110/3600 · 60³/3 = 3300 − 2200.
    Bind(Arguments({1, 0, 0, 0, 0, 0, 110.0 / 3600.0, 0, 0}));
    const std::vector<PVAEvent> pvas = ReadAll();
    ASSERT_EQ(3u, pvas.size());
    EXPECT_NEAR(8750.0 - 1100.0, pvas[0].pva, 1e-6);
    EXPECT_NEAR(8750.0 - 1100.0 - TrapezoidStrokeWork, pvas[0].pe, 1e-6);
}

TEST_F(PvaCalc, PerpendicularAndTangentRelationsCloseThroughTheLoopsOwnEndSystolicPoint)
{
    for (double type : {2.0, 3.0})
    {
        std::vector<double> numbers = StraightRelations;
        numbers[0] = type;
        Bind(Arguments(numbers));
        const std::vector<PVAEvent> pvas = ReadAll();
        ASSERT_EQ(3u, pvas.size()) << "type " << type;
        EXPECT_NEAR(7750.0, pvas[2].pva, 1e-6) << "type " << type;
    }
}

namespace
{

// A document holding analysis data whose tangent line touches the loop starting at touchedLoop of record
// touchedRecord in B (115, 100), ten samples into the loop.
class DocumentWithTangentPoints final : public IHostChildData, public IStrixDataChildData, public ITangentEsPoints
{
public:
    explicit DocumentWithTangentPoints(int32_t touched) : touchedLoop(touched) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (iid == IID_IHostChildData)
            *out = static_cast<IHostChildData*>(this);
        else if (iid == IID_ITangentEsPoints)
            *out = static_cast<ITangentEsPoints*>(this);
        else
            *out = nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE AttachChildData(IStrixDataChildData*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE DetachChildData(IStrixDataChildData*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindChildData(ULONG typeId, IStrixDataChildData** data) override
    {
        *data = typeId == DocumentDataTypeId::Id() ? static_cast<IStrixDataChildData*>(this) : nullptr;
        return *data ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override { return *typeId = DocumentDataTypeId::Id(), S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(ULONG, ULONG, ULONG, ULONG, ULONG, IUnknown*, IStrixDataChildData**) override
    {
        return E_NOTIMPL;
    }

    int32_t STDMETHODCALLTYPE GetTangentEsPoint(int32_t record, int32_t loopStartTick, float* volume,
                                                float* pressure) override
    {
        *volume = *pressure = 0.0f;
        if (record != touchedRecord || loopStartTick != touchedLoop)
            return -1;
        *volume = 115.0f;
        *pressure = 100.0f;
        return loopStartTick + 10;
    }

    int32_t touchedLoop;
    int32_t touchedRecord = 1;
};

} // namespace

// The point is looked up by the loop's record as well as its start tick: every record's ticks start at 0,
// and a loop of another record may start at the same tick.
TEST_F(PvaCalc, TangentRelationClosesThroughTheAnalysisDataTangentPointWhereItHasOne)
{
    // Static: the calculation keeps the context beyond this test's frame.
    static DocumentWithTangentPoints document(0);
    document.touchedLoop = loops.events[1].firstTick;
    core.Parameters().context = static_cast<IHostChildData*>(&document);
    for (int32_t record : {0, 1})
        for (double type : {0.0, 3.0})
        {
            std::vector<double> numbers = StraightRelations;
            numbers[0] = type;
            Bind(Arguments(numbers), 3, record);
            const std::vector<PVAEvent> pvas = ReadAll();
            ASSERT_EQ(3u, pvas.size());
            EXPECT_NEAR(7750.0, pvas[0].pva, 1e-6);
            // A, B and the intersection (20, 0): half of 10850 − 2000 + 200.
            const bool touched = type == 3.0 && record == document.touchedRecord;
            EXPECT_NEAR(touched ? 4525.0 : 7750.0, pvas[1].pva, 1e-6) << "type " << type << ", record " << record;
            EXPECT_NEAR(7750.0, pvas[2].pva, 1e-6);
        }
}

TEST_F(PvaCalc, WithoutAnEndSystolicTypeNothingIsCalculated)
{
    // The text that asks for no area leaves six of the nine numbers here: its first two are sources.
    for (const std::wstring& text : {Arguments({-1, 0, 0, 20, 0, 0, 0, 0, 0}), Arguments({4, 0, 0, 20, 0, 0, 0, 0, 0}),
                                     Arguments({0, 0, 0, 0, 0, 0}), Arguments({})})
    {
        Bind(text);
        EXPECT_TRUE(ReadAll().empty()) << text;
    }
}

TEST_F(PvaCalc, EndDiastolicTermsMayBeLeftOut)
{
    // Seven numbers: the end-systolic relation is whole, the straight end-diastolic one adds nothing.
    Bind(Arguments({StraightRelations.begin(), StraightRelations.end() - 2}));
    const std::vector<PVAEvent> pvas = ReadAll();
    ASSERT_EQ(3u, pvas.size());
    EXPECT_NEAR(7750.0, pvas[0].pva, 1e-6);
}

TEST_F(PvaCalc, LoopsWithoutSamplesOrCutShortGiveNoEvent)
{
    loops.events[0].endTick = loops.events[0].firstTick; // start and end coincide
    // The channels end inside the third loop.
    pressure.samples.resize(static_cast<std::size_t>(loops.events[2].firstTick + 10));
    pressure.available = pressure.samples.size();
    Bind(Arguments(StraightRelations));
    const std::vector<PVAEvent> pvas = ReadAll();
    ASSERT_EQ(1u, pvas.size());
    EXPECT_EQ(loops.events[1].base.tick, pvas[0].base.tick);
}

TEST_F(PvaCalc, FewerThanThreeSourcesGiveNoEvents)
{
    Bind(Arguments(StraightRelations), 1);
    EXPECT_TRUE(ReadAll().empty());
}

TEST_F(PvaCalc, OnlineDataGivesTheSameRecordsAsOffline)
{
    Bind(Arguments(StraightRelations));
    const std::vector<PVAEvent> offline = ReadAll();
    const std::vector<SistraEvent> all = loops.events;
    for (std::size_t chunk : {1u, 17u, 64u})
    {
        pressure.available = volume.available = loops.available = 0;
        pressure.complete = volume.complete = loops.complete = false;
        Bind(Arguments(StraightRelations));
        std::vector<PVAEvent> online;
        for (int guard = 0; guard < 10000; ++guard)
        {
            const std::vector<PVAEvent> read = ReadAll();
            online.insert(online.end(), read.begin(), read.end());
            if (pressure.complete)
                break;
            pressure.available = volume.available = std::min(pressure.samples.size(), pressure.available + chunk);
            // A loop is known once its samples are recorded.
            while (loops.available < all.size() &&
                   all[loops.available].endTick <= static_cast<int32_t>(pressure.available))
                ++loops.available;
            pressure.complete = volume.complete = loops.complete = pressure.available == pressure.samples.size();
            if (loops.complete)
                loops.available = all.size();
        }
        ASSERT_EQ(offline.size(), online.size()) << "chunk " << chunk;
        EXPECT_EQ(0, std::memcmp(offline.data(), online.data(), offline.size() * sizeof(PVAEvent))) << "chunk " << chunk;
    }
}

TEST(PvaCalcParams, ReadingAgainReplacesTheTermsAndTheTextWritesBackAsRead)
{
    Pva::Params params;
    for (int reading = 0; reading < 2; ++reading)
    {
        std::wistringstream in(L"0.6 1.4 2.1234567891 30 1 2 3 4 5");
        params.Read(in);
    }
    EXPECT_EQ((std::vector<double>{1, 2, 3}), params.espvrTerms);
    EXPECT_EQ((std::vector<double>{4, 5}), params.edpvrTerms);
    EXPECT_TRUE(params.espvrTypeValid);
    EXPECT_EQ(1, params.espvrType);
    EXPECT_EQ(1, params.edpvrType);
    EXPECT_EQ(2.1234567891, params.pressureAtIntersect);
    std::wostringstream out;
    params.Write(out);
    Pva::Params again;
    std::wistringstream back(out.str());
    again.Read(back);
    EXPECT_EQ(params.espvrType, again.espvrType);
    EXPECT_EQ(params.pressureAtIntersect, again.pressureAtIntersect);
    EXPECT_EQ(params.edpvrTerms, again.edpvrTerms);
    EXPECT_EQ(params.Limits().endTick, again.Limits().endTick);
}

TEST(PvaCalcParams, EndDiastolicEventsInPlaceOfLoopRecordsAreRefused)
{
    FakeEdpEvents edps({10, 50});
    FakeChannel pressure({1, 2, 3});
    FakeChannel volume({1, 2, 3});
    Pva::Params params;
    IUnknown* sources[] = {static_cast<IEnumEventEx*>(&edps), static_cast<IEnumFloatEx*>(&pressure),
                           static_cast<IEnumFloatEx*>(&volume)};
    EXPECT_THROW(params.BuildSources(3, sources), XOrv);
}
