#include "document/core/EventDrawPolicies.h"

#include "foundation/com/ComPtr.h"
#include "hostframework/messaging/SistraIds.h"
#include "hostframework/document/EventDrawClass.h"

#include "hostapi/HostDocument.h"

#include <gtest/gtest.h>

#include <vector>

using namespace Sistra;

namespace
{

using LoopDrawClass = StrixClient::TEventDrawClass<SistraEvent, TypeIdClass<&SistraEventDrawGUID, 0>,
                                                   SistraEventDrawPolicy<SistraEvent>>;
using EdpDrawClass = StrixClient::TEventDrawClass<SistraEdpEvent, TypeIdClass<&SistraEventDrawGUID, 1>,
                                                  SistraEdpEventDrawPolicy<SistraEdpEvent>>;

SistraEvent Loop(int32_t state, double value, double hr)
{
    SistraEvent loop;
    loop.state = state;
    loop.base.value = value;
    loop.hr = hr;
    return loop;
}

std::wstring Text(IAutoOrvString* text)
{
    const Orv::String held = Orv::String::FromInterface(text);
    text->Release();
    return held.c_str();
}

} // namespace

TEST(EventDraw, LoopTooltipsNameTheLoopItsValueAndPeriod)
{
    const struct
    {
        SistraEvent loop;
        std::optional<uint32_t> index;
        const wchar_t* unit;
        const wchar_t* text;
    } cases[] = {
        {Loop(LoopStateValid, 8.5, 150.0), 11, L"", L"Sistra: 12; Value = 8.5; Period = 0.4 s"},
        {Loop(LoopStateExcluded, 7.25, 120.0), 2, L"", L"Sistra: 3, Excluded. Value = 7.25; Period = 0.5 s"},
        {Loop(LoopStateClosing, 9.0, 0.0), std::nullopt, L"", L"Last in block. Value = 9"},
        // A loop the analysis data does not know is not named at all.
        {Loop(LoopStateValid, 8.5, 150.0), std::nullopt, L"", L""},
        // The comment on the recording says the value's unit.
        {Loop(LoopStateValid, 8.5, 150.0), 11, L"mmHg", L"Sistra: 12; Value = 8.5 mmHg; Period = 0.4 s"},
        {Loop(LoopStateClosing, 1.25, 0.0), std::nullopt, L"kPa", L"Last in block. Value = 1.25 kPa"},
    };
    for (const auto& test : cases)
        EXPECT_EQ(std::wstring(test.text), LoopTooltip(test.loop, test.index, test.unit).c_str());
}

TEST(EventDraw, LoopsAreColouredByStateAndEndDiastolicPointsGreen)
{
    const Orv::ComPtr<IPODEventDrawClass> loops(new LoopDrawClass);
    const Orv::ComPtr<IPODEventDrawClass> points(new EdpDrawClass);
    const struct
    {
        int32_t state;
        COLORREF colour;
    } cases[] = {{LoopStateValid, 0x00FF00}, {LoopStateExcluded, 0x404040}, {LoopStateClosing, 0x808080}};
    for (const auto& test : cases)
    {
        const SistraEvent loop = Loop(test.state, 1.0, 60.0);
        COLORREF colour = 0;
        EXPECT_EQ(S_OK, loops->GetColour(0, &loop, &colour));
        EXPECT_EQ(test.colour, colour);
    }
    SistraEdpEvent point;
    point.base.value = 123.0;
    COLORREF colour = 0;
    EXPECT_EQ(S_OK, points->GetColour(0, &point, &colour));
    EXPECT_EQ(0x00FF00u, colour);
    EXPECT_EQ(E_FAIL, points->GetColour(0, nullptr, &colour));
    IAutoOrvString* text = nullptr;
    ASSERT_EQ(S_OK, points->GetTooltipText(0, nullptr, 0, &point, 0, 0, &text));
    EXPECT_EQ(L"EDP Event", Text(text));
    EXPECT_EQ(E_FAIL, loops->GetTooltipText(0, nullptr, 0, nullptr, 0, 0, &text));
}

// Without analysis data on the drawing's record a loop has no known index: nothing is shown.
TEST(EventDraw, ALoopWithoutAnalysisDataShowsNothing)
{
    const Orv::ComPtr<IPODEventDrawClass> loops(new LoopDrawClass);
    const SistraEvent loop = Loop(LoopStateValid, 8.5, 150.0);
    IAutoOrvString* text = nullptr;
    ASSERT_EQ(S_OK, loops->GetTooltipText(0, nullptr, 0, &loop, 0, 0, &text));
    EXPECT_EQ(L"", Text(text));
}

TEST(EventDraw, BothClassesShareTheirTitleAndBelongToNoCategory)
{
    const Orv::ComPtr<IPODEventDrawClass> loops(new LoopDrawClass);
    const Orv::ComPtr<IPODEventDrawClass> points(new EdpDrawClass);
    for (const auto& drawer : {loops, points})
    {
        const auto classObject = drawer.As<IVyrClassObject>(IID_IVyrClassObject);
        ASSERT_TRUE(classObject);
        BSTR title = nullptr;
        classObject->GetTitle(&title);
        EXPECT_STREQ(L"PkStimEventDrawClass", title);
        SysFreeString(title);
        EXPECT_EQ(S_FALSE, classObject->IsCategory(&SistraEventDrawGUID));
    }
}

namespace
{

// Child data of another module under the analysis data's type id.
class ForeignData final : public IStrixDataChildData
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IStrixDataChildData) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override
    {
        *typeId = DocumentDataTypeId::Id();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(ULONG, ULONG, ULONG, ULONG, ULONG, IUnknown*, IStrixDataChildData**) override
    {
        return E_NOTIMPL;
    }
};

// A drawn record whose child-data container holds another module's data under that type id.
class RecordWithForeignData final : public IHostRecordData, public IHostChildDataContainer
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IHostRecordData))
            *object = static_cast<IHostRecordData*>(this);
        else
            *object = IsEqualIID(iid, IID_IHostChildDataContainer) ? static_cast<IHostChildDataContainer*>(this) : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetChildDataContainer(IUnknown** container) override
    {
        *container = static_cast<IHostChildDataContainer*>(this);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FindChild(ULONG, ULONG typeId, IUnknown** child) override
    {
        askedTypes.push_back(typeId);
        *child = &foreign;
        return S_OK;
    }

    ForeignData foreign;
    std::vector<ULONG> askedTypes;
};

} // namespace

// The analysis data is looked for in the drawn record's child data, by its type id; another module's
// data there is not read as it.
TEST(EventDraw, ChildDataOfAnotherKindIsNotReadAsTheAnalysisData)
{
    RecordWithForeignData record;
    EXPECT_EQ(std::nullopt, FindDrawnLoopIndex(static_cast<IHostRecordData*>(&record), 0, 100));
    EXPECT_EQ(std::vector<ULONG>{DocumentDataTypeId::Id()}, record.askedTypes);
}
