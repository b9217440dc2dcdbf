// The common base of the module's self-test classes and the set-up record its standard routines read.
#pragma once

#include "selftest/framework/UnitTestBase.h"

#include <cstdint>
#include <string>
#include <vector>

class ETB : public UnitTestBase
{
public:
    struct TestSetup
    {
        TestSetup();
        // One source channel at 1000 samples per second.
        TestSetup(int32_t samples, const std::wstring& sourceFormula, const std::wstring& calculationText);

        // The host type id of the calculation made from mArithString.
        uint32_t mEnumID;
        // The formula of each synthetic source channel, ch1 first.
        std::vector<std::wstring> mSourceExpressions;
        std::wstring mArithString;
        // The length of each synthetic record in ticks.
        int32_t mNumSamplesToTest;
        // The calculation fills its output up to the end asked for instead of running out of data.
        bool mIsFilling;
        int32_t mNumRecords;
        // Texts installed as calculated channels (vch1, ...) after the sources.
        std::vector<std::wstring> mCalcChannelExpressions;
        // Samples per second of each source channel.
        std::vector<double> mSourceSampleRates;
    };

    const TestSetup& Config() const { return config; }
    int32_t EventRecordSize() const { return mEventRecordSize; }

protected:
    void SetAuthor() override;
    void SetUp() override = 0;

    TestSetup config;
    // The bytes of one event record of the calculation under test.
    int32_t mEventRecordSize = 0;
};
