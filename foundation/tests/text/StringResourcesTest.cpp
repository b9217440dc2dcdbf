#include "foundation/text/ProductTokens.h"
#include "foundation/text/StringResources.h"
#include "foundation/tests/TestStringIds.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

using Orv::String;

std::wstring Load(UINT id, bool substituteTokens = false)
{
    const String text(nullptr, id, substituteTokens);
    return std::wstring(text.c_str(), text.Length());
}

// Puts the application language back whatever a test set.
class StringResources : public ::testing::Test
{
protected:
    void TearDown() override { Orv::SetApplicationLanguage(std::nullopt); }
};

TEST_F(StringResources, IdsFindTheirBlockAndIndex)
{
    EXPECT_EQ(L"Hello", Load(IDS_TEST_GREETING));
    EXPECT_EQ(L"Second string", Load(IDS_TEST_SECOND));
    EXPECT_EQ(L"Only in the default table", Load(IDS_TEST_DEFAULT_ONLY));
}

TEST_F(StringResources, MissingStringsAndBlocksAreEmpty)
{
    EXPECT_EQ(L"", Load(0));
    EXPECT_EQ(L"", Load(IDS_TEST_ABSENT));
    EXPECT_EQ(L"", Load(IDS_TEST_NO_BLOCK));
}

TEST_F(StringResources, TheApplicationLanguageComesFirstThenTheDefaultTable)
{
    Orv::SetApplicationLanguage(MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN));
    EXPECT_EQ(L"Grüß Gott", Load(IDS_TEST_GREETING));
    EXPECT_EQ(L"Zweite Zeichenkette", Load(IDS_TEST_SECOND));
    EXPECT_EQ(L"Only in the default table", Load(IDS_TEST_DEFAULT_ONLY));
    Orv::SetApplicationLanguage(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH));
    EXPECT_EQ(L"Hello", Load(IDS_TEST_GREETING));
}

TEST_F(StringResources, ProductTokensAreReplacedOnlyOnRequest)
{
    EXPECT_EQ(L"Welcome to STRIXFORWINDOWS", Load(IDS_TEST_APP_TITLE));
    EXPECT_EQ(L"Welcome to Kymorama", Load(IDS_TEST_APP_TITLE, true));
    EXPECT_EQ(L"Kymorama opens what Kymorama saved", Load(IDS_TEST_APP_NAME_TWICE, true));
    EXPECT_EQ(L"Quarkbox by Orvandelworks", Load(IDS_TEST_HARDWARE_AND_MAKER, true));
}

TEST_F(StringResources, TheModuleHoldsItsOwnStringTable)
{
    HMODULE module = LoadLibraryExW(L"Sistra.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, module);
    EXPECT_EQ(L"Sistra", std::wstring(String(module, IDS_CHANNEL_CALC_NAME, true).c_str()));
    EXPECT_EQ(L"Generates data from the hemodynamics table.",
              std::wstring(String(module, IDS_CHANNEL_CALC_DESCRIPTION, true).c_str()));
    FreeLibrary(module);
}

TEST(ProductTokens, TheLongerTokenComesBeforeTheOneItContains)
{
    const Orv::ProductTokenTable& table = Orv::ProductTokens();
    ASSERT_EQ(4u, table.size());
    EXPECT_TRUE(table[0].token == String(L"STRIXFORWINDOWS"));
    EXPECT_TRUE(table[1].token == String(L"STRIX"));
    EXPECT_TRUE(table[2].token == String(L"QUARKBOX"));
    EXPECT_TRUE(table[3].token == String(L"OEM"));
}

TEST(ProductTokens, LookupAppendsTheDefaultValue)
{
    Orv::ProductTokenTable table;
    Orv::LookupProductToken(table, nullptr, String(L"AppName"), String(L"STRIX"), String(L"STRIX and STRIX"));
    ASSERT_EQ(1u, table.size());
    EXPECT_TRUE(table[0].value == String(L"STRIX and STRIX"));
}

TEST(ProductTokens, EveryOccurrenceIsReplaced)
{
    String text(L"OEM OEMOEM");
    Orv::SubstituteProductTokens(text);
    EXPECT_EQ(L"Orvandelworks OrvandelworksOrvandelworks", std::wstring(text.c_str()));
}

} // namespace
