#include "hostframework/tests/FrameworkTestSupport.h"
#include "foundation/system/ModalMessage.h"
#include "testsupport/VyrTestSupport.h"
#include "hostframework/services/HostMessageBox.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

std::vector<RecordedMessageBox> RecordedBoxes()
{
    return RecordedMessageBoxes(*TestSupport::StandIn().Get());
}

TEST(HostMessageBox, TheHostRecordsTheBoxAndAnswersByScriptThenByDefault)
{
    const size_t first = RecordedBoxes().size();
    TestSupport::StandIn()->ScriptMessageBoxAnswer(IDNO);
    EXPECT_EQ(IDNO, ShowHostMessageBox(L"Discard the analysis?", L"Sistra", MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(IDYES, ShowHostMessageBox(L"Discard the analysis?", L"Sistra", MB_YESNO | MB_ICONQUESTION));

    const std::vector<RecordedMessageBox> boxes = RecordedBoxes();
    ASSERT_EQ(first + 2, boxes.size());
    EXPECT_EQ(L"Discard the analysis?", boxes[first].text);
    EXPECT_EQ(L"Sistra", boxes[first].caption);
    EXPECT_EQ(static_cast<UINT>(MB_YESNO | MB_ICONQUESTION), boxes[first].style);
    EXPECT_EQ(IDNO, boxes[first].answer);
    EXPECT_EQ(IDYES, boxes[first + 1].answer);
}

// Code below the host-client layer (the regional-settings warnings, for one) reaches the host too.
TEST(HostMessageBox, TheFoundationSeamIsRoutedToTheHost)
{
    const size_t first = RecordedBoxes().size();
    TestSupport::StandIn()->ScriptMessageBoxAnswer(IDCANCEL);
    EXPECT_EQ(IDCANCEL, Orv::ShowMessageBox(nullptr, L"Regional settings are ambiguous", L"Regional settings",
                                            MB_OKCANCEL | MB_TASKMODAL));
    const std::vector<RecordedMessageBox> boxes = RecordedBoxes();
    ASSERT_EQ(first + 1, boxes.size());
    EXPECT_EQ(L"Regional settings", boxes[first].caption);
    EXPECT_EQ(static_cast<UINT>(MB_OKCANCEL | MB_TASKMODAL), boxes[first].style);
}

} // namespace
