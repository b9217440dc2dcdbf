#include "selftest/framework/ETB.h"

#include "hostframework/messaging/SistraIds.h"

namespace
{

constexpr const wchar_t* UnsetCalculationText = L"NOT SET";
constexpr int32_t DefaultSamplesToTest = 26123;
constexpr int32_t DefaultRecordCount = 3;
constexpr double DefaultSampleRate = 1000.0;

} // namespace

ETB::TestSetup::TestSetup()
    : mEnumID(Sistra::HostCommonType::Id()),
      mArithString(UnsetCalculationText),
      mNumSamplesToTest(DefaultSamplesToTest),
      mIsFilling(false),
      mNumRecords(DefaultRecordCount)
{
}

ETB::TestSetup::TestSetup(int32_t samples, const std::wstring& sourceFormula, const std::wstring& calculationText)
    : mEnumID(Sistra::HostCommonType::Id()),
      mSourceExpressions{sourceFormula},
      mArithString(calculationText),
      mNumSamplesToTest(samples),
      mIsFilling(false),
      mNumRecords(DefaultRecordCount),
      mSourceSampleRates{DefaultSampleRate}
{
}

void ETB::SetAuthor()
{
    SetAuthorText(L"Sistra self-test framework");
}
