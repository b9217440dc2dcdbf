#include "FrameworkTestSupport.h"
#include "foundation/com/ResultCodes.h"
#include "foundation/com/XOrv.h"
#include "host/tests/VyrTestSupport.h"
#include "hostframework/UnitConversion.h"

#include <gtest/gtest.h>

namespace
{

class Conversion final : public TestSupport::StackComObject<IUnitConversion>
{
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
