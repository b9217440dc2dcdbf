// The step pages on a host that samples.
#include "host/tests/module/DocumentOnHost.h"

#include "dialogs/framework/StepPageTools.h"
#include "dialogs/tests/steps/StepPageTestSupport.h"
#include "resources/ResourceIds.h"

#include <gtest/gtest.h>

namespace
{

using namespace Sistra;
using DialogTests::StepPage;
using HostTests::DocumentOnHost;

// While the host samples, a page offers to stop sampling and its detector settings cannot be opened (the
// pages follow the host when its message loop runs idle).
TEST(StepPages, WhileTheHostSamplesTheLabelSaysStopAndTheSettingsButtonIsOff)
{
    const Host::Recording recording = HostTests::SteadyVentricle(2000);
    for (const bool sampling : {false, true})
    {
        DocumentOnHost document(recording, sampling, false);
        if (sampling)
            document.Host().FeedSamples(100);
        ASSERT_EQ(sampling, document.Document().IsSampling());
        StepPage pressure(StepId::PressureStep, document.Document());
        StepPage analyse(StepId::AnalyseStep, document.Document());
        ASSERT_TRUE(pressure.page && analyse.page);
        HostTests::StandIn().RunLoopIdle();
        EXPECT_EQ(sampling ? L"Stop sampling:" : L"Start sampling:",
                  DialogTests::Text(pressure.page, StepControl::SamplingLabel));
        EXPECT_EQ(!sampling, IsWindowEnabled(GetDlgItem(analyse.page, StepControl::DetectorSettings)) != FALSE);
    }
}

} // namespace
