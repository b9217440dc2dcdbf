#include "hostframework/tests/FrameworkTestSupport.h"
#include "hostframework/messaging/MessageIds.h"
#include "hostframework/messaging/SistraIds.h"

#include <gtest/gtest.h>

#include <iterator>
#include <utility>

namespace
{

// A registry that counts its answers and can be made to fail.
class FakeRegistry final : public TestSupport::StackComObject<IMsgIdRegistry>
{
public:
    HRESULT STDMETHODCALLTYPE GetCode(const GUID*, USHORT* code) override
    {
        ++requests;
        if (fails)
            return E_FAIL;
        *code = answer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetGuid(USHORT, GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE IdToText(ULONG, ULONG, IAutoOrvString**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TextToId(ULONG, IAutoOrvString*, ULONG*) override { return E_NOTIMPL; }

    int requests = 0;
    bool fails = false;
    USHORT answer = 0x1234;
};

constexpr GUID TestGuidA = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x01}};
constexpr GUID TestGuidB = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x02}};

TEST(MsgIdCode, TheSecondRequestIsServedFromTheCache)
{
    FakeRegistry registry;
    MsgIdCode cache;
    USHORT code = 0;
    ASSERT_TRUE(cache.Get(TestGuidA, &registry, &code));
    EXPECT_EQ(0x1234, code);
    code = 0;
    ASSERT_TRUE(cache.Get(TestGuidA, &registry, &code));
    EXPECT_EQ(0x1234, code);
    EXPECT_EQ(1, registry.requests);
}

TEST(MsgIdCode, AFailedLookupIsNotCachedAndIsRetried)
{
    FakeRegistry registry;
    registry.fails = true;
    MsgIdCode cache;
    USHORT code = 7;
    EXPECT_FALSE(cache.Get(TestGuidA, &registry, &code));
    EXPECT_FALSE(cache.Get(TestGuidA, nullptr, &code));
    registry.fails = false;
    ASSERT_TRUE(cache.Get(TestGuidA, &registry, &code));
    EXPECT_EQ(0x1234, code);
    EXPECT_EQ(2, registry.requests);
}

TEST(MsgIdClass, IdsUnderOneGuidShareItsCodeAndKeepTheirNumbers)
{
    USHORT code = 0;
    MsgIdPrefix<&TestGuidA>::Get(&code);
    ASSERT_NE(0, code);
    ULONG id = 0;
    using TypeZero = MsgIdClass<&TestGuidA, 0>;
    using Last = MsgIdClass<&TestGuidA, 287>;
    EXPECT_EQ(static_cast<ULONG>(code) << 16, *TypeZero::GetId(&id));
    EXPECT_EQ(static_cast<ULONG>(code) << 16 | 287, *Last::GetId(&id));
    EXPECT_EQ(Last::Id(), *Last::GetId(&id));
}

constexpr GUID TestGuidC = {0x11111111, 0x2222, 0x3333, {0x44, 0x44, 0x55, 0x55, 0x55, 0x55, 0x55, 0x03}};

// Through the host's registry: one question per GUID, whatever the number of ids under it.
TEST(MsgIdClass, IdsOfOneGuidAskTheRegistryOnceBetweenThem)
{
    ASSERT_NE(nullptr, MsgIdRegistryAccessor::Get());
    const ULONG before = TestSupport::FrameworkRequests().codes;
    using Third = MsgIdClass<&TestGuidC, 3>;
    using Fourth = MsgIdClass<&TestGuidC, 4>;
    const ULONG first = Third::Id();
    EXPECT_EQ(before + 1, TestSupport::FrameworkRequests().codes);
    const ULONG second = Fourth::Id();
    EXPECT_EQ(first, Third::Id());
    EXPECT_EQ(before + 1, TestSupport::FrameworkRequests().codes);
    EXPECT_EQ(first >> 16, second >> 16);
    EXPECT_EQ(3u, first & 0xFFFF);
    EXPECT_EQ(4u, second & 0xFFFF);
}

TEST(MsgIdClass, DifferentGuidsGetDifferentCodes)
{
    const ULONG a = MsgIdClass<&TestGuidA, 1>::Id();
    const ULONG b = MsgIdClass<&TestGuidB, 1>::Id();
    EXPECT_NE(a >> 16, b >> 16);
    EXPECT_EQ(a & 0xFFFF, b & 0xFFFF);
}

TEST(MsgIdClass, TheDocumentPrefixIsTheCodeOfTheDocumentGuid)
{
    USHORT prefix = 0;
    USHORT* slot = Sistra::GetDocumentMessagePrefix(&prefix);
    EXPECT_EQ(&prefix, slot);
    EXPECT_EQ(prefix, Sistra::DocumentTypeId::Id() >> 16);
    USHORT registryCode = 0;
    ASSERT_EQ(S_OK, MsgIdRegistryAccessor::Get()->GetCode(&SistraDocumentGUID, &registryCode));
    EXPECT_EQ(registryCode, prefix);
}

// The numbers the document's menus, views and event map are wired by: a name on the wrong number opens
// the wrong view or misses a host event.
TEST(SistraIds, NamesStandForTheirNumbers)
{
    using namespace Sistra;
    const std::pair<USHORT, USHORT> table[] = {
        {Command::Settings, 13},
        {Command::OpenHemodynamicsTable, 14},
        {Command::OpenLoopView, 15},
        {Command::PlotsPopup, 22},
        {Command::OpenPrswPlot, 23},
        {Command::OpenWorkflow, 31},
        {ViewType::HemodynamicsTable, 2},
        {ViewType::AnalysisGraph, 4},
        {ViewType::Prsw, 5},
        {ViewType::DpDtMaxEdvGraph, 7},
        {HostDocEvent::Refresh, 4},
        {HostDocEvent::RecordDeleted, 14},
        {HostDocEvent::RecordAdded, 16},
        {HostDocEvent::ChannelDataChanged, 20},
        {HostDocEvent::ChannelDataReplaced, 22},
        {HostDocEvent::ChannelOrSetupChanged, 34},
        {HostDocEvent::Selection, 44},
        {HostDocEvent::EventSourcesChanged, 51},
        {HostDocEvent::LoopEventsChanged, 52},
    };
    for (size_t row = 0; row < std::size(table); ++row)
        EXPECT_EQ(table[row].second, table[row].first) << "row " << row;
}

TEST(MsgIdClass, FixedHostIdsNeedNoRegistry)
{
    ULONG id = 0;
    EXPECT_EQ(0x80000000u, *FixedId<0x80000000>(&id));
    EXPECT_EQ(0x80000006u, *FixedId<0x80000006>(&id));
}

} // namespace
