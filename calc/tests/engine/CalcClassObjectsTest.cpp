#include "calc/engine/CalcClassObjects.h"

#include "foundation/com/ComPtr.h"
#include "foundation/text/String.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace CalcEnums;

namespace
{

std::wstring NameOf(ICalcEnumClass2* classObject)
{
    IOrvString* name = nullptr;
    if (FAILED(classObject->GetName(&name)) || !name)
        return L"";
    std::wstring text = name->GetText();
    name->Release();
    return text;
}

int32_t RecordSizeOfNewEnumerator(CalcEnumClassBase2& classObject)
{
    ICalcEnum* calc = nullptr;
    EXPECT_EQ(S_OK, classObject.CreateEnum(nullptr, 0, &calc));
    IEnumEventEx* events = nullptr;
    int32_t size = 0;
    if (calc && SUCCEEDED(calc->QueryInterface(IID_IEnumEventEx, reinterpret_cast<void**>(&events))))
    {
        events->GetRecordSize(&size);
        events->Release();
    }
    if (calc)
        calc->Release();
    return size;
}

// The text an enumerator hands back after reading the given arguments.
std::wstring WrittenArguments(CalcEnumClassBase2& classObject, const wchar_t* arguments)
{
    Orv::ComPtr<ICalcEnum> calc;
    EXPECT_EQ(S_OK, classObject.CreateEnum(nullptr, 0, calc.Put()));
    Orv::String text(arguments);
    uint32_t flags = 0;
    EXPECT_EQ(S_OK, calc->ReadArguments(text.Interface(), &flags));
    Orv::ComPtr<IOrvString> written;
    EXPECT_EQ(S_OK, calc->GetArgumentText(written.Put()));
    return written ? std::wstring(written->GetText()) : L"";
}

} // namespace

TEST(CalcClassObjects, EnumeratorsHandBackTheirArgumentsAsTheirParametersWriteThem)
{
    const struct
    {
        CalcEnumClassBase2& classObject;
        const wchar_t* read;
        const wchar_t* written;
    } cases[] = {
        {ParamSelectorClassObject(), L"8.6 2 1000", L"9"},
        {PVAParamSelectorClassObject(), L"26", L"26"},
        {PVEdpDetClassObject(), L"0 20 1 100 2 5000", L"20 1 100 2 5000"},
        {PVEdpDetClassObject(), L"0 0.25", L"0.25 0 0 2147483647 2147483647"},
        {PVEcgEdpDetClassObject(), L"0 -1 -1 -1 -1", L"0 0 2147483647 2147483647"},
        {PVMaxDetClassObject(), L"0", L""},
        {SistraAnalyzerClassObject(), L"0 2 1 0 0 -1 -1 1", L"2 1 0 0 2147483647 2147483647 1"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.written, WrittenArguments(c.classObject, c.read)) << c.read;
}

TEST(CalcClassObjects, LinkedInTheReverseOfTheRegistrationOrder)
{
    std::vector<std::wstring> names;
    for (VyrClassObject* link = VyrClassObject::Head(); link; link = link->Next())
    {
        ICalcEnumClass2* calcClass = nullptr;
        if (SUCCEEDED(link->GetClassObject()->QueryInterface(IID_ICalcEnumClass2, reinterpret_cast<void**>(&calcClass))))
            names.push_back(NameOf(calcClass));
    }
    EXPECT_EQ((std::vector<std::wstring>{L"PvaCalc", L"Sistra PVA Parameter Selector", L"Sistra Parameter Selector",
                                         L"PVMaxDet", L"PVEdpDet", L"PVEcgEdpDet", L"SistraAnalyzer", L"PSineFit"}),
              names);
}

TEST(CalcClassObjects, EachCreatesEnumeratorsOfItsRecord)
{
    EXPECT_EQ(280, RecordSizeOfNewEnumerator(SistraAnalyzerClassObject()));
    EXPECT_EQ(32, RecordSizeOfNewEnumerator(PVEcgEdpDetClassObject()));
    EXPECT_EQ(32, RecordSizeOfNewEnumerator(PVEdpDetClassObject()));
    EXPECT_EQ(16, RecordSizeOfNewEnumerator(PVMaxDetClassObject()));
    EXPECT_EQ(16, RecordSizeOfNewEnumerator(ParamSelectorClassObject()));
    EXPECT_EQ(16, RecordSizeOfNewEnumerator(PVAParamSelectorClassObject()));
    EXPECT_EQ(48, RecordSizeOfNewEnumerator(PvaCalcClassObject()));
}

TEST(CalcClassObjects, PvaCalcDescribesItsTwelveParametersAndThreeSources)
{
    ICalcNumericParamsFuncClass* params = nullptr;
    ASSERT_EQ(S_OK, PvaCalcClassObject().QueryInterface(IID_ICalcNumericParamsFuncClassEx,
                                                        reinterpret_cast<void**>(&params)));
    IOrvString* name = nullptr;
    uint32_t kind = 0;
    ASSERT_EQ(S_OK, params->GetParamInfo(11, nullptr, nullptr, &kind, &name));
    EXPECT_EQ(std::wstring(L"EDPVR function term 2"), name->GetText());
    name->Release();
    EXPECT_EQ(CalcKindChannel, kind);
    EXPECT_EQ(E_INVALIDARG, params->GetParamInfo(12, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(S_OK, params->CheckSource(0, CalcKindEvents));
    EXPECT_EQ(S_FALSE, params->CheckSource(0, CalcKindChannel));
    for (uint32_t source : {1u, 2u})
    {
        EXPECT_EQ(S_OK, params->CheckSource(source, CalcKindChannel));
        EXPECT_EQ(S_FALSE, params->CheckSource(source, CalcKindEvents));
    }
    EXPECT_EQ(E_INVALIDARG, params->CheckSource(3, CalcKindChannel));
    params->Release();
}

TEST(CalcClassObjects, SelectorsOfferOnlyTheBasicParameterDescription)
{
    for (CalcEnumClassBase2* selector : {&ParamSelectorClassObject(), &PVAParamSelectorClassObject()})
    {
        ICalcNumericParamsFuncClass* params = nullptr;
        ASSERT_EQ(S_OK, selector->QueryInterface(IID_ICalcNumericParamsFuncClass, reinterpret_cast<void**>(&params)));
        uint32_t paramCount = 0, sourceCount = 0, functionWord = 1, resultWord = 0;
        params->GetInfo(nullptr, nullptr, &paramCount, &sourceCount, &functionWord, &resultWord);
        EXPECT_EQ(4u, paramCount);
        EXPECT_EQ(1u, sourceCount);
        EXPECT_EQ(0u, functionWord);
        EXPECT_EQ(CalcKindEvents, resultWord);
        params->Release();
        void* extended = nullptr;
        EXPECT_EQ(E_NOINTERFACE, selector->QueryInterface(IID_ICalcNumericParamsFuncClassEx, &extended));
    }
}
