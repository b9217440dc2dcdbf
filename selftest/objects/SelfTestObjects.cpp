#include "selftest/objects/SelfTestObjects.h"

#include "hostframework/entry/ClassRegistration.h"
#include "selftest/framework/ETB.h"
#include "selftest/routines/NextChecks.h"
#include "selftest/routines/StandardRoutines.h"

#include "foundation/text/StringStream.h"

#include <new>

namespace Sistra
{
namespace
{

constexpr int32_t SamplesToTest = 326000;
constexpr double TestValue = 60.0;

// The seven tests, alike for every class; the classes differ in their set-up record and event record.
template <class TBufType, class EventHelper>
class StandardTestObject : public ETB
{
protected:
    void RegisterTests() override;
    void SetAuthor() override;
    // The class name without its namespace, which leads every test name.
    virtual const char* ClassName() const = 0;

private:
    void AddStandardTest(void (StandardTestObject::*test)(), const char* name);
    void BounceTest();
    void BounceTestReusingEnumerator();
    void NextOffline();
    void NextOnline();
    void OnlineOfflineComparison();
    void FindTest();
    void SetSourcesTest();
};

} // namespace

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::AddStandardTest(void (StandardTestObject::*test)(), const char* name)
{
    AddTest([this, test] { (this->*test)(); }, (std::string(ClassName()) + "::" + name).c_str(), TestValue);
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::RegisterTests()
{
    AddStandardTest(&StandardTestObject::BounceTest, "EventEnumBounceTest");
    AddStandardTest(&StandardTestObject::BounceTestReusingEnumerator, "EventEnumBounceTest2");
    AddStandardTest(&StandardTestObject::NextOffline, "EventEnumTestNextOffline");
    AddStandardTest(&StandardTestObject::NextOnline, "EventEnumTestNextOnline");
    AddStandardTest(&StandardTestObject::OnlineOfflineComparison, "EventEnumOnlineOfflineComparison");
    AddStandardTest(&StandardTestObject::FindTest, "EventEnumTestFind");
    AddStandardTest(&StandardTestObject::SetSourcesTest, "EventEnumTestSetSourcesQuintaro");
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::SetAuthor()
{
    SetAuthorText(L"Sistra calculation functions");
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::BounceTest()
{
    stdtests::EventEnumBounceTest<TBufType, EventHelper>(config, false);
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::BounceTestReusingEnumerator()
{
    stdtests::EventEnumBounceTest<TBufType, EventHelper>(config, true);
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::NextOffline()
{
    EventEnumTestNextOffline(config, mEventRecordSize);
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::NextOnline()
{
    EventEnumTestNextOnline(config, mEventRecordSize);
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::OnlineOfflineComparison()
{
    stdtests::EventEnumOnlineOfflineComparison<TBufType, EventHelper>(config);
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::FindTest()
{
    stdtests::EventEnumTestFind<TBufType, EventHelper>(config);
}

template <class TBufType, class EventHelper>
void StandardTestObject<TBufType, EventHelper>::SetSourcesTest()
{
    stdtests::EventEnumTestSetSources<TBufType, EventHelper>(config);
}

using EdpEvents = StandardTestObject<SistraEdpEvent, stdtests::GenericHelper<SistraEdpEvent>>;
using LoopEvents = StandardTestObject<SistraEvent, stdtests::GenericHelper<SistraEvent>>;
using SelectedValues = StandardTestObject<OrvEventBase, stdtests::OrvEventBasehelper>;
using PvaEvents = StandardTestObject<PVAEvent, stdtests::GenericHelper<PVAEvent>>;

std::wstring PvaTestCalculationText()
{
    const wchar_t* const volumeFormula = L"0.25 * 3 * t * (0.05 * sin(10 * t) + 0.06)";
    const double constants[] = {0.0187671, 4.60996e-05, 0.00684076, 258.709, 0.0, 0.0183904, 8.17279};
    Orv::OStringStream text;
    text << L"PvaCalc(SistraAnalyzer(ch1, " << volumeFormula
         << L", PVEdpDet(ch1, cmpeakdet(ch1, 5, 0.0), 5), 0, 0, -1, -1, -1, -1), " << 0 << L", " << 0;
    for (const double constant : constants)
        text << L", " << constant;
    text << L")";
    return text.c_str();
}

class Sistra_TestEdpDetector final : public EdpEvents
{
    const char* ClassName() const override { return "Sistra_TestEdpDetector"; }
    void SetUp() override
    {
        config = TestSetup(SamplesToTest, L"threshold(t,120+5)*(1.5*sin(10*t) + random())", L"PVEdpDet(ch1,vch1)");
        // The calculation text names the peaks as the first calculated channel.
        config.mCalcChannelExpressions.push_back(L"CMPeakDet(ch1,0.1,0,120)");
        mEventRecordSize = sizeof(SistraEdpEvent);
    }
};

class Sistra_TestEdpDetector_ECG final : public EdpEvents
{
    const char* ClassName() const override { return "Sistra_TestEdpDetector_ECG"; }
    void SetUp() override
    {
        config = TestSetup(SamplesToTest, L"sin(30*t)", L"PVEcgEdpDet(cmpeakdet(shift(ch1,-0.1),1,0),-1,-1,-1,-1)");
        mEventRecordSize = sizeof(SistraEdpEvent);
    }
};

class Sistra_TestEventDetector final : public LoopEvents
{
    const char* ClassName() const override { return "Sistra_TestEventDetector"; }
    void SetUp() override
    {
        config = TestSetup(SamplesToTest, L"sin(30*t)+2",
                           L"SistraAnalyzer(ch1,2+sin(40*t),PVEdpDet(ch1,cmpeakdet(ch1,0.3,0.01)),0,0,-1,-1,-1,-1)");
        config.mSourceSampleRates = {100000.0};
        mEventRecordSize = sizeof(SistraEvent);
    }
};

class Sistra_TestSelector final : public SelectedValues
{
    const char* ClassName() const override { return "Sistra_TestSelector"; }
    void SetUp() override
    {
        config = TestSetup(SamplesToTest, L"sin(30*t)",
                           L"SistraParamSelector(SistraAnalyzer(ch1, sin(40*t), PVEdpDet(ch1,cmpeakdet(ch1,0.3,0.01), "
                           L"0.3),0,0,-1,-1,-1,-1), 1)");
        mEventRecordSize = sizeof(OrvEventBase);
    }
};

class Sistra_TestPVAEvents final : public PvaEvents
{
    const char* ClassName() const override { return "Sistra_TestPVAEvents"; }
    void SetUp() override
    {
        config = TestSetup(SamplesToTest, L"3 * t * (0.5 * sin(pi/2 - 10 * t) + 0.61)", PvaTestCalculationText());
        mEventRecordSize = sizeof(PVAEvent);
    }
};

namespace
{

template <class Test>
class SelfTestRow final : public SelfTestMaker
{
public:
    IUnitTest* GetClassObject() override { return new (std::nothrow) Test; }
};

// The maker list runs newest first: the rows are defined from the last registered to the first.
SelfTestRow<Sistra_TestPVAEvents> pvaEvents;
SelfTestRow<Sistra_TestSelector> selector;
SelfTestRow<Sistra_TestEventDetector> eventDetector;
SelfTestRow<Sistra_TestEdpDetector_ECG> edpDetectorEcg;
SelfTestRow<Sistra_TestEdpDetector> edpDetector;

} // namespace

} // namespace Sistra
