// A computed channel made as a person makes it: the host's Channel menu, the module's settings dialog
// answered with the mouse and keys, and the new channel's lane in the trace view, titled with its unit,
// showing each loop's value of the chosen parameter from the loop on.
#include "host/app/document/DocumentChecks.h"
#include "host/app/document/DocumentEventRelay.h"
#include "host/app/document/DocumentFile.h"
#include "host/tests/FrameChannelMenu.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"
#include "host/vyr/ComObjects.h"
#include "host/vyr/UnitConversions.h"

#include "foundation/numbers/Units.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <functional>
#include <map>
#include <ranges>
#include <string>
#include <vector>

namespace
{


constexpr int ParameterList = 1058;
constexpr int AutoScaleBox = 1046;
constexpr int TopUnitLabel = 1049;
constexpr int DecimalPlacesBox = 1045;
constexpr int StrokeVolumeItem = 2; // two steps down from the list's first parameter
constexpr uint32_t StrokeVolume = 3;
// Bounds the wait for what a click asks of the dialog; only a failing test waits this long.
constexpr DWORD GiveUpAfter = 5000;

constexpr int SettingsVolumeList = 1010;
constexpr int SettingsRangeStrokeVolume = 1201;
constexpr int MessageText = 0xFFFF; // the static of a message box
constexpr const wchar_t* CircularDependency = L"These settings will create a circular dependancy. Choose Pressure and Volume "
                                              L"channels that don't depend on the PV analysis.";

std::wstring ListItemText(HWND list, int item)
{
    std::wstring text(static_cast<size_t>(SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(item), 0)) + 1, L'\0');
    SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(text.data()));
    text.resize(wcslen(text.c_str()));
    return text;
}

// The channels the host document told its observers were worked out anew.
class RecalculatedChannels final : public Vyr::StaticComObject<IObserver, &IID_IObserver>
{
public:
    HRESULT STDMETHODCALLTYPE RegisterEvents(ISubject*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Notify(ISubject*, ULONG eventId, ULONG_PTR, void* data) override
    {
        if ((eventId & 0xFFFF) == HostDocEventNumber::ChannelRecalculated && data)
            channels.push_back(*static_cast<const int32_t*>(data));
        return S_OK;
    }

    std::vector<int32_t> channels;
};

class FrameComputedChannel : public HostTests::FrameSessionFixture
{
protected:
    FrameComputedChannel() : FrameSessionFixture("frame-computed.csv", HostTests::OcclusionText(16), Host::OpenOptions{{}, true}) {}

    // Channel > New Sistra Channel..., the dialog answered with the mouse and keys (Stroke Volume; a new
    // channel opens scaled to its data), OK: the unit the dialog showed once the channel is made, empty
    // when none was or the scale did not open on the data.
    std::wstring MakeChannelThroughTheMenu()
    {
        std::wstring unitShown;
        {
            HostTests::SecondHand hand([] { return HostTests::DialogWithControl(ParameterList); }, [&](HWND dialog) {
                HostTests::ChooseListItem(GetDlgItem(dialog, ParameterList), StrokeVolumeItem);
                if (SendMessageW(GetDlgItem(dialog, AutoScaleBox), BM_GETCHECK, 0, 0) == BST_CHECKED)
                    unitShown = HostTests::WindowText(GetDlgItem(dialog, TopUnitLabel));
                HostTests::SaveTestPicture(dialog, L"frame-computed-channel-dialog");
                HostTests::ClickUntilGone(dialog, IDOK);
            });
            EXPECT_EQ(L"New Sistra Channel...",
                      HostTests::ChooseMenuItem(Frame(), L"Channel",
                                                [](const std::wstring& text) { return text.starts_with(L"New "); }));
            HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); });
        }
        if (!HostTests::PumpUntil(Frame(), [&] { return opened->Host().ComputedChannelCount() == 1; }))
            return {};
        return unitShown;
    }
};

TEST_F(FrameComputedChannel, TheChannelMenuMakesAChannelOfTheChosenParameterThatTheTraceViewShows)
{
    const std::wstring unitShown = MakeChannelThroughTheMenu();
    ASSERT_EQ(1u, opened->Host().ComputedChannelCount());

    // The lane follows the recorded ones, titled with the unit the dialog showed.
    const auto lane = static_cast<int32_t>(opened->Host().Data().Channels().size());
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] {
        return std::ranges::any_of(session->Trace().Labels(),
                                   [&](const Host::TraceView::DrawnLabel& label) { return label.channel == lane; });
    }));
    HostTests::SaveTestPicture(session->Trace().Handle(), L"frame-computed-channel-trace");
    EXPECT_EQ(L"\u00b5L", unitShown);
    EXPECT_EQ(L"Sistra (" + unitShown + L")", opened->Host().ComputedChannelTitle(0));

    // Between one loop's start and the next the channel holds the loop's value in the unit it names, to
    // half a raw step of the range the auto scale took from the values.
    const auto loops = opened->Analysis()->Loops();
    ASSERT_GT(loops.size(), 8u);
    const auto [lowest, highest] = std::ranges::minmax(
        loops | std::views::transform([](const Host::LoopRow& loop) { return loop.values[StrokeVolume - 1]; }));
    const double halfStep = (highest - lowest) / 64000.0;
    const auto ticks = static_cast<int32_t>(opened->Host().Data().RecordAt(0).Length());
    std::vector<float> shown(static_cast<size_t>(ticks));
    ASSERT_EQ(S_OK, opened->Host().ReadComputedChannel(0, 0, 0, ticks, shown.data()));
    EXPECT_TRUE(std::isnan(shown[static_cast<size_t>(loops.front().record.base.tick) - 1]));
    for (const Host::LoopRow& loop : loops)
        EXPECT_NEAR(loop.values[StrokeVolume - 1], shown[static_cast<size_t>(loop.record.base.tick) + 5],
                    halfStep + 1e-6 * std::fabs(loop.values[StrokeVolume - 1]))
            << loop.record.base.tick;
}

// The values each lane's scale shows beside it (its top and foot), by lane, at the trace view's last paint.
std::map<int32_t, std::vector<double>> ScaleValues(const Host::TraceView& trace)
{
    std::map<int32_t, std::vector<double>> values;
    for (const Host::TraceView::DrawnLabel& label : trace.Labels())
    {
        wchar_t* end = nullptr;
        const double value = std::wcstod(label.text.c_str(), &end);
        if (end != label.text.c_str() && *end == L'\0')
            values[label.channel].push_back(value);
    }
    return values;
}

// A lane added through the Channel menu leaves every lane its scale, top and foot: the frame gives the trace
// view the height the lanes need with their labels, and the recorded lanes keep the values they showed.
TEST_F(FrameComputedChannel, EveryLaneKeepsItsScaleWhenALaneIsAdded)
{
    Host::TraceView& trace = session->Trace();
    const auto recorded = static_cast<int32_t>(opened->Host().Data().Channels().size());
    const std::map<int32_t, std::vector<double>> before = ScaleValues(trace);
    ASSERT_EQ(static_cast<size_t>(recorded), before.size());
    ASSERT_FALSE(MakeChannelThroughTheMenu().empty());
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] {
        const auto after = ScaleValues(trace);
        return after.size() == static_cast<size_t>(recorded + 1) &&
               std::ranges::all_of(after, [](const auto& lane) { return lane.second.size() == 2; });
    }, GiveUpAfter));
    HostTests::SaveTestPicture(trace.Handle(), L"frame-computed-channel-lane-scales");
    const std::map<int32_t, std::vector<double>> after = ScaleValues(trace);
    for (int32_t lane = 0; lane <= recorded; ++lane)
    {
        ASSERT_EQ(2u, after.contains(lane) ? after.at(lane).size() : 0u) << lane;
        // Foot first, then top (equal as written for a lane of one value).
        EXPECT_LE(after.at(lane)[0], after.at(lane)[1]) << lane;
        if (lane < recorded)
        {
            EXPECT_EQ(before.at(lane), after.at(lane)) << lane;
        }
    }
}

// The lane kept the values of the analysis it was made on: after Clear Analysis the table was empty and
// the lane still showed every loop's stroke volume; once cleared, it stayed empty after a new analysis.
TEST_F(FrameComputedChannel, TheChannelFollowsTheAnalysisWhenItIsClearedAndRunAgain)
{
    ASSERT_FALSE(MakeChannelThroughTheMenu().empty());
    const auto ticks = static_cast<int32_t>(opened->Host().Data().RecordAt(0).Length());
    std::vector<float> shown(static_cast<size_t>(ticks));
    const auto valuesShown = [&] {
        std::ranges::fill(shown, std::nanf(""));
        opened->Host().ReadComputedChannel(0, 0, 0, ticks, shown.data());
        return std::ranges::count_if(shown, [](float value) { return !std::isnan(value); });
    };
    ASSERT_GT(valuesShown(), ticks / 2);
    ASSERT_EQ(L"Clear A&nalysis", HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& item) {
                  return item == L"Clear A&nalysis";
              }));
    ASSERT_EQ(0u, opened->Analysis()->LoopCount());
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return valuesShown() == 0; })) << valuesShown();
    // Analysed again, the lane shows the new loops.
    ASSERT_EQ(L"&Analyze Channel", HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& item) {
                  return item == L"&Analyze Channel";
              }));
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return opened->Analysis()->LoopCount() > 8; }));
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] { return valuesShown() > ticks / 2; })) << valuesShown();
}

// A settings change analyses again, and the lane shows the new loops' values: stroke volume taken as
// Vmax - Vmin in the settings dialog grows past the range the channel was scaled to when it was made,
// and the lane must not hold that range's top where the table shows the new values.
TEST_F(FrameComputedChannel, TheChannelFollowsASettingsChange)
{
    ASSERT_FALSE(MakeChannelThroughTheMenu().empty());
    const auto strokeVolume = [](const Host::LoopRow& loop) { return loop.values[StrokeVolume - 1]; };
    const double largestBefore = std::ranges::max(opened->Analysis()->Loops() | std::views::transform(strokeVolume));
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(SettingsRangeStrokeVolume); }, [&](HWND dialog) {
            HostTests::ClickUntilChecked(dialog, SettingsRangeStrokeVolume, BST_CHECKED);
            HostTests::ClickUntilGone(dialog, IDOK);
        });
        HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) { return text == L"&Settings..."; });
        HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); });
    }
    // The channel's range reaches only a little beyond the values it was made on.
    ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] {
        return std::ranges::max(opened->Analysis()->Loops() | std::views::transform(strokeVolume)) > largestBefore + 0.02;
    })) << "the setting changed the loops";
    const auto loops = opened->Analysis()->Loops();
    const auto [lowest, highest] = std::ranges::minmax(loops | std::views::transform(strokeVolume));
    const auto ticks = static_cast<int32_t>(opened->Host().Data().RecordAt(0).Length());
    std::vector<float> shown(static_cast<size_t>(ticks));
    const auto showsLoops = [&] {
        opened->Host().ReadComputedChannel(0, 0, 0, ticks, shown.data());
        return std::ranges::all_of(loops, [&](const Host::LoopRow& loop) {
            const double value = strokeVolume(loop);
            return std::fabs(shown[static_cast<size_t>(loop.record.base.tick) + 5] - value) <=
                   (highest - lowest) / 64000.0 + 1e-6 * std::fabs(value);
        });
    };
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), showsLoops));
}

// The channel follows the recorded ones in the settings dialog's channel lists; it plots the analysis's
// own loops, so taking it as the volume is refused as a circular dependency and the dialog stays open.
TEST_F(FrameComputedChannel, TheSettingsDialogOffersTheChannelAndRefusesItAsTheAnalysedVolume)
{
    ASSERT_FALSE(MakeChannelThroughTheMenu().empty());
    const auto recorded = static_cast<int>(opened->Host().Data().Channels().size());
    const uint32_t loopsBefore = opened->Analysis()->LoopCount();
    std::vector<std::wstring> offered;
    std::wstring refusal;
    bool stayedOpen = false;
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(SettingsVolumeList); }, [&](HWND dialog) {
            const HWND volume = GetDlgItem(dialog, SettingsVolumeList);
            for (LRESULT item = 0; item < SendMessageW(volume, CB_GETCOUNT, 0, 0); ++item)
                offered.push_back(ListItemText(volume, static_cast<int>(item)));
            HostTests::ChooseListItem(volume, recorded);
            {
                HostTests::SecondHand box([] { return HostTests::DialogWithControl(MessageText); }, [&](HWND shown) {
                    refusal = HostTests::WindowText(GetDlgItem(shown, MessageText));
                    HostTests::SaveTestPicture(shown, L"frame-computed-channel-refused");
                    HostTests::ClickUntilGone(shown, IDOK);
                });
                HostTests::ClickButtonUntil(dialog, IDOK, [&] { return box.done || HostTests::DialogWithControl(MessageText); });
            }
            stayedOpen = HostTests::PumpUntil([&] { return IsWindowVisible(dialog) && !HostTests::DialogWithControl(MessageText); },
                                              GiveUpAfter);
            HostTests::ClickUntilGone(dialog, IDCANCEL);
        });
        EXPECT_FALSE(HostTests::ChooseMenuItem(Frame(), L"Sistra", [](const std::wstring& text) {
                         return text == L"&Settings...";
                     }).empty());
        HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); });
    }
    ASSERT_EQ(static_cast<size_t>(recorded) + 1, offered.size());
    EXPECT_EQ(L"Sistra", offered.back());
    EXPECT_EQ(CircularDependency, refusal);
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(loopsBefore, opened->Analysis()->LoopCount());
}


// Channel > Edit Sistra Channel... opens the dialog over the channel's settings (its parameter chosen);
// another parameter taken with OK makes the channel show that parameter's loop values in its place, and
// the document is told the channel was worked out anew: the analysis does not read it (it cannot take a
// channel that plots its own loops), so its loops stay as they were. Channel > Delete Channel... then
// takes the channel away.
TEST_F(FrameComputedChannel, EditingTheChannelReopensItsSettingsAndRecomputesItOnOk)
{
    ASSERT_FALSE(MakeChannelThroughTheMenu().empty());
    const auto loopsBefore = opened->Analysis()->Loops();
    RecalculatedChannels told;
    const Host::DocumentEventRelay relay(opened->Host(), &told);
    constexpr int FirstItem = 0;
    LRESULT chosenBefore = -1;
    {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(ParameterList); }, [&](HWND dialog) {
            chosenBefore = SendMessageW(GetDlgItem(dialog, ParameterList), CB_GETCURSEL, 0, 0);
            HostTests::ChooseListItem(GetDlgItem(dialog, ParameterList), FirstItem);
            HostTests::ClickUntilGone(dialog, IDOK);
        });
        EXPECT_EQ(L"Edit Sistra Channel...", HostTests::ChooseMenuItem(Frame(), L"Channel", [](const std::wstring& text) {
                      return text.starts_with(L"Edit ");
                  }));
        HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); });
    }
    EXPECT_EQ(StrokeVolumeItem, chosenBefore);
    ASSERT_EQ(1u, opened->Host().ComputedChannelCount());
    const auto lane = static_cast<int32_t>(opened->Host().Data().Channels().size());
    EXPECT_EQ(std::vector<int32_t>{lane}, told.channels);
    const auto loops = opened->Analysis()->Loops();
    ASSERT_GT(loops.size(), 8u);
    ASSERT_EQ(loopsBefore.size(), loops.size());
    const auto same = [](double a, double b) { return a == b || (std::isnan(a) && std::isnan(b)); };
    for (size_t index = 0; index < loops.size(); ++index)
        EXPECT_TRUE(std::ranges::equal(loopsBefore[index].values, loops[index].values, same)) << index;
    const auto ticks = static_cast<int32_t>(opened->Host().Data().RecordAt(0).Length());
    std::vector<float> shown(static_cast<size_t>(ticks));
    ASSERT_EQ(S_OK, opened->Host().ReadComputedChannel(0, 0, 0, ticks, shown.data()));
    for (const Host::LoopRow& loop : loops)
        EXPECT_NEAR(loop.values[FirstItem], shown[static_cast<size_t>(loop.record.base.tick) + 5],
                    1e-4 * std::fabs(loop.values[FirstItem]) + 1e-6)
            << loop.record.base.tick;
    HostTests::SaveTestPicture(session->Trace().Handle(), L"frame-computed-channel-edited");

    // Deleted, the channel goes with its lane; the analysis stays.
    EXPECT_TRUE(HostTests::DeleteChannelThroughTheMenu(Frame(), static_cast<wchar_t>(L'1' + lane)).empty());
    EXPECT_EQ(0u, opened->Host().ComputedChannelCount());
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] {
        return std::ranges::none_of(session->Trace().Labels(),
                                    [&](const Host::TraceView::DrawnLabel& label) { return label.channel == lane; });
    }));
    EXPECT_EQ(loops.size(), opened->Analysis()->Loops().size());
}

// Decimal places typed past the most a channel shows turn into the most as they are typed (9 shows 6, where
// the box kept 9 until OK refused it), and the channel keeps them: its settings opened again show 6.
TEST_F(FrameComputedChannel, DecimalPlacesTypedPastTheMostShowTheMostAtOnceAndTheChannelKeepsThem)
{
    ASSERT_FALSE(MakeChannelThroughTheMenu().empty());
    const auto editSettings = [&](const std::function<void(HWND)>& act) {
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(ParameterList); }, [&](HWND dialog) {
            act(GetDlgItem(dialog, DecimalPlacesBox));
            HostTests::ClickUntilGone(dialog, IDOK);
        });
        EXPECT_EQ(L"Edit Sistra Channel...", HostTests::ChooseMenuItem(Frame(), L"Channel", [](const std::wstring& text) {
                      return text.starts_with(L"Edit ");
                  }));
        HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); });
    };
    std::wstring shownAtOnce, shownAgain;
    editSettings([&](HWND places) {
        const std::wstring before = HostTests::WindowText(places);
        ASSERT_TRUE(HostTests::ClickUntilKeysGoTo(places));
        HostTests::PressKey(VK_END);
        for (size_t left = before.size(); left > 0; --left)
            HostTests::PressKey(VK_BACK);
        HostTests::TypeText(L"9");
        // Once the box has been handed the keys, it shows what it keeps.
        HostTests::WaitFor([&] {
            const std::wstring now = HostTests::WindowText(places);
            return !now.empty() && now != before;
        }, GiveUpAfter);
        shownAtOnce = HostTests::WindowText(places);
    });
    editSettings([&](HWND places) { shownAgain = HostTests::WindowText(places); });
    EXPECT_EQ(L"6", shownAtOnce);
    EXPECT_EQ(L"6", shownAgain);
}

// A second channel in the document file, made by a class the framework does not hold, as a host that holds the
// class saves it: its checks written anew.
void AddChannelOfAnUnknownClass(const std::filesystem::path& path)
{
    constexpr ULONG Access = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;
    Orv::ComPtr<IStorage> root, kept;
    Orv::ComPtr<IStream> first, second;
    ASSERT_EQ(S_OK, Host::OpenDocumentFile(path.wstring(), root.Put()));
    ASSERT_EQ(S_OK, root->OpenStorage(L"ComputedChannels", nullptr, Access, nullptr, 0, kept.Put()));
    ASSERT_EQ(S_OK, kept->OpenStream(L"Channel1", nullptr, Access, 0, first.Put()));
    std::vector<char> bytes(4096);
    ULONG read = 0;
    first->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read);
    bytes.resize(read);
    ASSERT_GT(bytes.size(), 20u);
    bytes[4] ^= 0x5A; // the class's GUID
    ASSERT_EQ(S_OK, kept->CreateStream(L"Channel2", STGM_CREATE | Access, 0, 0, second.Put()));
    ASSERT_EQ(S_OK, second->Write(bytes.data(), read, nullptr));
    second.Reset();
    first.Reset();
    kept.Reset();
    ASSERT_EQ(S_OK, Host::WriteDocumentChecks(root.Get()));
    ASSERT_EQ(S_OK, root->Commit(STGC_DEFAULT));
}

// Saved with its document through File > Save As..., the channel is there again when the file opens in a
// fresh frame: its lane, its title and every value it showed, each loop's stroke volume from the loop on. A
// channel that cannot be made again is left out with a message, and the rest opens.
TEST_F(FrameComputedChannel, ASavedDocumentOpensWithItsChannel)
{
    ASSERT_FALSE(MakeChannelThroughTheMenu().empty());
    const std::wstring title = opened->Host().ComputedChannelTitle(0);
    const auto ticks = static_cast<int32_t>(opened->Host().Data().RecordAt(0).Length());
    std::vector<float> before(static_cast<size_t>(ticks)), after(before.size());
    ASSERT_EQ(S_OK, opened->Host().ReadComputedChannel(0, 0, 0, ticks, before.data()));
    const std::filesystem::path path = std::filesystem::temp_directory_path() / "frame-computed-channel.sdoc";
    std::filesystem::remove(path);
    opened->StandIn().ScriptSaveFileAnswer(path.c_str());
    ASSERT_EQ(L"Save &As...", HostTests::ChooseMenuItem(Frame(), L"File", [](const std::wstring& text) {
                  return text == L"Save &As...";
              }));

    AddChannelOfAnUnknownClass(path);

    OpenInAFreshFrame(path.wstring());
    std::filesystem::remove(path);
    EXPECT_EQ(std::vector<std::string>{"the document's computed channel 2 is left out: the framework holds no class that makes it"},
              opened->LeftOut());
    ASSERT_EQ(1u, opened->Host().ComputedChannelCount());
    EXPECT_EQ(title, opened->Host().ComputedChannelTitle(0));
    ASSERT_EQ(S_OK, opened->Host().ReadComputedChannel(0, 0, 0, ticks, after.data()));
    EXPECT_EQ(0, std::memcmp(before.data(), after.data(), before.size() * sizeof(float)));
    const auto loops = opened->Analysis()->Loops();
    ASSERT_GT(loops.size(), 8u);
    for (const Host::LoopRow& loop : loops)
        EXPECT_NEAR(loop.values[StrokeVolume - 1], after[static_cast<size_t>(loop.record.base.tick) + 5],
                    1e-4 * std::fabs(loop.values[StrokeVolume - 1]))
            << loop.record.base.tick;
    const auto lane = static_cast<int32_t>(opened->Host().Data().Channels().size());
    EXPECT_TRUE(HostTests::PumpUntil(Frame(), [&] {
        return std::ranges::any_of(session->Trace().Labels(),
                                   [&](const Host::TraceView::DrawnLabel& label) { return label.channel == lane; });
    }));
}

// Two records; the host shows the second one's volume in millilitres, as a channel set up anew between
// records would be.
class FrameChannelUnitAtSelection : public HostTests::FrameSessionFixture
{
protected:
    static std::string TwoRecords()
    {
        const std::string one = HostTests::OcclusionText(8);
        return one + "\n" + one.substr(one.find('\n') + 1);
    }
    FrameChannelUnitAtSelection() : FrameSessionFixture("frame-unit-at-selection.csv", TwoRecords(), Host::OpenOptions{{}, true}) {}

    void ShowSecondRecordInMillilitres()
    {
        Orv::PrefixedUnit milli(L"L");
        milli.SetPrefix(L'm');
        Orv::ComPtr<IUnitConversion> millilitres;
        ASSERT_EQ(S_OK, Vyr::CreateTwoPointConversion(Vyr::MakeIdentityConversion(L"uL").Get(), L"0uL", L"1000uL", L"0", L"1",
                                                      L"L", milli.GetPrefixCode(), millilitres.Put()));
        opened->Host().SetRecordConversion(VolumeChannel, 1, millilitres.Get());
    }
    // A drag across the middle of the second record, brought into view first.
    void SelectInSecondRecord()
    {
        const auto ticks = static_cast<int32_t>(opened->Host().Data().RecordAt(1).Length());
        const TickPosition first{1, 0}, last{1, ticks};
        ASSERT_EQ(S_OK, session->Trace().ShowRange(&first, &last));
        // Dragged across once it shows there, as a person drags across what the view shows.
        ASSERT_TRUE(HostTests::PumpUntil(Frame(), [&] { return !GetUpdateRect(session->Trace().Handle(), nullptr, FALSE); }));
        TickPosition start{}, end{};
        ASSERT_TRUE(HostTests::DragAcrossTheMiddleUntil(Frame(), session->Trace().Handle(), [&] {
            return opened->Host().GetSelection(&start, &end) == S_OK && start.record == 1 && end.record == 1;
        }));
    }
    // The unit the computed channel's dialog names for Stroke Volume, the dialog then cancelled.
    std::wstring StrokeVolumeUnitInTheDialog()
    {
        std::wstring unit;
        HostTests::SecondHand hand([] { return HostTests::DialogWithControl(ParameterList); }, [&](HWND dialog) {
            HostTests::ChooseListItem(GetDlgItem(dialog, ParameterList), StrokeVolumeItem);
            unit = HostTests::WindowText(GetDlgItem(dialog, TopUnitLabel));
            HostTests::ClickUntilGone(dialog, IDCANCEL);
        });
        HostTests::ChooseMenuItem(Frame(), L"Channel", [](const std::wstring& text) { return text.starts_with(L"New "); });
        HostTests::PumpUntil(Frame(), [&] { return hand.done.load(); });
        return unit;
    }

    static constexpr int32_t VolumeChannel = 1;
};

// The module asks the host for the volume channel's unit at the host's selection, the host document
// being the selection source: the selected record's unit, the channel's default one without a selection.
TEST_F(FrameChannelUnitAtSelection, TheDialogNamesTheVolumeUnitOfTheSelectedRecord)
{
    ShowSecondRecordInMillilitres();
    EXPECT_EQ(L"\u00b5L", StrokeVolumeUnitInTheDialog());
    SelectInSecondRecord();
    EXPECT_EQ(L"mL", StrokeVolumeUnitInTheDialog());
    EXPECT_EQ(0u, opened->Host().ComputedChannelCount());
}

} // namespace
