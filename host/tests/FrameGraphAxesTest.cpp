// Every graph view's axes double-clicked as a person does (the graph's autoscale): the view's plot must
// stay as it was, not jump to 0..1 with every point gone.
#include "host/app/gui/WindowPicture.h"
#include "host/tests/FrameGraphs.h"
#include "host/tests/FrameSessionFixture.h"
#include "host/tests/TestPictures.h"

#include <gtest/gtest.h>

namespace
{

using HostTests::DomainStrip;
using HostTests::RangeStrip;

class FrameGraphAxes : public HostTests::FrameSessionFixture
{
protected:
    FrameGraphAxes()
        : FrameSessionFixture("frame-graph-axes.csv", HostTests::OcclusionText(16), Host::OpenOptions{{}, true})
    {
    }
};

// Pixels that differ between two pictures of one window.
size_t ChangedPixels(const Host::WindowImage& before, const Host::WindowImage& after)
{
    size_t changed = 0;
    for (size_t i = 0; i < before.pixels.size() && i < after.pixels.size(); ++i)
        changed += (before.pixels[i] & 0xFFFFFF) != (after.pixels[i] & 0xFFFFFF);
    return changed;
}

TEST_F(FrameGraphAxes, ADoubleClickOnEitherAxisOfEveryGraphViewKeepsItsPlot)
{
    for (const wchar_t* name : HostTests::GraphViews)
    {
        const Host::ViewFrame* view = Frame().FindView(name);
        ASSERT_TRUE(view) << name;
        const HWND graph = HostTests::GraphOfView(view->ViewWindow());
        ASSERT_TRUE(graph) << name;
        // Input goes where the pointer is: a view out of the views area's sight is scrolled to first.
        HostTests::ScrollIntoSight(Frame(), view->Frame());
        for (const int strip : {DomainStrip, RangeStrip})
        {
            const Host::WindowImage before = Host::ReadWindowImage(graph);
            ASSERT_TRUE(HostTests::DoubleClickUntilTaken(Frame(), HostTests::ScreenCentreOf(GetDlgItem(graph, strip))))
                << name << " " << strip;
            const Host::WindowImage after = Host::ReadWindowImage(graph);
            EXPECT_LT(ChangedPixels(before, after), before.pixels.size() / 100) << name << " " << strip;
        }
    }
    HostTests::SaveTestPicture(Frame().Handle(), L"frame-graph-axes-double-clicked");
}

} // namespace
