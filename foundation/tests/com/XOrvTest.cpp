#include "foundation/com/ComBoundary.h"
#include "foundation/com/ErrorReason.h"
#include "foundation/com/XOrv.h"
#include "foundation/tests/TestStringIds.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

namespace
{

using Orv::String;

std::wstring Text(const String& text)
{
    return std::wstring(text.c_str(), text.Length());
}

// What every system message looks like once tidied: some text, no line break at its end, a full stop.
void ExpectTidySystemText(const String& text)
{
    ASSERT_GE(text.Length(), 2u);
    EXPECT_EQ(L'.', text[text.Length() - 1]);
    EXPECT_NE(L'\n', text[text.Length() - 2]);
}

TEST(XOrvMessage, PlainMessagesAndInternalCodesKeepTheTextUnchanged)
{
    EXPECT_EQ(L"Bad thing", Text(XOrv(String(L"Bad thing"), S_OK).GetMessage()));
    const String units(L"Units size mismatch in UnitConvHandle::Bind()");
    EXPECT_EQ(Text(units), Text(XOrv(units, Orv::E_ORV_INTERNAL).GetMessage()));
    EXPECT_EQ(Text(units), Text(XOrv(units, Orv::E_ORV_INTERNAL_PLAIN).GetMessage()));
}

TEST(XOrvMessage, SystemCodesAppendALineFeedAndTheSystemText)
{
    const XOrv error(String(L"Cannot open"), E_ACCESSDENIED);
    const std::wstring message = Text(error.GetMessage());
    const std::wstring prefix = L"Cannot open\n";
    ASSERT_GT(message.size(), prefix.size());
    EXPECT_EQ(prefix, message.substr(0, prefix.size()));
    const String systemText = XOrv::MessageFromCode(E_ACCESSDENIED);
    ExpectTidySystemText(systemText);
    EXPECT_EQ(Text(systemText), message.substr(prefix.size()));
    EXPECT_EQ(E_ACCESSDENIED, error.Code());
}

TEST(XOrvMessage, Win32CodesUseTheTextOfTheirLowWord)
{
    const String fromHresult = XOrv::MessageFromCode(HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    ExpectTidySystemText(fromHresult);
    EXPECT_NE(Text(fromHresult), Text(XOrv::MessageFromCode(HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED))));
}

TEST(XOrvMessage, OwnCodesTakeTheHostStringWithTokensReplaced)
{
    EXPECT_EQ(L"The Quarkbox refused the request.", Text(XOrv(Orv::OwnCode(18)).GetMessage()));
    EXPECT_EQ(L"This file was saved by a newer version of Kymorama.",
              Text(XOrv(Orv::E_ORV_NEWER_VERSION).GetMessage()));
    EXPECT_TRUE(XOrv(Orv::E_ORV_READ_FAILED).GetMessage().IsEmpty());
    EXPECT_TRUE(XOrv(Orv::E_ORV_SILENT_STATUS).GetMessage().IsEmpty());
    EXPECT_TRUE(XOrv(Orv::OwnCode(30)).GetMessage().IsEmpty());
}

TEST(XOrvMessage, StorageOldDllReadsAsANewerVersion)
{
    EXPECT_EQ(Text(XOrv(Orv::E_ORV_NEWER_VERSION).GetMessage()), Text(XOrv(STG_E_OLDDLL).GetMessage()));
    EXPECT_EQ(STG_E_OLDDLL, XOrv(STG_E_OLDDLL).Code());
}

TEST(XOrvMessage, SystemTextsAreTidied)
{
    EXPECT_EQ(L"Done.", Text(Orv::TidySystemMessage(L"Done\r\n")));
    EXPECT_EQ(L"Done.", Text(Orv::TidySystemMessage(L"Done.")));
    EXPECT_EQ(L"Done.", Text(Orv::TidySystemMessage(L"Done")));
    EXPECT_EQ(L".", Text(Orv::TidySystemMessage(L"\r\n")));
    EXPECT_EQ(L"x", Text(Orv::TidySystemMessage(L"x")));
    EXPECT_EQ(L"", Text(Orv::TidySystemMessage(L"")));
}

TEST(XOrvMessage, WhatGivesTheNarrowMessageAndCopiesShareIt)
{
    const XOrv error(String(L"Bad thing"), S_OK);
    EXPECT_STREQ("Bad thing", error.what());
    const XOrv copy = error;
    EXPECT_EQ(error.GetMessage().Interface(), copy.GetMessage().Interface());
    EXPECT_EQ(error.Code(), copy.Code());
}

TEST(XOrvMessage, ThrowRaisesTheCode)
{
    try
    {
        XOrv::Throw(E_INVALIDARG);
        FAIL();
    }
    catch (const XOrv& error)
    {
        EXPECT_EQ(E_INVALIDARG, error.Code());
    }
}

TEST(CatchReturn, TurnsWhatWasThrownIntoAFailureCode)
{
    EXPECT_EQ(S_OK, Orv::CatchReturn([] {}));
    EXPECT_EQ(S_FALSE, Orv::CatchReturn([] { return S_FALSE; }));
    EXPECT_EQ(E_ACCESSDENIED, Orv::CatchReturn([] { XOrv::Throw(E_ACCESSDENIED); }));
    EXPECT_EQ(E_OUTOFMEMORY, Orv::CatchReturn([] { throw std::bad_alloc(); }));
    EXPECT_EQ(E_FAIL, Orv::CatchReturn([] { throw std::runtime_error("plain"); }));
    EXPECT_EQ(E_FAIL, Orv::CatchReturn([] { throw 42; }));
}

TEST(CatchReturn, NeverReportsAThrownSuccessCodeAsSuccess)
{
    EXPECT_EQ(E_FAIL, Orv::CatchReturn([] { throw XOrv(String(L"message only"), S_OK); }));
    EXPECT_EQ(E_FAIL, Orv::CatchReturn([] { throw XOrv(String(L"odd"), S_FALSE); }));
}

// A message of the thrower's own crosses the boundary beside the code; a bare code leaves what an inner
// call said, and the code is the thrown one either way.
TEST(CatchReturn, CarriesTheThrownMessageAsTheThreadsErrorInformation)
{
    struct Case
    {
        HRESULT (*cross)();
        HRESULT code;
        std::wstring reason;
    };
    const Case cases[] = {
        {[] { return Orv::CatchReturn([] { throw XOrv(String(L"the file is cut short"), STG_E_DOCFILECORRUPT); }); },
         STG_E_DOCFILECORRUPT, L"the file is cut short"},
        {[] { return Orv::CatchReturn([] { throw XOrv(String(L"odd"), S_FALSE); }); }, E_FAIL, L"odd"},
        {[] { return Orv::CatchReturn([] { XOrv::Throw(STG_E_DOCFILECORRUPT); }); }, STG_E_DOCFILECORRUPT, L""},
        {[] {
             return Orv::CatchReturn([] {
                 XOrv::Throw(Orv::FailWithReason(E_INVALIDARG, GUID_NULL, L"said inside"));
             });
         },
         E_INVALIDARG, L"said inside"},
    };
    for (const Case& c : cases)
    {
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(c.code, c.cross());
        EXPECT_EQ(c.reason, Orv::TakeErrorReason());
    }
}

} // namespace
