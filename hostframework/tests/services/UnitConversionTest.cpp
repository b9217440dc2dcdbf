#include "hostframework/tests/FrameworkTestSupport.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "testsupport/VyrTestSupport.h"
#include "hostframework/services/UnitConversion.h"

#include <gtest/gtest.h>

namespace
{

class Conversion final : public TestSupport::StackComObject<IUnitConversion>
{
public:
    HRESULT STDMETHODCALLTYPE GetUnitsInformation(UnitsInformation*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescription(BYTE*, ULONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDescriptionText(ULONG, BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetUnitsRecord(const void**) override { return E_NOTIMPL; }
};

TEST(UnitConversion, BindingKeepsOneReference)
{
    Conversion conversion;
    {
        UnitConvHandle handle;
        handle.Bind(&conversion);
        EXPECT_EQ(&conversion, handle.Get());
        EXPECT_EQ(1, conversion.references);
        handle.Bind(nullptr);
        EXPECT_EQ(&conversion, handle.Get());
    }
    EXPECT_EQ(0, conversion.references);
}

// A units service whose record is not the module's size.
class OtherSizeUnits final : public TestSupport::StackComObject<IUnitsService>
{
public:
    HRESULT STDMETHODCALLTYPE GetUnitsRecordSize(ULONG* size) override
    {
        *size = 128;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateUnitName(const WCHAR*, LONG, IHostUnit**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateTwoPointConversion(IUnitConversion*, const WCHAR*, const WCHAR*, const WCHAR*,
        const WCHAR*, const WCHAR*, LONG, IUnitConversion**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WriteConversion(IBinOutStream*, IUnitConversion*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReadConversion(IBinInStream*, IUnitConversion**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CreateDefaultConversion(IUnitConversion**) override { return E_NOTIMPL; }
};

TEST(UnitConversion, AnotherRecordSizeIsRefusedAndTheConversionLetGo)
{
    Conversion conversion;
    OtherSizeUnits units;
    UnitConvHandle handle;
    try
    {
        handle.BindWith(&conversion, &units);
        FAIL() << "a record of another size was bound";
    }
    catch (const XOrv& e)
    {
        EXPECT_EQ(Orv::E_ORV_INTERNAL, e.Code());
        EXPECT_STREQ(L"Units size mismatch in UnitConvHandle::Bind()", e.GetMessage().c_str());
    }
    EXPECT_EQ(nullptr, handle.Get());
    EXPECT_EQ(0, conversion.references);
}

TEST(UnitConversion, AHostUnitCarriesTheNameAndPrefixCode)
{
    Orv::ComPtr<IHostUnit> unit;
    ASSERT_EQ(S_OK, CreateHostUnit(Orv::PrefixedUnit(L"Pa", 9), unit.Put()));
    const UnitNameAndPrefix read = ReadHostUnit(*unit.Get());
    EXPECT_EQ(L"Pa", read.name);
    EXPECT_EQ(9, read.prefixCode);
}

} // namespace

namespace
{

// Through the framework's own units service: a two-point conversion of a channel in millivolts.
Orv::ComPtr<IUnitConversion> MillivoltsToMmHg(Orv::ComPtr<IUnitConversion>& raw)
{
    IUnitsService* units = UnitsServiceAccessor::Get();
    EXPECT_NE(nullptr, units);
    EXPECT_EQ(S_OK, units->CreateDefaultConversion(raw.Put()));
    Orv::ComPtr<IUnitConversion> calibrated;
    EXPECT_EQ(S_OK, units->CreateTwoPointConversion(raw.Get(), L"1mV", L"101mV", L"0", L"100", L"mmHg", 1,
                                                    calibrated.Put()));
    return calibrated;
}

TEST(UnitConversion, TheUnitReadIsTheRawOneUntilTheConversionIsInUse)
{
    Orv::ComPtr<IUnitConversion> raw;
    const Orv::ComPtr<IUnitConversion> calibrated = MillivoltsToMmHg(raw);
    ASSERT_TRUE(calibrated);
    ConversionUnits units;
    ASSERT_EQ(S_OK, ReadConversionUnits(*raw.Get(), units));
    EXPECT_STREQ(L"V", units.unitText.c_str());
    EXPECT_EQ(1, units.prefixCode);
    EXPECT_FALSE(units.inUse);
    ASSERT_EQ(S_OK, ReadConversionUnits(*calibrated.Get(), units));
    EXPECT_STREQ(L"mmHg", units.unitText.c_str());
    EXPECT_TRUE(units.inUse);
    EXPECT_DOUBLE_EQ(1000.0, units.scale);
    EXPECT_DOUBLE_EQ(-1.0, units.offset);
    ConversionDescription description;
    ASSERT_EQ(S_OK, ReadConversionDescription(*calibrated.Get(), description));
    EXPECT_EQ(UnitConversionKind::TwoPoint, description.kind);
    ASSERT_EQ(3u, description.texts.size());
    EXPECT_STREQ(L"1mV 101mV", description.texts[0].c_str());
}

TEST(UnitConversion, ABoundConversionGivesItsUnitsRecordWhoseTextsACopyShares)
{
    Orv::ComPtr<IUnitConversion> raw;
    const Orv::ComPtr<IUnitConversion> calibrated = MillivoltsToMmHg(raw);
    UnitConvHandle handle;
    EXPECT_EQ(nullptr, handle.Record());
    handle.Bind(calibrated.Get());
    ASSERT_NE(nullptr, handle.Record());
    const Orv::ChannelUnitsRecord copy = *handle.Record();
    EXPECT_STREQ(L"mmHg", copy.unitText.c_str());
    EXPECT_TRUE(copy.unitText.IsShared());
    EXPECT_EQ(VARIANT_TRUE, copy.inUse);
}

} // namespace
