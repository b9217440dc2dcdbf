// The self-test framework: failure texts, the random source, and how a test object runs its table.
#include "selftest/framework/UniformRandom.h"
#include "selftest/framework/UnitTestBase.h"
#include "selftest/routines/EventHelpers.h"

#include "foundation/com/ComPtr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace
{

std::wstring Take(IAutoOrvString* text)
{
    const Orv::String taken = Orv::String::FromInterface(text);
    text->Release();
    return taken.c_str();
}

TEST(FailureText, NamesFileLineConditionAndMessage)
{
    struct Case
    {
        const char* condition;
        const char* file;
        int line;
        const wchar_t* message;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {"hr==S_OK", "C:\\build\\checks", 183, L"", L"checks, Line 183 [hr==S_OK]"},
        {"", "checks", 7, L"Bad HResult from Next.", L"checks, Line 7, [Bad HResult from Next.]"},
        {"hr==S_OK", "checks", 7, L"Bad HResult from Next.", L"checks, Line 7 [hr==S_OK], [Bad HResult from Next.]"},
        // Only backslashes separate folders.
        {"", "C:\\a\\b/c/checks", 1, L"", L"b/c/checks, Line 1"},
    };
    for (const Case& c : cases)
    {
        Orv::String text;
        MakeFailureText(text, c.condition, c.file, c.line, c.message);
        EXPECT_STREQ(c.expected, text.c_str());
        try
        {
            Check(false, c.condition, c.file, c.line, c.message);
            ADD_FAILURE() << "a failed check throws";
        }
        catch (const UnitTestException& failure)
        {
            EXPECT_STREQ(c.expected, failure.Message().c_str());
        }
    }
}

TEST(UniformRandom, StartsTheKnownSequenceFromItsSeed)
{
    for (const int32_t seed : {-1, 1, 0})
    {
        UniformRandomState state;
        state.seed = seed;
        EXPECT_NEAR(0.415999353, UniformRandom(state), 1e-9) << seed;
        EXPECT_NEAR(0.091964893, UniformRandom(state), 1e-9) << seed;
        EXPECT_NEAR(0.756410480, UniformRandom(state), 1e-9) << seed;
    }
}

TEST(UniformRandom, DrawsLieStrictlyBetweenZeroAndOneAndIndicesBelowTheirCount)
{
    UniformRandomState state;
    state.seed = -12345;
    for (int i = 0; i < 20000; ++i)
    {
        const float u = UniformRandom(state);
        ASSERT_GT(u, 0.0f);
        ASSERT_LT(u, 1.0f);
        const int64_t count = i % 7;
        const int32_t index = RandomIndex(state, count);
        ASSERT_GE(index, 0);
        ASSERT_LE(index, count == 0 ? 0 : count - 1);
    }
}

TEST(EventComparison, MatchesTimesWithinAThousandthAndValuesWithinTheirRelativeTolerance)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    struct Case
    {
        double timeA, valueA, timeB, valueB;
        bool same;
    };
    const Case cases[] = {
        {10.0, nan, 10.0, inf, true},       {10.0, nan, 10.0, 1.0, false},     {10.0, 1.0, 10.0, inf, false},
        {10.0, 1e-13, 10.0, -1e-13, true},  {10.0, 100.0, 10.0, 100.0009, true}, {10.0, 100.0, 10.0, 100.002, false},
        {10.0004, 5.0, 10.0, 5.0, true},    {10.0, 5.0, 10.002, 5.0, false},
    };
    const auto event = [](double time, double value) {
        OrvEventBase made;
        made.tick = static_cast<int32_t>(std::floor(time));
        made.fraction = static_cast<float>(time - made.tick);
        made.value = value;
        return made;
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.same, stdtests::SameEvent(event(c.timeA, c.valueA), event(c.timeB, c.valueB)))
            << c.timeA << " " << c.valueA << " / " << c.timeB << " " << c.valueB;
    EXPECT_STREQ(L"[1234.5, 0.25]", stdtests::FormatEvent(event(1234.5, 0.25)).c_str());
}

// A test object whose tests pass, fail a check, or throw something else.
class ScriptedTests final : public UnitTestBase
{
public:
    bool failSetUp = false;
    int tearDowns = 0;
    int runs = 0;

private:
    void RegisterTests() override
    {
        AddTest([this] { ++runs; }, "Scripted::Passes", 1.5);
        AddTest([this] {
            ++runs;
            Check(false, "x > 0", "C:\\src\\Scripted", 12, L"x is not positive.");
        }, "Scripted::Fails", 2.5);
        AddTest([] { throw std::runtime_error("not a check"); }, "Scripted::Throws", 3.5);
    }
    void SetAuthor() override { SetAuthorText(L"scripted"); }
    void SetUp() override { Check(!failSetUp, "ready", "Scripted", 3); }
    void TearDown() override { ++tearDowns; }
};

struct Outcome
{
    HRESULT answer;
    bool passed;
    std::wstring message;
};

Outcome RunOnce(IUnitTest& test, LONG index)
{
    const HRESULT answer = test.RunTest(index);
    VARIANT_BOOL passed = VARIANT_FALSE;
    IAutoOrvString* message = nullptr;
    EXPECT_EQ(S_OK, test.GetResult(&passed, &message));
    return {answer, passed == VARIANT_TRUE, Take(message)};
}

TEST(UnitTestObject, ListsItsTestsOnlyOnceInitialisedAndAgainOnEachInitialise)
{
    auto* scripted = new ScriptedTests;
    const Orv::ComPtr<IUnitTest> test(scripted);
    LONG count = -1;
    EXPECT_EQ(E_FAIL, test->GetTestCount(nullptr));
    ASSERT_EQ(S_OK, test->GetTestCount(&count));
    EXPECT_EQ(0, count);
    EXPECT_EQ(E_INVALIDARG, test->RunTest(0));

    test->Initialize();
    test->GetTestCount(&count);
    EXPECT_EQ(3, count);
    test->Initialize();
    test->GetTestCount(&count);
    EXPECT_EQ(6, count);
    IAutoOrvString* name = nullptr;
    ASSERT_EQ(S_OK, test->GetTestName(4, &name));
    EXPECT_EQ(L"Scripted::Fails", Take(name));
    double value = 0.0;
    ASSERT_EQ(S_OK, test->GetTestValue(5, &value));
    EXPECT_EQ(3.5, value);
    IAutoOrvString* author = nullptr;
    ASSERT_EQ(S_OK, test->GetAuthor(&author));
    EXPECT_EQ(L"scripted", Take(author));
}

TEST(UnitTestObject, ResultsFollowTheLastRun)
{
    auto* scripted = new ScriptedTests;
    const Orv::ComPtr<IUnitTest> test(scripted);
    VARIANT_BOOL passed = VARIANT_FALSE;
    IAutoOrvString* message = nullptr;
    ASSERT_EQ(S_OK, test->GetResult(&passed, &message));
    EXPECT_EQ(VARIANT_TRUE, passed) << "nothing has failed before any run";
    EXPECT_EQ(L"", Take(message));
    test->Initialize();

    const Outcome failed = RunOnce(*test.Get(), 1);
    EXPECT_EQ(S_OK, failed.answer) << "a failed check is a result, not a failure of the call";
    EXPECT_FALSE(failed.passed);
    EXPECT_EQ(L"Scripted, Line 12 [x > 0], [x is not positive.]", failed.message);
    EXPECT_EQ(0, scripted->tearDowns) << "a failing test skips its tear-down";

    const Outcome passing = RunOnce(*test.Get(), 0);
    EXPECT_TRUE(passing.passed);
    EXPECT_EQ(L"", passing.message);
    EXPECT_EQ(1, scripted->tearDowns);

    scripted->failSetUp = true;
    const Outcome skipped = RunOnce(*test.Get(), 0);
    EXPECT_FALSE(skipped.passed);
    EXPECT_EQ(L"Scripted, Line 3 [ready]", skipped.message);
    EXPECT_EQ(2, scripted->runs) << "a failing set-up skips the test";
}

TEST(UnitTestObject, AnExceptionThatIsNoCheckIsAFailedAnswerNotAnEscape)
{
    auto* scripted = new ScriptedTests;
    const Orv::ComPtr<IUnitTest> test(scripted);
    test->Initialize();
    const Outcome thrown = RunOnce(*test.Get(), 2);
    EXPECT_TRUE(FAILED(thrown.answer));
    EXPECT_FALSE(thrown.passed);
}

} // namespace
