#include "tracedisplay/controls/PreviewControls.h"

#include "controls/gadgets/ButtonGadgets.h"
#include "platform/owl/tests/Screenshot.h"
#include "platform/owl/window/Window.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace StrixDraw
{
namespace
{

class RecordingPreview : public PreviewListener
{
public:
    void StopSampling() override { calls.push_back(L"stop"); }
    void StartSampling() override { calls.push_back(L"start"); }
    void PauseSampling() override { calls.push_back(L"pause"); }
    void OnTraceCommand(UINT command, UINT flags) override
    {
        calls.push_back(std::to_wstring(command) + L"," + std::to_wstring(flags));
    }
    bool HasSource() const override { return source; }
    std::vector<std::wstring> calls;
    bool source = true;
};

// Answers what a gadget's command-enable query gets.
class Enabler : public OWL::TCommandEnabler
{
public:
    explicit Enabler(UINT id) : OWL::TCommandEnabler(id) {}
    void Enable(bool enable) override { enabled = enable; }
    void SetText(const wchar_t*) override {}
    void SetCheck(int) override {}
    bool enabled = false;
};

bool EnabledBy(OWL::TWindow& bar, UINT id)
{
    Enabler enabler(id);
    bar.EvCommandEnable(enabler);
    return enabler.enabled;
}

class Frame : public OWL::TWindow
{
public:
    Frame() : OWL::TWindow(nullptr, L"Preview")
    {
        Attr.Style = WS_POPUP | WS_VISIBLE;
        Attr.X = 100;
        Attr.Y = 300;
        Attr.W = 200;
        Attr.H = 40;
    }
};

TEST(PreviewControlWinTest, StartsStoppedOrSamplingAndNeedsASourceToSample)
{
    RecordingPreview preview;
    Frame frame;
    PreviewControlWin bar(&frame, &preview, PreviewControlWin::WithoutViewButton);
    EXPECT_EQ(nullptr, bar.ViewButton());
    EXPECT_EQ(OWL::TButtonGadget::Down, bar.StartButton()->GetButtonState());
    PreviewControlWin full(&frame, &preview, 0);
    EXPECT_EQ(OWL::TButtonGadget::Down, full.ViewButton()->GetButtonState());
    EXPECT_EQ(OWL::TButtonGadget::Up, full.StartButton()->GetButtonState());
    EXPECT_TRUE(EnabledBy(full, PreviewCommand::Start));
    EXPECT_FALSE(EnabledBy(full, PreviewCommand::Pause));
    preview.source = false;
    EXPECT_FALSE(EnabledBy(full, PreviewCommand::Start));
    EXPECT_TRUE(EnabledBy(full, PreviewCommand::View));
    for (const UINT command : {PreviewCommand::Start, PreviewCommand::Pause, PreviewCommand::View})
        full.EvCommand(command, nullptr, 0);
    full.SetStopped();
    EXPECT_EQ((std::vector<std::wstring>{L"start", L"pause", L"stop", L"stop"}), preview.calls);
}

TEST(PreviewControlWinTest, SaysWhySamplingCannotStartWithoutASource)
{
    RecordingPreview preview;
    preview.source = false;
    Frame frame;
    auto* bar = new PreviewControlWin(&frame, &preview, 0);
    ASSERT_TRUE(frame.Create());
    EXPECT_FALSE(EnabledBy(*bar, PreviewCommand::Start));
    EXPECT_EQ(L"No Quarkbox available - sampling is disabled", bar->TooltipOf(PreviewCommand::Start));
    preview.source = true;
    EXPECT_TRUE(EnabledBy(*bar, PreviewCommand::Start));
    EXPECT_EQ(L"Start Sampling", bar->TooltipOf(PreviewCommand::Start));
    EnabledBy(*bar, PreviewCommand::View);
    EXPECT_EQ(L"Strix View", bar->TooltipOf(PreviewCommand::View));
    frame.Destroy();
}

TEST(TraceControlWinTest, TheSourceOnlyToggleComesBackToTheArrangementBeforeIt)
{
    RecordingPreview preview;
    Frame frame;
    auto* bar = new TraceControlWin(&frame, &preview, TraceCommand::Stack | TraceCommand::Overlay | TraceCommand::SourceOnly);
    ASSERT_TRUE(frame.Create());
    OwlTest::PumpMessages();
    OwlTest::SaveWindowPng(frame.GetHandle(), L"tracedisplay-trace-bar");
    bar->EvCommand(TraceCommand::Overlay, nullptr, 0);
    EXPECT_FALSE(bar->IsStacked());
    EnabledBy(*bar, TraceCommand::SourceOnly);
    EXPECT_EQ(L"Autoscale and show the source trace only", bar->TooltipOf(TraceCommand::SourceOnly));
    bar->SourceOnlyButton()->SetButtonState(OWL::TButtonGadget::Down);
    EXPECT_FALSE(EnabledBy(*bar, TraceCommand::Stack));
    EXPECT_FALSE(EnabledBy(*bar, TraceCommand::Overlay));
    bar->EvCommand(TraceCommand::SourceOnly, nullptr, 0);
    bar->SourceOnlyButton()->SetButtonState(OWL::TButtonGadget::Up);
    EXPECT_TRUE(EnabledBy(*bar, TraceCommand::Stack));
    bar->EvCommand(TraceCommand::SourceOnly, nullptr, 0);
    EXPECT_EQ((std::vector<std::wstring>{L"4,0", L"8,1", L"4,0", L"8,2", L"4,0"}), preview.calls);
    EXPECT_FALSE(bar->IsStacked());
    bar->SetButtonsEnabled(TraceCommand::SourceOnly);
    EXPECT_FALSE(EnabledBy(*bar, TraceCommand::Stack));
    frame.Destroy();
}

} // namespace
} // namespace StrixDraw
