#include "FrameworkTestSupport.h"
#include "foundation/ModalMessage.h"
#include "hostframework/HostMessageBox.h"

#include <gtest/gtest.h>

#include <string>

namespace
{

struct RecordedBox
{
    std::wstring text;
    std::wstring caption;
    UINT style = 0;
    LONG answer = 0;
};

ULONG RecordedBoxCount()
{
    const Orv::ComPtr<IVyrStandIn> standIn = TestSupport::StandIn();
    ULONG count = 0;
    BSTR text = nullptr, caption = nullptr;
    UINT style = 0;
    LONG answer = 0;
    while (standIn->GetMessageBox(count, &text, &caption, &style, &answer) == S_OK)
    {
        SysFreeString(text);
        SysFreeString(caption);
        ++count;
    }
    return count;
}

RecordedBox RecordedBoxAt(ULONG index)
{
    BSTR text = nullptr, caption = nullptr;
    RecordedBox box;
    EXPECT_EQ(S_OK, TestSupport::StandIn()->GetMessageBox(index, &text, &caption, &box.style, &box.answer));
    box.text = text ? text : L"";
    box.caption = caption ? caption : L"";
    SysFreeString(text);
    SysFreeString(caption);
    return box;
}

TEST(HostMessageBox, TheHostRecordsTheBoxAndAnswersByScriptThenByDefault)
{
    const ULONG first = RecordedBoxCount();
    TestSupport::StandIn()->ScriptMessageBoxAnswer(IDNO);
    EXPECT_EQ(IDNO, ShowHostMessageBox(L"Discard the analysis?", L"Sistra", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDYES, ShowHostMessageBox(L"Discard the analysis?", L"Sistra", MB_YESNO | MB_ICONQUESTION));

    ASSERT_EQ(first + 2, RecordedBoxCount());
    const RecordedBox box = RecordedBoxAt(first);
    EXPECT_EQ(L"Discard the analysis?", box.text);
    EXPECT_EQ(L"Sistra", box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), box.style);
    EXPECT_EQ(IDNO, box.answer);
    EXPECT_EQ(IDYES, RecordedBoxAt(first + 1).answer);
}

// Code below the host-client layer (the regional-settings warnings, for one) reaches the host too.
TEST(HostMessageBox, TheFoundationSeamIsRoutedToTheHost)
{
    const ULONG first = RecordedBoxCount();
    TestSupport::StandIn()->ScriptMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(IDCANCEL, Orv::ShowMessageBox(nullptr, L"Regional settings are ambiguous", L"Regional settings",
                                            MB_OKCANCEL | MB_TASKMODAL));
    ASSERT_EQ(first + 1, RecordedBoxCount());
    const RecordedBox box = RecordedBoxAt(first);
    EXPECT_EQ(L"Regional settings", box.caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_TASKMODAL), box.style);
}

} // namespace
