#include "calc/CalcClassObjects.h"

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

} // namespace

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
                                         L"PVMaxDet", L"PVEdpDet", L"PVEcgEdpDet", L"SistraAnalyzer"}),
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
