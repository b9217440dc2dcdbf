// The host's channel actions as a person takes them from the frame's menus, and the module document's
// answers: a units change withdraws its pressure calibration and the analysis follows the new units, the
// host's own units put back bring an applied calibration back, a deleted ECG source is warned about and
// end-diastole taken from the pressure, and cleared data lose their loops.
#include "host/tests/FrameChannelMenu.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include "host/app/gui/FieldsDialog.h"
#include "hostapi/LoopParameterNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ranges>
#include <numeric>
#include <string>
#include <vector>

namespace
{


constexpr int SettingsPressureList = 1003;
constexpr const wchar_t* PressureGoneStart =
    L"The pressure channel that Sistra was analyzing, channel 1 (LV Pressure deleted), has gone away.";
constexpr const wchar_t* EcgGoneStart = L"An ECG event source that Sistra was using has gone away.";

class FrameChannelActions : public HostTests::FrameSessionFixture
{
protected:
    FrameChannelActions()
        : FrameSessionFixture("frame-channel-actions.csv", HostTests::OcclusionText(12),
                              Host::OpenOptions{{std::nullopt, std::nullopt, "3"}, true})
    {
    }

    bool Choose(const std::wstring& menu, const std::wstring& item)
    {
        return HostTests::ChooseMenuItem(Frame(), menu, [&](const std::wstring& text) { return text == item; }) == item;
    }

    double PressureScale() { return HostTests::ShownScale(opened->Host(), 0); }

    double MeanEndSystolicPressure()
    {
        const auto index = static_cast<size_t>(std::find(std::begin(LoopParameterShortNames), std::end(LoopParameterShortNames),
                                                         std::string_view("Pes")) - std::begin(LoopParameterShortNames));
        const auto loops = opened->Analysis()->Loops();
        return std::accumulate(loops.begin(), loops.end(), 0.0,
                               [&](double sum, const Host::LoopRow& loop) { return sum + loop.values[index]; }) /
               static_cast<double>(loops.size());
    }
};

TEST_F(FrameChannelActions, UnitsWithdrawTheCalibrationAndTheHostsOwnUnitsBringAnAppliedOneBack)
{
    ASSERT_EQ(S_OK, opened->Analysis()->Pane().ApplyPressureCalibration(0.0, 0.0, 1.0, 3.0));
    opened->Analysis()->AnalyzeNow();
    ASSERT_DOUBLE_EQ(3.0, PressureScale());
    const double calibrated = MeanEndSystolicPressure();

    // The host's conversions put back: the document applies its calibration again.
    ASSERT_TRUE(Choose(L"Channel", L"&Recorded Units"));
    EXPECT_DOUBLE_EQ(3.0, PressureScale());

    HostTests::ChangeUnitsThroughTheMenu(Frame(), L"2");
    EXPECT_DOUBLE_EQ(2.0, PressureScale());
    EXPECT_NEAR(calibrated * 2.0 / 3.0, MeanEndSystolicPressure(), 1e-6 * calibrated);

    // The calibration was withdrawn: the host's own units are the recorded ones again.
    ASSERT_TRUE(Choose(L"Channel", L"&Recorded Units"));
    EXPECT_DOUBLE_EQ(1.0, PressureScale());
}

// The unit box follows the channel chosen above it; a volume unit typed for the pressure is refused, saying
// why, and the pressure keeps its units.
TEST_F(FrameChannelActions, TheUnitBoxOffersTheChosenChannelsUnitAndAnotherQuantitysIsRefusedSayingWhy)
{
    std::vector<std::wstring> offered;
    HostTests::MessageBoxCloser boxes(L"frame-channel-units-refused");
    HostTests::InUnitsDialog(Frame(), [&](HWND dialog) {
        const HWND unit = GetDlgItem(dialog, Host::DialogFieldId(HostTests::UnitsUnitField));
        for (const wchar_t channel : {L'2', L'1'})
        {
            HostTests::ChooseFirstEntry(dialog, channel);
            offered.push_back(HostTests::WindowText(unit));
        }
        EXPECT_TRUE(HostTests::RetypeUntilShown(unit, L"uL"));
        HostTests::ClickUntilGone(dialog, IDOK);
    });
    EXPECT_EQ((std::vector<std::wstring>{L"uL", L"mmHg"}), offered);
    const std::vector<std::wstring> told = boxes.Stop();
    ASSERT_EQ(1u, told.size());
    EXPECT_NE(std::wstring::npos, told.front().find(L"cannot be shown in uL, which is no pressure unit")) << Host::ToUtf8(told.front());
    EXPECT_DOUBLE_EQ(1.0, PressureScale());
}

TEST_F(FrameChannelActions, ADeletedEcgSourceIsWarnedAboutAndTheLoopsComeFromThePressure)
{
    const auto ecgSource = [&] {
        const auto sources = opened->Host().NamedEventSources();
        return std::find(sources.begin(), sources.end(), L"ecg") != sources.end();
    };
    ASSERT_TRUE(ecgSource());
    ASSERT_GT(opened->Analysis()->LoopCount(), 5u);
    // The dialog's list chooses the source by its first letter.
    const std::vector<std::wstring> told =
        HostTests::ChooseInChannelDialog(Frame(), L"&Delete Event Source...", L'E', L"frame-channel-ecg-gone");
    ASSERT_EQ(1u, told.size());
    EXPECT_TRUE(told[0].starts_with(EcgGoneStart)) << told[0];
    EXPECT_FALSE(ecgSource());
    EXPECT_GT(opened->Analysis()->LoopCount(), 5u);
}

TEST_F(FrameChannelActions, ClearedDataAreZeroAndTheAnalysisFindsNoLoopInThem)
{
    const uint32_t before = opened->Analysis()->LoopCount();
    const auto ticks = static_cast<int32_t>(opened->Host().Data().RecordAt(0).Length());
    const int32_t start = ticks / 3, end = 2 * ticks / 3;
    opened->Host().SelectByUser({0, start}, {0, end});
    ASSERT_TRUE(Choose(L"Edit", L"Clear &Data"));

    for (size_t channel = 0; channel < 3; ++channel)
    {
        const auto samples = opened->Host().Data().RecordAt(0).Samples(channel);
        EXPECT_TRUE(std::all_of(samples.begin() + start, samples.begin() + end, [](float v) { return v == 0.0f; }));
        EXPECT_NE(0.0f, samples[static_cast<size_t>(end)]) << channel;
    }
    const auto loops = opened->Analysis()->Loops();
    EXPECT_LT(loops.size(), before);
    for (const Host::LoopRow& loop : loops)
        EXPECT_TRUE(loop.record.firstTick < start || loop.record.firstTick >= end) << loop.record.firstTick;
}


class FrameChannelDeletion : public FrameChannelActions
{
protected:
    bool LaneTitled(const std::wstring& title)
    {
        return std::ranges::any_of(session->Trace().Labels(), [&](const Host::TraceView::DrawnLabel& label) { return label.text == title; });
    }
    // The loops the loop view lists.
    LRESULT ShownLoops()
    {
        constexpr int LoopList = 3001;
        return SendDlgItemMessageW(Frame().FindView(L"Loop View")->ViewWindow(), LoopList, LB_GETCOUNT, 0, 0);
    }
};

// The recorded ECG goes: its place and number stay, titled deleted and empty; the ECG source made from it
// goes with it, which the document warns of, and the loops come from the pressure. The pressure goes
// next: the document warns that it went and the analysis done again holds no loop.
TEST_F(FrameChannelDeletion, ADeletedChannelKeepsItsPlaceAndTheDocumentAnswersForWhatWentWithIt)
{
    ASSERT_GT(opened->Analysis()->LoopCount(), 5u);
    const struct
    {
        wchar_t number;
        const wchar_t* lane;
        const wchar_t* toldStart;
        bool loopsLeft;
    } cases[] = {{L'3', L"ECG (mV) deleted", EcgGoneStart, true}, {L'1', L"LV Pressure (mmHg) deleted", PressureGoneStart, false}};
    for (const auto& c : cases)
    {
        const std::vector<std::wstring> told = HostTests::DeleteChannelThroughTheMenu(Frame(), c.number);
        ASSERT_EQ(1u, told.size()) << c.lane;
        EXPECT_TRUE(told[0].starts_with(c.toldStart)) << told[0];
        EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return LaneTitled(c.lane); })) << c.lane;
        EXPECT_EQ(c.loopsLeft, opened->Analysis()->LoopCount() > 5u) << c.lane;
        EXPECT_EQ(opened->Analysis()->LoopCount(), ShownLoops()) << c.lane;
        HostTests::SaveTestPicture(Frame().Handle(), std::wstring(L"frame-channel-deleted-frame-") + c.number);
    }
    // The settings dialog's channel list is positional: the deleted channels keep their lines, named so.
    std::vector<std::wstring> offered;
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(SettingsPressureList); }, [&](HWND dialog) {
            const HWND list = GetDlgItem(dialog, SettingsPressureList);
            for (LRESULT item = 0; item < SendMessageW(list, CB_GETCOUNT, 0, 0); ++item)
            {
                std::wstring text(static_cast<size_t>(SendMessageW(list, CB_GETLBTEXTLEN, item, 0)), L'\0');
                SendMessageW(list, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(text.data()));
                offered.push_back(text);
            }
            HostTests::ClickUntilGone(dialog, IDCANCEL);
        });
        ASSERT_TRUE(Choose(L"Sistra", L"&Settings..."));
        HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); });
    }
    EXPECT_EQ((std::vector<std::wstring>{L"LV Pressure deleted", L"LV Volume", L"ECG deleted"}), offered);
}

} // namespace
