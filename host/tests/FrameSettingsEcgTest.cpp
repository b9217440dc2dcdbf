// The settings dialog on a document whose ECG a person named (gui FILE --ecg CH), opened from the Sistra
// menu and confirmed with the mouse as a person does.
#include "host/tests/AnalysisReference.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

namespace
{

constexpr int FromEcgRadio = 1009, EcgSourceList = 1011;

class FrameSettingsEcg : public HostTests::FrameSessionFixture
{
protected:
    FrameSettingsEcg()
        : FrameSessionFixture("frame-settings-ecg.csv", HostTests::OcclusionText(16),
                              Host::OpenOptions{Host::ChannelArguments{{}, {}, "ECG"}, true})
    {
    }
};

// The dialog offers the R waves of the ECG the person named, chosen, with the ECG detection ticked; OK
// without a change keeps the loops analyze finds from that ECG (they were found again from the pressure's
// peaks, Ved 28.95 uL becoming 39.48).
TEST_F(FrameSettingsEcg, TheDialogOffersTheNamedEcgAndOkWithoutAChangeKeepsItsLoops)
{
    ASSERT_NE(nullptr, opened->Analysis()) << opened->NotAnalysed();
    HostTests::ReferenceAnalysis reference(opened->StandIn(), opened->Host().Data(), {{}, {}, "ECG"});
    HostTests::ExpectTheSameAnalysis(reference.Analysis(), *opened->Analysis());

    LRESULT sources = 0;
    std::wstring chosen;
    bool ecgOffered = false, ecgTicked = false;
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(EcgSourceList); }, [&](HWND dialog) {
            const HWND list = GetDlgItem(dialog, EcgSourceList);
            sources = SendMessageW(list, CB_GETCOUNT, 0, 0);
            chosen = HostTests::WindowText(list);
            ecgOffered = IsWindowEnabled(GetDlgItem(dialog, FromEcgRadio)) != FALSE;
            ecgTicked = IsDlgButtonChecked(dialog, FromEcgRadio) == BST_CHECKED;
            HostTests::SaveTestPicture(dialog, L"frame-settings-ecg");
            HostTests::ClickUntilGone(dialog, IDOK);
        });
        EXPECT_EQ(L"&Settings...", HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) {
                      return text == L"&Settings...";
                  }));
        ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); }));
    }
    EXPECT_EQ(1, sources);
    EXPECT_EQ(L"ecg", chosen);
    EXPECT_TRUE(ecgOffered);
    EXPECT_TRUE(ecgTicked);
    HostTests::ExpectTheSameAnalysis(reference.Analysis(), *opened->Analysis());
}

} // namespace
