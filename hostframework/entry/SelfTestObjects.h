// The self-test objects the module hands to the host's test registry. Their tests are registered by
// the self-test subsystem; until it is built each object answers as one with no tests.
#pragma once

#include "VyrClassRegistry.h"
#include "foundation/text/String.h"

#include <string>
#include <vector>

// The IUnitTest object: counted, made with no reference and freed with its last one.
class UnitTestBase : public IUnitTest
{
public:
    UnitTestBase() = default;
    UnitTestBase(const UnitTestBase&) = delete;
    UnitTestBase& operator=(const UnitTestBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetTestCount(LONG* count) override;
    HRESULT STDMETHODCALLTYPE RunTest(LONG index) override;
    HRESULT STDMETHODCALLTYPE GetTestName(LONG index, IAutoOrvString** name) override;
    HRESULT STDMETHODCALLTYPE GetResult(VARIANT_BOOL* passed, IAutoOrvString** message) override;
    HRESULT STDMETHODCALLTYPE Initialize() override;
    HRESULT STDMETHODCALLTYPE GetAuthor(IAutoOrvString** author) override;
    HRESULT STDMETHODCALLTYPE GetTestValue(LONG index, double* value) override;

protected:
    virtual ~UnitTestBase() = default;

private:
    LONG references_ = 0;
    Orv::String name_;
    Orv::String author_;
};

// The common base of the module's test classes, with the set-up record its standard routines read.
class ETB : public UnitTestBase
{
public:
    struct TestSetup
    {
        TestSetup();

        ULONG mEnumID;
        std::vector<std::wstring> mSourceExpressions;
        std::wstring mArithString;
        LONG mNumSamplesToTest;
        bool mIsFilling;
        LONG mNumRecords;
        std::vector<std::wstring> mCalcChannelExpressions;
        std::vector<double> mSourceSampleRates;
    };

    const TestSetup& Config() const { return config_; }

private:
    TestSetup config_;
};

namespace Sistra
{
class Sistra_TestEdpDetector final : public ETB
{
};
class Sistra_TestEdpDetector_ECG final : public ETB
{
};
class Sistra_TestEventDetector final : public ETB
{
};
class Sistra_TestSelector final : public ETB
{
};
class Sistra_TestPVAEvents final : public ETB
{
};
} // namespace Sistra
