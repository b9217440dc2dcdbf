// The module's sampling pane on a host document that samples: it follows the document's own events.
#include "host/tests/module/SharedFramework.h"
#include "host/tests/RecordingFixtures.h"

#include "controls/sampling/SamplingControlPane.h"
#include "host/app/document/HostDocument.h"
#include "platform/owl/tests/Screenshot.cpp"
#include "platform/owl/tests/TestPopup.h"

#include <gtest/gtest.h>

namespace
{

TEST(SamplingControlPaneOnHost, ReadsStopWhileTheDocumentSamplesAndStartOnceItStopped)
{
    HostTests::SharedFramework();
    const Host::Recording source = HostTests::MakeRecording(0.001, {{std::vector<float>(300, 1.0f)}});
    const Orv::ComPtr<Host::HostDocument> document = Host::HostDocument::Sampling(source);
    OwlTest::TestPopup dialog(L"Sampling", 200, 200, 220, 50);
    ASSERT_TRUE(dialog.Create());
    HWND placeholder = CreateWindowW(L"STATIC", L"", WS_CHILD, 10, 10, 200, 30, dialog.GetHandle(), nullptr,
                                     nullptr, nullptr);
    std::vector<bool> told;
    const std::function<void(bool)> callback = [&](bool sampling) { told.push_back(sampling); };
    {
        Sistra::OwlSamplingButton button(placeholder, document->Unknown(), &callback);
        const UxCustomButtonGadget& gadget = button.Pane().StartStopGadget();
        EXPECT_EQ(L"Start ", gadget.GetText());

        document->FeedSamples(100);
        EXPECT_EQ(L"Stop", gadget.GetText());
        EXPECT_EQ(OWL::TButtonGadget::Down, gadget.GetButtonState());
        document->FeedSamples(100);
        UpdateWindow(button.Pane().GetHandle());
        Sleep(100);
        OwlTest::PumpMessages();
        OwlTest::SaveWindowPng(button.Pane().GetHandle(), L"sampling_pane_on_host_document");

        document->FeedSamples(100);
        EXPECT_TRUE(document->IsSamplingDone());
        EXPECT_EQ(L"Start ", gadget.GetText());
        EXPECT_EQ(OWL::TButtonGadget::Up, gadget.GetButtonState());
    }
    EXPECT_EQ((std::vector<bool>{true, false}), told) << "one start and one stop, whatever the feeds between";
    DestroyWindow(placeholder);
}

} // namespace
