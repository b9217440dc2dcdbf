// The alpha calibration applied as a person applies it in the small-mammal workflow: the two stroke
// volumes typed into the alpha step's boxes and its Apply box ticked, on a recording whose volume channel
// is in microlitres. The volume channel, the loop view and the hemodynamics table take the volumes over
// alpha, and untick brings them back.
#include "host/app/HostDocument.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/FrameWorkflow.h"
#include "host/tests/ResultsSheetText.h"
#include "host/tests/TestPictures.h"
#include "host/vyr/UnitConversions.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using HostTests::ClickAt;
using HostTests::PumpUntil;
using HostTests::ScreenCentreOf;

constexpr int MeasuredStrokeVolume = 1117, ReferenceStrokeVolume = 1121, AlphaResult = 1123, ApplyAlpha = 1077;
constexpr int AnalyzeNow = 1098, LoopListId = 3001;
constexpr int VolumeChannel = 1;
constexpr const wchar_t* LoopViewName = L"Loop View";
constexpr const wchar_t* TableViewName = L"Sistra Hemodynamics TableView";

class FrameAlphaCalibration : public HostTests::FrameSessionFixture
{
protected:
    FrameAlphaCalibration()
        : FrameSessionFixture("frame-alpha.csv", HostTests::OcclusionText(16), Host::OpenOptions{{}, false})
    {
    }
    HWND ViewWindow(const wchar_t* name)
    {
        const Host::ViewFrame* view = Frame().FindView(name);
        return view ? view->ViewWindow() : nullptr;
    }
    // The first loop's value in the table's column, as its Add to Tallion puts it on the results sheet.
    double FirstLoopValue(const std::string& column)
    {
        const HWND table = ViewWindow(TableViewName);
        const HWND add = table ? HostTests::FindVisibleChild(
                                     table, [](HWND child) { return HostTests::WindowText(child) == L"Add to Tallion"; })
                               : nullptr;
        if (!add)
            return std::nan("");
        ClickAt(ScreenCentreOf(add));
        HostTests::Settle(Frame());
        const std::string value = HostTests::FirstLoopValue(opened->Session().Sheet(), column);
        // The sheet's window came to the front, over the workflow's page: closed, as a person closes it.
        if (const HWND sheet = HostTests::ThreadWindowOfClass(L"SistraHostList"))
            SendMessageW(sheet, WM_CLOSE, 0, 0);
        SetForegroundWindow(Frame().Handle());
        HostTests::Settle(Frame());
        return value.empty() ? std::nan("") : std::stod(value);
    }
    // The factor the host shows the volume channel's recorded values with.
    double VolumeScale()
    {
        Orv::ComPtr<IUnitConversion> conversion;
        Vyr::ConversionFacts facts;
        if (opened->Host().GetChannelConversion(HostUnsetPosition, 0, VolumeChannel, conversion.Put()) != S_OK ||
            !Vyr::ReadConversionFacts(*conversion.Get(), facts))
            return std::nan("");
        return facts.inUse ? facts.scale : 1.0;
    }
    // The loop view's black pixels right of its loop list: the loops' lines.
    size_t LoopPixels()
    {
        const HWND loopView = ViewWindow(LoopViewName);
        if (!loopView)
            return 0;
        RECT list{}, view{};
        GetWindowRect(GetDlgItem(loopView, LoopListId), &list);
        GetWindowRect(loopView, &view);
        return HostTests::BlackPixels(loopView, list.right - view.left);
    }
    bool Tick(HWND page, int box)
    {
        const LRESULT before = SendDlgItemMessageW(page, box, BM_GETCHECK, 0, 0);
        ClickAt(ScreenCentreOf(GetDlgItem(page, box)));
        return PumpUntil(Frame(), [&] { return SendDlgItemMessageW(page, box, BM_GETCHECK, 0, 0) != before; });
    }
};

// Apply collapsed every loop onto a vertical line at volume 0 (the channel showed a millionth of its
// microlitres), and the table kept the measured volumes until an analysis.
TEST_F(FrameAlphaCalibration, TheAlphaStepsApplyDividesTheVolumesOnceAndUntickBringsThemBack)
{
    Host::FrameWindow& frame = Frame();
    ASSERT_TRUE(HostTests::ChooseFirstWorkflow(frame));
    // The step shows the loop view and the table beside its page.
    HWND page = HostTests::OpenStep(frame, L"Alpha calibration", MeasuredStrokeVolume);
    ASSERT_TRUE(page);
    const double measuredSv = FirstLoopValue("SV ("), measuredVed = FirstLoopValue("Ved (");
    ASSERT_GT(measuredVed, 10.0);
    const size_t measuredLoops = LoopPixels();
    ASSERT_GT(measuredLoops, 1000u);
    for (const auto& [box, text] : {std::pair{MeasuredStrokeVolume, L"21.66"}, std::pair{ReferenceStrokeVolume, L"10.83"}})
    {
        const HWND edit = GetDlgItem(page, box);
        ClickAt(ScreenCentreOf(edit));
        ASSERT_TRUE(PumpUntil(frame, [&] { return GetFocus() == edit; })) << box;
        HostTests::TypeText(text);
        EXPECT_TRUE(PumpUntil(frame, [&] { return HostTests::WindowText(edit) == text; })) << box;
    }
    EXPECT_TRUE(PumpUntil(frame, [&] { return HostTests::WindowText(GetDlgItem(page, AlphaResult)) == L"= 2"; }))
        << HostTests::WindowText(GetDlgItem(page, AlphaResult));
    ASSERT_TRUE(Tick(page, ApplyAlpha));
    EXPECT_TRUE(PumpUntil(frame, [&] { return VolumeScale() == 0.5; })) << VolumeScale();
    HostTests::Settle(frame);
    HostTests::SaveTestPicture(frame.Handle(), L"frame-alpha-applied");
    EXPECT_GT(LoopPixels(), measuredLoops / 2);
    EXPECT_NEAR(measuredSv / 2, FirstLoopValue("SV ("), 0.01);
    EXPECT_NEAR(measuredVed / 2, FirstLoopValue("Ved ("), 0.01);

    // The next analysis reads them so too: alpha is not taken twice.
    HWND analyse = HostTests::OpenStep(frame, L"Analyze", AnalyzeNow);
    ASSERT_TRUE(analyse);
    ClickAt(ScreenCentreOf(GetDlgItem(analyse, AnalyzeNow)));
    HostTests::Settle(frame);
    EXPECT_NEAR(measuredSv / 2, FirstLoopValue("SV ("), 0.01);

    page = HostTests::OpenStep(frame, L"Alpha calibration", ApplyAlpha);
    ASSERT_TRUE(page);
    ASSERT_TRUE(Tick(page, ApplyAlpha));
    EXPECT_TRUE(PumpUntil(frame, [&] { return VolumeScale() == 1.0; })) << VolumeScale();
    HostTests::Settle(frame);
    EXPECT_NEAR(measuredSv, FirstLoopValue("SV ("), 0.01);
    EXPECT_NEAR(measuredVed, FirstLoopValue("Ved ("), 0.01);
    EXPECT_GT(LoopPixels(), measuredLoops / 2);
}

} // namespace
