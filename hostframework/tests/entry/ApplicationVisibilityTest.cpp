#include "hostframework/entry/ApplicationVisibility.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

class FakeSettings : public IHostSettings
{
public:
    HRESULT answer = S_FALSE;
    VARIANT_BOOL value = VARIANT_TRUE;
    std::wstring askedKey;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override
    {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetBoolean(const WCHAR* key, VARIANT_BOOL* out) override
    {
        askedKey = key;
        if (answer == S_OK)
            *out = value;
        return answer;
    }
};

TEST(ApplicationVisibility, OnlyAWrittenFalseHidesTheApplication)
{
    EXPECT_TRUE(Orv::ReadApplicationVisible(nullptr));

    FakeSettings settings;
    EXPECT_TRUE(Orv::ReadApplicationVisible(&settings)); // not written
    EXPECT_EQ(L"orv\\application\\visible", settings.askedKey);

    settings.answer = S_OK;
    settings.value = VARIANT_FALSE;
    EXPECT_FALSE(Orv::ReadApplicationVisible(&settings));
    settings.value = VARIANT_TRUE;
    EXPECT_TRUE(Orv::ReadApplicationVisible(&settings));

    settings.answer = E_FAIL;
    settings.value = VARIANT_FALSE;
    EXPECT_TRUE(Orv::ReadApplicationVisible(&settings));
}

} // namespace

namespace
{

TEST(ApplicationVisibility, TheFrameworkHostShowsItsApplicationByDefault)
{
    EXPECT_TRUE(Orv::IsApplicationVisible());
    EXPECT_TRUE(Orv::IsApplicationVisible());
}

} // namespace
