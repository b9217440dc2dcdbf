#include "dialogs/settings/SettingsPreview.h"
#include "dialogs/settings/SistraSetupDialog.h"

#include "dialogs/tests/DialogTestSupport.h"
#include "graph/grid/GraphDisplaySettings.h"
#include "document/models/ModelFactory.h"
#include "resources/ResourceIds.h"
#include "testsupport/RealInput.h"
#include "tracedisplay/controls/ZoomControl.h"
#include "tracedisplay/preview/PreviewDataWin.h"
#include "tracedisplay/tests/support/SilentObject.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>
#include <numbers>
#include <optional>

namespace
{

using Sistra::ModelPtr;

constexpr double Interval = 0.001, Beat = 0.8, Systole = 0.35;

double DiastolicFilling(double phase)
{
    return phase < Systole ? 0.0 : (phase - Systole) / (Beat - Systole);
}

// A left ventricle at 75 beats a minute: a pressure pulse through each systole over a slowly filling
// diastole (mmHg at a sample of the 1 kHz recording).
double BeatPressure(int tick)
{
    const double phase = std::fmod(tick * Interval, Beat);
    const double pulse = phase < Systole ? std::sin(std::numbers::pi * phase / Systole) : 0.0;
    return 6.0 + 110.0 * pulse + 6.0 * DiastolicFilling(phase);
}

// Five seconds (by default) of the beating ventricle, the volume falling while the pressure is up.
StandInHost::Recording BeatingRecording(int records = 1, int ticks = 5000)
{
    std::vector<float> pressure, volume;
    for (int tick = 0; tick < ticks; ++tick)
    {
        const double phase = std::fmod(tick * Interval, Beat);
        pressure.push_back(static_cast<float>(BeatPressure(tick)));
        volume.push_back(static_cast<float>(70.0 + 50.0 * DiastolicFilling(phase) - 50.0 * std::min(1.0, phase / Systole)));
    }
    StandInHost::Recording recording({{"LV Pressure", "mmHg"}, {"LV Volume", "mL"}});
    const std::vector<std::span<const float>> rows{pressure, volume};
    for (int i = 0; i < records; ++i)
    {
        StandInHost::Record record = recording.AddRecord(Interval);
        record.Append(rows);
        record.MarkComplete();
    }
    recording.MarkFinished();
    return recording;
}

// The settings dialog over the beating recording, on copies of the document's models, the host's
// selection (three seconds) setting the preview's time scale; the host shows times in its own mode
// when it has one.
struct OpenDialog
{
    explicit OpenDialog(std::optional<uint32_t> hostTimeMode = std::nullopt, int records = 1,
                        TickPosition selectionEnd = {0, 3000}, TickPosition selectionStart = {0, 0}, int ticks = 5000)
        : recording(BeatingRecording(records, ticks)), document(recording, false, false),
          setup(Sistra::ModelClassObjBase::CreateModel(Sistra::ModelKind::WorkflowSetup, &Document(),
                                                       Sistra::ModelRole::Snapshot)),
          tau(Sistra::ModelClassObjBase::CreateModel(Sistra::ModelKind::TauModel, &Document(),
                                                     Sistra::ModelRole::Snapshot))
    {
        setup->CopyFrom(Document().GetSetupModel().get());
        tau->CopyFrom(Document().GetModel(Sistra::ModelKind::TauModel).get());
        setup->SetSuppressCommit(true);
        tau->SetSuppressCommit(true);
        document.Host().SetSelection(selectionStart, selectionEnd);
        document.Host().SetTimeDisplayMode(hostTimeMode);
        dialog = std::make_unique<Sistra::SistraSetupDialog>(nullptr, Document(), setup, tau);
        EXPECT_TRUE(dialog->Create());
    }
    ~OpenDialog() { dialog->Destroy(); }

    Sistra::SistraDocument& Document() { return document.Document(); }
    Sistra::SettingsPreview& Preview() { return dynamic_cast<Sistra::SettingsPreview&>(*dialog->Preview()); }

    StandInHost::Recording recording;
    StandInHost::DocumentOnHost document;
    ModelPtr setup;
    ModelPtr tau;
    std::unique_ptr<Sistra::SistraSetupDialog> dialog;
};

// Where the events of a calculated channel of the host lie in the first record (samples); nothing when
// the channel cannot be read.
std::optional<std::vector<double>> EventPositions(StandInHost::HostDocument& host, int32_t channel)
{
    Orv::ComPtr<IEnumEventEx> events;
    if (FAILED(host.OpenCalculatedChannelEvents(channel, 0, 0, events.Put())))
        return std::nullopt;
    int32_t size = 0;
    events->GetRecordSize(&size);
    size = std::max<int32_t>(size, sizeof(OrvEventBase));
    std::vector<unsigned char> buffer(static_cast<size_t>(size) * 64);
    std::vector<double> positions;
    for (int32_t fetched = 1, next = 0; fetched > 0;)
    {
        fetched = 0;
        if (FAILED(events->Next(static_cast<int32_t>(buffer.size()), 0x7FFFFFFF, buffer.data(), &fetched, &next)))
            return std::nullopt;
        for (int32_t i = 0; i < fetched; ++i)
            positions.push_back(reinterpret_cast<const OrvEventBase*>(buffer.data() + i * size)->Position());
    }
    return positions;
}

int EventCount(StandInHost::HostDocument& host, int32_t channel)
{
    const auto positions = EventPositions(host, channel);
    return positions ? static_cast<int>(positions->size()) : -1;
}

// The dialog's preview shows the pressure between its grid, with the end-diastolic and the
// end-systolic points of every beat marked, over the dialog's placeholder.
TEST(SettingsPreview, TheDialogShowsThePressureWithItsDetectedPoints)
{
    OpenDialog open;
    StrixDraw::PreviewDataWinWButtons* window = open.Preview().Window();
    ASSERT_TRUE(window);
    ASSERT_TRUE(window->GetHandle());
    const Sistra::PreviewChannels& channels = *open.Preview().Channels();
    ASSERT_TRUE(channels.Made());
    // A point a beat: the recording holds six beats, the last one cut short.
    const int endDiastolic = EventCount(open.document.Host(), channels.Ids()[0].first);
    const int endSystolic = EventCount(open.document.Host(), channels.Ids()[1].first);
    EXPECT_GE(endDiastolic, 5);
    EXPECT_LE(endDiastolic, 7);
    EXPECT_LE(std::abs(endSystolic - endDiastolic), 1);
    EXPECT_EQ(4u, window->ItemCount());
    EXPECT_EQ(4u, window->Lane(0)->DrawerCount());

    RECT placeholder{}, shown{};
    GetWindowRect(GetDlgItem(open.dialog->GetHandle(), IDC_SETTINGS_PREVIEW), &placeholder);
    GetWindowRect(window->GetHandle(), &shown);
    EXPECT_TRUE(EqualRect(&placeholder, &shown));
    double low = 0.0, high = 0.0;
    window->GetAxisUnitRange(1, &low, &high);
    EXPECT_LE(low, 10.0);
    EXPECT_GE(high, 110.0);
    EXPECT_LT(high - low, 300.0);
    DialogTests::SaveShown(open.dialog->GetHandle(), L"dialogs-settings-preview");
}

// The sample at the left edge of the preview's lane, counted over the records laid end to end.
LONGLONG FirstSampleShown(const StrixDraw::PreviewDataWinWButtons& window)
{
    LONGLONG numerator = 0, denominator = 1;
    window.GetHorizontalScale(numerator, denominator);
    return window.StripAtX(window.Lane(0)->Rect().left) * numerator / denominator;
}

// The host's selection fills about 400 pixels of the preview at a step of the 1-2-5 series, whether
// it lies in one record or runs from one into the next, and the preview opens on its start.
TEST(SettingsPreview, TheSelectionSetsTheTimeScaleAndStartOverOneRecordOrTwo)
{
    const struct
    {
        int records;
        TickPosition start;
        TickPosition end;
        LONGLONG samplesPerPixel;
        LONGLONG firstSample;
    } cases[] = {{1, {0, 0}, {0, 3000}, 10, 0},    {1, {0, 1000}, {0, 3000}, 5, 1000},
                 {2, {0, 4000}, {1, 2000}, 10, 4000}, {2, {0, 0}, {1, 3000}, 20, 0},
                 {2, {0, 0}, {1, 0}, 20, 0},       {1, {0, 0}, {0, 0}, 1, 0}};
    for (const auto& c : cases)
    {
        OpenDialog open(std::nullopt, c.records, c.end, c.start);
        const StrixDraw::PreviewDataWinWButtons& window = *open.Preview().Window();
        LONGLONG numerator = 0, denominator = 0;
        window.GetHorizontalScale(numerator, denominator);
        EXPECT_EQ(c.samplesPerPixel, numerator / std::max<LONGLONG>(denominator, 1)) << c.records << " " << c.end.tick;
        EXPECT_EQ(c.firstSample, FirstSampleShown(window)) << c.records << " " << c.start.tick;
    }
}

// Settings that leave the detector texts as they were compile nothing; a changed detector setting
// compiles again, whether the dialog refreshes or the model announces the change.
TEST(SettingsPreview, OnlyChangedDetectorTextsAreCompiledAgain)
{
    OpenDialog open;
    Sistra::SettingsPreview& preview = open.Preview();
    const HWND dialog = open.dialog->GetHandle();
    ASSERT_EQ(1, preview.Rebuilds());
    preview.Refresh();
    DialogTests::Click(dialog, IDC_SETTINGS_RANGE_SV);
    EXPECT_EQ(1, preview.Rebuilds());
    SetDlgItemTextW(dialog, IDC_SETTINGS_PEAK_HEIGHT, L"35");
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDC_SETTINGS_PEAK_HEIGHT, EN_KILLFOCUS),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_SETTINGS_PEAK_HEIGHT)));
    EXPECT_EQ(2, preview.Rebuilds());
    // The dialog's copies keep quiet until OK; a model that commits announces its change.
    const ModelPtr live = open.Document().GetSetupModel();
    preview.SetModel(live, &open.Document());
    live->SetPressureChannel(0);
    live->SetDetectionSource(0);
    live->SetMinimumPeakHeight(20.0);
    live->SetMinimumPeriod(0.3);
    live->CommitChanges();
    EXPECT_EQ(3, preview.Rebuilds());
    // Each rebuild replaces the drawers rather than adding to them.
    EXPECT_EQ(4u, preview.Window()->ItemCount());
    EXPECT_EQ(4u, preview.Window()->Lane(0)->DrawerCount());
}

// A detector text the host cannot compile leaves the preview without marks and without a word; settings
// that compile again bring the marks back.
TEST(SettingsPreview, ATextThatDoesNotCompileLeavesThePreviewSilentlyEmpty)
{
    OpenDialog open;
    Sistra::SettingsPreview& preview = open.Preview();
    const auto children = [&] {
        int count = 0;
        for (HWND child = GetWindow(open.dialog->GetHandle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            ++count;
        return count;
    };
    const int before = children();
    for (const int32_t channel : {7, 0, 7})
    {
        open.setup->SetPressureChannel(channel);
        preview.Refresh();
        EXPECT_EQ(channel == 7, preview.Window()->Lane(0)->DrawerCount() == 0) << channel;
    }
    EXPECT_EQ(before, children()) << "no icon or balloon beside the preview";
    EXPECT_TRUE(DialogTests::MessageBoxes().empty() || DialogTests::MessageBoxes().back().caption != L"Invalid Equation");
    DialogTests::SaveShown(open.dialog->GetHandle(), L"dialogs-settings-preview-refused");
}

// The preview's grid and trace take the colours the host's display settings give the module's graphs.
TEST(SettingsPreview, TheGridAndTraceTakeTheHostsDisplayColours)
{
    OpenDialog open;
    Sistra::SettingsPreview& preview = open.Preview();
    Orv::ComPtr<IHostViewSettings> settings;
    open.Document().HostDocumentObject()->QueryInterface(IID_IHostViewSettings, settings.PutVoid());
    const MGraph1::GraphDisplaySettings host(settings.Get());
    EXPECT_EQ(host.gridColour, preview.GridColour());
    EXPECT_EQ(host.traceColour, preview.TraceColour());
    EXPECT_NE(RGB(210, 210, 210), preview.GridColour()) << "not a colour of the preview's own";
}

// An object on the preview's pane from the window's start: it keeps the mode the pane last told it.
class ModeWatcher final : public TraceTest::SilentObject
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IInteractiveObject ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE SetMode(ULONG, ULONG value) override
    {
        mode = value;
        return S_OK;
    }

    std::optional<ULONG> mode;
};

class WatchedPreview final : public Sistra::SettingsPreview
{
public:
    explicit WatchedPreview(ModeWatcher& watcher) : watcher_(watcher) {}

protected:
    void CreatePreviewWindow(int value) override
    {
        SettingsPreview::CreatePreviewWindow(value);
        if (Window())
            Window()->AddObject(&watcher_, 0);
    }

private:
    ModeWatcher& watcher_;
};

// The preview labels times as the host's windows do, and its pane's objects hear the mode; a host
// without a mode of its own leaves the elapsed time.
TEST(SettingsPreview, ShowsTimesInTheHostsMode)
{
    const Sistra::SettingsPreviewFactory installed = Sistra::InstalledSettingsPreview();
    for (const auto& [host, shown] : std::vector<std::pair<std::optional<uint32_t>, ULONG>>{
             {std::nullopt, StrixDraw::TimeMode::Elapsed},
             {StrixDraw::TimeMode::Relative, StrixDraw::TimeMode::Relative},
             {StrixDraw::TimeMode::TimeOfDay, StrixDraw::TimeMode::TimeOfDay}})
    {
        ModeWatcher watcher;
        Sistra::InstalledSettingsPreview() = [&watcher] { return std::make_unique<WatchedPreview>(watcher); };
        OpenDialog open(host);
        EXPECT_EQ(shown, open.Preview().Window()->GetTimeAxis().mode);
        EXPECT_EQ(shown, watcher.mode);
    }
    Sistra::InstalledSettingsPreview() = installed;
}

// What the screen shows of a window's client area, read back pixel by pixel (client coordinates).
class ShownPixels
{
public:
    explicit ShownPixels(HWND window)
    {
        RECT client{};
        GetClientRect(window, &client);
        MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
        width_ = client.right - client.left;
        height_ = client.bottom - client.top;
        BITMAPINFO info{};
        info.bmiHeader = {sizeof(BITMAPINFOHEADER), width_, -height_, 1, 32, BI_RGB};
        pixels_.resize(static_cast<size_t>(width_) * height_);
        HBITMAP bitmap = OwlTest::CopyScreenRect(client);
        HDC screen = GetDC(nullptr);
        GetDIBits(screen, bitmap, 0, static_cast<UINT>(height_), pixels_.data(), &info, DIB_RGB_COLORS);
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
    }

    COLORREF At(LONG x, LONG y) const
    {
        if (x < 0 || y < 0 || x >= width_ || y >= height_)
            return CLR_INVALID;
        const DWORD bgr = pixels_[static_cast<size_t>(y) * width_ + x];
        return RGB((bgr >> 16) & 0xFF, (bgr >> 8) & 0xFF, bgr & 0xFF);
    }
    // Whether a pixel that satisfies is lies in the rectangle (right and bottom excluded).
    template <class Is>
    bool Any(Is is, const RECT& area) const
    {
        for (LONG y = area.top; y < area.bottom; ++y)
            for (LONG x = area.left; x < area.right; ++x)
                if (is(At(x, y)))
                    return true;
        return false;
    }

private:
    LONG width_ = 0;
    LONG height_ = 0;
    std::vector<DWORD> pixels_;
};

// The preview as it stands on the screen: its samples per pixel, the first sample in view, how many of
// the lane's columns show the recorded pressure where the first axis puts it, how many of the detected
// points in view are marked, and whether the time scale prints a time under its ticks.
struct PreviewShown
{
    double samplesPerPixel;
    LONGLONG firstSample;
    double traceOnAxis;
    size_t marksExpected;
    size_t marksShown;
    bool timeLabels;
};

// The pressure trace's red, as the display shows the host's trace colour; the grid is pale.
bool IsTraceRed(COLORREF colour)
{
    return GetRValue(colour) > 150 && GetGValue(colour) < 60 && GetBValue(colour) < 60;
}

PreviewShown LookAt(OpenDialog& open)
{
    StrixDraw::PreviewDataWinWButtons& window = *open.Preview().Window();
    DialogTests::SaveShown(open.dialog->GetHandle(), L"dialogs-settings-preview-zoom");
    const ShownPixels shown(window.GetHandle());
    LONGLONG numerator = 0, denominator = 1;
    window.GetHorizontalScale(numerator, denominator);
    double low = 0.0, high = 0.0;
    window.GetAxisUnitRange(1, &low, &high);
    const OWL::TRect lane = window.Lane(0)->Rect();
    const LONG x0 = window.Client().x, y0 = window.Client().y;
    const auto sampleAt = [&](LONG x) { return window.StripAtX(x) * numerator / denominator; };
    const auto rowOf = [&](double value) {
        return y0 + lane.top + static_cast<LONG>(std::lround((high - value) * (lane.Height() - 1) / (high - low)));
    };
    // Each column's trace reaches the row of its sample's pressure (a pixel's leeway either way).
    int onAxis = 0;
    for (LONG x = lane.left + 1; x < lane.right - 1; ++x)
    {
        const LONG row = rowOf(BeatPressure(static_cast<int>(sampleAt(x))));
        onAxis += shown.Any(IsTraceRed, RECT{x0 + x - 1, row - 2, x0 + x + 2, row + 3});
    }
    const OWL::TRect strip = window.TimeScaleStrip()->Rect();
    constexpr LONG BelowTicks = 3;
    const bool labels = shown.Any([](COLORREF c) { return GetRValue(c) < 100 && GetGValue(c) < 100 && GetBValue(c) < 100; },
                                  RECT{x0 + strip.left, y0 + strip.top + BelowTicks, x0 + strip.right, y0 + strip.bottom});
    PreviewShown result{static_cast<double>(numerator) / denominator, FirstSampleShown(window), onAxis / (lane.Width() - 2.0),
                        0, 0, labels};
    // A mark is a black ring hanging from the lane's top at its point.
    for (const HostItemId& id : open.Preview().Channels()->Ids())
        for (const double position : EventPositions(open.document.Host(), id.first).value_or(std::vector<double>{}))
        {
            const LONG x = static_cast<LONG>(std::lround(position * denominator / numerator)) -
                           window.StripAtX(0);
            if (x < lane.left + 4 || x >= lane.right - 4)
                continue;
            ++result.marksExpected;
            result.marksShown += shown.Any([](COLORREF c) { return c == RGB(0, 0, 0); }, RECT{x0 + x - 4, y0 + lane.top, x0 + x + 5, y0 + lane.top + 8});
        }
    return result;
}

void ClickZoomButton(OpenDialog& open, UINT command)
{
    StrixDraw::PreviewDataWinWButtons& window = *open.Preview().Window();
    auto& bar = dynamic_cast<StrixDraw::ZoomControlWin&>(*window.ZoomControlOf());
    const OWL::TRect button = bar.GadgetWithId(static_cast<int>(command))->GetBounds();
    POINT centre{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    ClientToScreen(bar.GetHandle(), &centre);
    LONGLONG before = 0, denominator = 1;
    window.GetHorizontalScale(before, denominator);
    const double old = static_cast<double>(before) / denominator;
    HostTests::InputUntil([&] { HostTests::ClickAt(centre); }, [&] {
        LONGLONG numerator = 0, now = 1;
        window.GetHorizontalScale(numerator, now);
        return static_cast<double>(numerator) / now != old;
    });
}

// The zoom buttons under the preview: compress shows the beats smaller, expand larger, each time from
// the start of the data where the preview opened, with the trace where the pressure axis puts its
// values, every detected point in view marked and times under the ticks.
TEST(SettingsPreview, TheZoomButtonsScaleTheBeatsWhereTheyAreOnTheirAxis)
{
    OpenDialog open(std::nullopt, 1, {0, 0});
    const PreviewShown opened = LookAt(open);
    ASSERT_EQ(1.0, opened.samplesPerPixel);
    EXPECT_TRUE(opened.timeLabels);
    const struct
    {
        UINT button;
        double samplesPerPixel;
    } clicks[] = {{StrixDraw::ZoomCommand::Compress, 2.0}, {StrixDraw::ZoomCommand::Compress, 5.0},
                  {StrixDraw::ZoomCommand::Expand, 2.0},   {StrixDraw::ZoomCommand::Expand, 1.0},
                  {StrixDraw::ZoomCommand::Expand, 0.5}};
    for (const auto& click : clicks)
    {
        ClickZoomButton(open, click.button);
        const PreviewShown shown = LookAt(open);
        EXPECT_EQ(click.samplesPerPixel, shown.samplesPerPixel);
        EXPECT_EQ(0, shown.firstSample) << click.samplesPerPixel;
        EXPECT_GT(shown.traceOnAxis, 0.95) << click.samplesPerPixel;
        EXPECT_EQ(shown.marksExpected, shown.marksShown) << click.samplesPerPixel;
        EXPECT_TRUE(shown.timeLabels) << click.samplesPerPixel;
    }
}

// A one-second recording at 50:1 is narrower than the lane: the pressure is drawn where the record is.
TEST(SettingsPreview, ARecordingNarrowerThanTheLaneShowsItsPressure)
{
    OpenDialog open(std::nullopt, 1, {0, 1000}, {0, 0}, 1000);
    StrixDraw::PreviewDataWinWButtons& window = *open.Preview().Window();
    for (int click = 0; click < 8 && LookAt(open).samplesPerPixel < 50.0; ++click)
        ClickZoomButton(open, StrixDraw::ZoomCommand::Compress);
    ASSERT_EQ(50.0, LookAt(open).samplesPerPixel);
    const OWL::TRect lane = window.Lane(0)->Rect();
    const LONG x0 = window.Client().x, y0 = window.Client().y;
    const ShownPixels shown(window.GetHandle());
    EXPECT_TRUE(shown.Any(IsTraceRed, RECT{x0 + lane.left, y0 + lane.top, x0 + lane.right, y0 + lane.bottom}));
}

} // namespace
