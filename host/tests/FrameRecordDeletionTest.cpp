// Edit > Delete Record... as a person takes it from the frame: the record holding the selection dragged in
// the trace view goes, the module's analysis of its set region is cleared, and analysing again finds what
// the analysis of a recording read without the record finds.
#include "host/tests/AnalysisReference.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include "host/app/recording/RecordingText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

constexpr int MessageText = 0xFFFF; // the static of a message box

class FrameRecordDeletion : public HostTests::FrameSessionFixture
{
protected:
    FrameRecordDeletion()
        : FrameSessionFixture("frame-record-deletion.csv", HostTests::OcclusionRecordsText({4, 6, 8}), Host::OpenOptions{{}, true})
    {
    }

    // Drags across the trace view within the record's first ticks, then chooses Edit > Delete Record...
    // and confirms; the question asked.
    std::wstring DeleteThroughTheMenu(int32_t record)
    {
        const HWND trace = session->Trace().Handle();
        RECT client{};
        GetClientRect(trace, &client);
        const auto at = [&](int32_t tick) {
            POINT point{static_cast<LONG>(session->Trace().XOf({record, tick})), client.bottom / 2};
            ClientToScreen(trace, &point);
            return point;
        };
        EXPECT_TRUE(HostTests::InputUntil(Frame(), [&] { HostTests::DragFromTo(at(100), at(600)); }, [&] {
            TickPosition start{}, end{};
            opened->Host().GetSelection(&start, &end);
            return start.record == record && end.record == record;
        }));
        std::wstring asked;
        HostTests::SecondHand box([] { return HostTests::DialogWithControl(MessageText); }, [&](HWND shown) {
            asked = HostTests::WindowText(GetDlgItem(shown, MessageText));
            HostTests::SaveTestPicture(shown, L"frame-record-deletion-question");
            HostTests::ClickUntilGone(shown, IDOK);
        });
        const std::wstring item = L"Delete &Record...";
        EXPECT_EQ(item, HostTests::ChooseMenuItem(Frame(), L"Edit", [&](const std::wstring& text) { return text == item; }));
        // The record goes once the question is answered, before the command returns to the frame's loop.
        HostTests::PumpUntil(Frame(), [&] { return box.done.load(); });
        return asked;
    }
};

TEST_F(FrameRecordDeletion, ADeletedRecordClearsTheAnalysedRegionAndTheRestAnalyseAsARecordingWithoutIt)
{
    ASSERT_NE(nullptr, opened->Analysis()) << opened->NotAnalysed();
    ASSERT_GT(opened->Analysis()->LoopCount(), 10u);

    const std::wstring asked = DeleteThroughTheMenu(1);
    EXPECT_TRUE(asked.starts_with(L"Delete record 2 of 3")) << asked;
    const Host::Recording& data = opened->Host().Data();
    ASSERT_EQ(2u, data.RecordCount());
    EXPECT_EQ((std::vector<int64_t>{3200, 6400}), (std::vector<int64_t>{data.RecordAt(0).Length(), data.RecordAt(1).Length()}));
    EXPECT_EQ(0u, opened->Analysis()->LoopCount());
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return session->Trace().Marks().empty(); }));
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-record-deleted");

    const std::wstring analyze = L"&Analyze Channel";
    ASSERT_EQ(analyze, HostTests::ChooseMenuItem(Frame(), L"Sistra", [&](const std::wstring& text) { return text == analyze; }));
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return opened->Analysis()->LoopCount() > 0; }));
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-record-deleted-analysed");

    // The same analysis of a recording read without the record.
    const Host::Recording without = Host::ParseRecordingText(HostTests::OcclusionRecordsText({4, 8}), "without.csv");
    HostTests::ReferenceAnalysis reference(opened->StandIn(), without);
    HostTests::ExpectTheSameAnalysis(reference.Analysis(), *opened->Analysis());
}

} // namespace
