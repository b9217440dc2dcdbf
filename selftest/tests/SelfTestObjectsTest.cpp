// The module's self-test objects as the host's runner meets them: registered in order, their tests
// listed, and every test passing on the module's own calculation functions.
#include "selftest/objects/SelfTestObjects.h"
#include "testsupport/StandInHost.h"

#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"
#include "hostframework/entry/ClassRegistration.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using StandInHost::SelfTestHost;

const char* const ClassNames[] = {"Sistra_TestEdpDetector", "Sistra_TestEdpDetector_ECG", "Sistra_TestEventDetector",
                                  "Sistra_TestSelector", "Sistra_TestPVAEvents"};
const char* const TestNames[] = {"EventEnumBounceTest",      "EventEnumBounceTest2",
                                 "EventEnumTestNextOffline", "EventEnumTestNextOnline",
                                 "EventEnumOnlineOfflineComparison", "EventEnumTestFind",
                                 "EventEnumTestSetSourcesQuintaro"};

std::string Take(IAutoOrvString* text)
{
    const Orv::String taken = Orv::String::FromInterface(text);
    text->Release();
    return std::string(taken.c_str(), taken.c_str() + taken.Length());
}

// The objects registration handed to the host's registry, in the order it handed them.
std::vector<Orv::ComPtr<IUnitTest>> RegisteredTests()
{
    std::vector<Orv::ComPtr<IUnitTest>> tests;
    Orv::ComPtr<IUnitTest> test;
    for (ULONG index = 0; SUCCEEDED(SelfTestHost().GetSelfTest(index, test.Put())); ++index)
        tests.push_back(test);
    return tests;
}

TEST(SelfTestObjects, FiveAreRegisteredEachListingTheSevenStandardTests)
{
    const auto tests = RegisteredTests();
    ASSERT_EQ(std::size(ClassNames), tests.size());
    for (size_t object = 0; object < tests.size(); ++object)
    {
        IUnitTest& test = *tests[object].Get();
        test.Initialize();
        LONG count = 0;
        test.GetTestCount(&count);
        ASSERT_EQ(static_cast<LONG>(std::size(TestNames)), count) << object;
        for (LONG index = 0; index < count; ++index)
        {
            IAutoOrvString* name = nullptr;
            ASSERT_EQ(S_OK, test.GetTestName(index, &name));
            EXPECT_EQ(std::string(ClassNames[object]) + "::" + TestNames[index], Take(name));
            double value = 0.0;
            test.GetTestValue(index, &value);
            EXPECT_EQ(60.0, value);
        }
    }
}

TEST(SelfTestObjects, EveryTestPassesOnTheModulesCalculationFunctions)
{
    SelfTestHost();
    for (SelfTestMaker* maker = SelfTestMaker::Head(); maker; maker = maker->Next())
    {
        const Orv::ComPtr<IUnitTest> test(maker->GetClassObject());
        test->Initialize();
        LONG count = 0;
        test->GetTestCount(&count);
        // Backwards: each set-up starts afresh whatever ran before.
        for (LONG index = count - 1; index >= 0; --index)
        {
            IAutoOrvString* name = nullptr;
            test->GetTestName(index, &name);
            const std::string testName = Take(name);
            ASSERT_EQ(S_OK, test->RunTest(index)) << testName;
            VARIANT_BOOL passed = VARIANT_FALSE;
            IAutoOrvString* message = nullptr;
            test->GetResult(&passed, &message);
            EXPECT_EQ(VARIANT_TRUE, passed) << testName << ": " << Take(message);
        }
    }
}

TEST(SelfTestObjects, ThePvaCalculationTextWritesItsConstantsAsADefaultStream)
{
    EXPECT_EQ(L"PvaCalc(SistraAnalyzer(ch1, 0.25 * 3 * t * (0.05 * sin(10 * t) + 0.06), PVEdpDet(ch1, cmpeakdet(ch1, "
              L"5, 0.0), 5), 0, 0, -1, -1, -1, -1), 0, 0, 0.0187671, 4.60996e-05, 0.00684076, 258.709, 0, 0.0183904, "
              L"8.17279)",
              Sistra::PvaTestCalculationText());
}

} // namespace
