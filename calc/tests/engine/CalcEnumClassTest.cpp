#include "calc/engine/CalcEnumClass.h"

#include "calc/engine/EEH3Enumerator.h"
#include "calc/tests/CrossingDetector.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <string>

using namespace CalcEnums;

namespace
{

using CrossingEnumerator = EEH3::EEH3Enumerator<CalcTesting::CrossingDetector, 8>;

std::wstring Text(IOrvString* text)
{
    std::wstring value = text ? text->GetText() : L"";
    if (text)
        text->Release();
    return value;
}

std::wstring ParamName(ICalcNumericParamsFuncClass* params, uint32_t index)
{
    IOrvString* name = nullptr;
    EXPECT_EQ(S_OK, params->GetParamInfo(index, nullptr, nullptr, nullptr, &name));
    return Text(name);
}

struct ExpectedFunction
{
    const CalcFunction* function;
    const wchar_t* name;
    uint32_t params;
    uint32_t sources;
    uint32_t functionWord;
    uint32_t resultWord;
    uint32_t aliasCount;
    const wchar_t* firstAlias;
};

const ExpectedFunction Table[] = {
    {&SistraAnalyzerFunction, L"SistraAnalyzer", 10, 3, 0xA0000000, 0x40000000, 0, L"ALEND"},
    {&PVEcgEdpDetFunction, L"PVEcgEdpDet", 5, 1, 0xA0000000, 0x40000000, 1, L"PVEcgEdpDetector"},
    {&PVEdpDetFunction, L"PVEdpDet", 7, 2, 0xA0000000, 0x40000000, 1, L"PVEdpDetector"},
    {&PVMaxDetFunction, L"PVMaxDet", 1, 1, 0xA0000000, 0x40000000, 1, L"PVMaxDetector"},
    {&ParamSelectorFunction, L"Sistra Parameter Selector", 4, 1, 0, 0x40000000, 1, L"SistraParamSelector"},
    {&PVAParamSelectorFunction, L"Sistra PVA Parameter Selector", 4, 1, 0, 0x40000000, 1, L"SistraPVAParamSelector"},
    {&PvaCalcFunction, L"PvaCalc", 12, 3, 0xA0000000, 0x40000000, 1, L"PvaDetector"},
    {&PSineFitFunction, L"PSineFit", 3, 2, 0, 0x80000000, 1, L"PSinFit"},
};

} // namespace

TEST(CalcFunctionClass, DescribesEveryFunctionAsItsTableSays)
{
    for (const ExpectedFunction& expected : Table)
    {
        CalcEnumNumericParamsClassEx<CrossingEnumerator> classObject(*expected.function);
        IOrvString* name = nullptr;
        uint32_t params = 0, sources = 0, functionWord = 1, resultWord = 0, aliases = 9;
        ASSERT_EQ(S_OK, classObject.GetInfo(&name, nullptr, &params, &sources, &functionWord, &resultWord));
        EXPECT_EQ(expected.name, Text(name));
        EXPECT_EQ(expected.params, params) << expected.name;
        EXPECT_EQ(expected.sources, sources) << expected.name;
        EXPECT_EQ(expected.functionWord, functionWord) << expected.name;
        EXPECT_EQ(expected.resultWord, resultWord) << expected.name;
        classObject.GetAliasCount(&aliases);
        EXPECT_EQ(expected.aliasCount, aliases) << expected.name;
        IOrvString* alias = nullptr;
        ASSERT_EQ(S_OK, classObject.GetAlias(0, &alias));
        EXPECT_EQ(expected.firstAlias, Text(alias));
        // Past the alias list itself, and past the last parameter (the "PNEND" index of the detectors),
        // nothing is read.
        EXPECT_EQ(E_INVALIDARG, classObject.GetAlias(2, &alias));
        EXPECT_EQ(E_INVALIDARG, classObject.GetParamInfo(params, nullptr, nullptr, nullptr, nullptr));
    }
}

TEST(CalcFunctionClass, ReportsRangesAndKindsOfParameters)
{
    CalcEnumNumericParamsClassEx<CrossingEnumerator> pva(PvaCalcFunction);
    EXPECT_EQ(L"EDPVR function term 2", ParamName(&pva, 11));
    double maximum = 0, minimum = 0;
    uint32_t kind = 0;
    pva.GetParamInfo(3, &maximum, &minimum, &kind, nullptr);
    EXPECT_EQ(3.0, maximum);
    EXPECT_EQ(-1.0, minimum);
    EXPECT_EQ(0x80000000u, kind);
    pva.GetParamInfo(0, &maximum, &minimum, &kind, nullptr);
    EXPECT_EQ(0.0, maximum);
    EXPECT_EQ(CalcKindEvents, kind);

    CalcEnumNumericParamsClassEx<CrossingEnumerator> edp(PVEdpDetFunction);
    edp.GetParamInfo(2, &maximum, &minimum, &kind, nullptr);
    EXPECT_EQ(DBL_EPSILON, minimum);
    EXPECT_EQ(DBL_MAX, maximum);
    EXPECT_EQ(CalcKindEvents, kind);
    edp.GetParamInfo(6, &maximum, &minimum, nullptr, nullptr);
    EXPECT_EQ(-1.0, minimum);
    EXPECT_EQ(L"LimitEnd Tick", ParamName(&edp, 6));

    CalcEnumNumericParamsClass<CrossingEnumerator> sine(PSineFitFunction);
    sine.GetParamInfo(2, &maximum, &minimum, &kind, nullptr);
    EXPECT_EQ(6.0, maximum);
    EXPECT_EQ(0u, kind);
}

TEST(CalcFunctionClass, ChecksTheKindOfEachSource)
{
    CalcEnumNumericParamsClassEx<CrossingEnumerator> pva(PvaCalcFunction);
    EXPECT_EQ(S_OK, pva.CheckSource(0, CalcKindEvents));
    EXPECT_EQ(S_FALSE, pva.CheckSource(0, CalcKindChannel));
    EXPECT_EQ(S_OK, pva.CheckSource(1, CalcKindChannel));
    EXPECT_EQ(S_OK, pva.CheckSource(2, CalcKindChannel));
    EXPECT_EQ(S_FALSE, pva.CheckSource(2, CalcKindEvents));
    EXPECT_EQ(E_INVALIDARG, pva.CheckSource(3, CalcKindChannel));
}

TEST(CalcFunctionClass, SelectorsShareTheirParametersButNotTheirIdentity)
{
    CalcEnumNumericParamsClass<CrossingEnumerator> loop(ParamSelectorFunction);
    CalcEnumNumericParamsClass<CrossingEnumerator> pva(PVAParamSelectorFunction);
    for (uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(ParamName(&loop, i), ParamName(&pva, i));
    EXPECT_NE(ParamSelectorFunction.descriptor->typeGuid, PVAParamSelectorFunction.descriptor->typeGuid);
    EXPECT_EQ(ParamSelectorFunction.params->names, PVAParamSelectorFunction.params->names);
}

TEST(CalcFunctionClass, AnswersOnlyTheFacesOfItsKind)
{
    CalcEnumClass2<CrossingEnumerator> plain(PSineFitFunction);
    CalcEnumNumericParamsClass<CrossingEnumerator> numeric(PSineFitFunction);
    CalcEnumNumericParamsClassEx<CrossingEnumerator> extended(PVEdpDetFunction);
    void* face = nullptr;
    EXPECT_EQ(S_OK, plain.QueryInterface(IID_IVyrClassObject, &face));
    EXPECT_EQ(E_NOINTERFACE, plain.QueryInterface(IID_ICalcNumericParamsFuncClass, &face));
    EXPECT_EQ(S_OK, numeric.QueryInterface(IID_ICalcNumericParamsFuncClass, &face));
    EXPECT_EQ(E_NOINTERFACE, numeric.QueryInterface(IID_ICalcNumericParamsFuncClassEx, &face));
    EXPECT_EQ(S_OK, extended.QueryInterface(IID_ICalcNumericParamsFuncClassEx, &face));
    EXPECT_EQ(E_NOINTERFACE, extended.QueryInterface(IID_IEnumFloatEx, &face));
    EXPECT_EQ(nullptr, face);
}

TEST(CalcFunctionClass, CategoryTitleAndUnsupportedCreation)
{
    CalcEnumClass2<CrossingEnumerator> classObject(PVMaxDetFunction);
    EXPECT_EQ(S_FALSE, classObject.IsCategory(nullptr));
    const GUID copy = CalcFunctionCategory;
    EXPECT_EQ(S_OK, classObject.IsCategory(&copy));
    EXPECT_EQ(S_FALSE, classObject.IsCategory(&CalculationClassCategory));

    BSTR title = SysAllocString(L"old");
    ASSERT_EQ(S_OK, classObject.GetTitle(&title));
    EXPECT_STREQ(L"PVMaxDet", title);
    SysFreeString(title);

    void* out = &title;
    EXPECT_EQ(E_NOTIMPL, classObject.CreateEnumVariant(nullptr, 0, nullptr, 0, 0, 0, nullptr, &out));
    EXPECT_EQ(nullptr, out);
}

TEST(CalcFunctionClass, CreatedEnumeratorBelongsToTheCallerAlone)
{
    CalcEnumClass2<CrossingEnumerator> classObject(PVEdpDetFunction);
    ICalcEnum* calc = nullptr;
    ASSERT_EQ(S_OK, classObject.CreateEnum(nullptr, 0, &calc));
    EXPECT_EQ(0u, calc->Release());

    IUnknown* instance = nullptr;
    ASSERT_EQ(S_OK, classObject.CreateInstance(nullptr, nullptr, 0, &instance));
    EXPECT_EQ(0u, instance->Release());
}

TEST(CalcFunctionClass, TypeIdIsTheHostCodeOfTheTypeGuidComputedOnce)
{
    CalcEnumClass2<CrossingEnumerator> classObject(PVMaxDetFunction);
    ULONG first = 0;
    ULONG second = 0;
    ASSERT_EQ(S_OK, classObject.GetTypeId(&first));
    ASSERT_EQ(S_OK, classObject.GetTypeId(&second));
    EXPECT_EQ(first, second);
    EXPECT_EQ(0u, first & 0xFFFF);
    EXPECT_NE(0u, first >> 16);
    EXPECT_EQ(first, PVMaxDetFunction.descriptor->cachedTypeId.load());
}
