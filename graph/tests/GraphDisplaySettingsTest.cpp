#include "foundation/system/TracePalette.h"
#include "graph/graph2d/Graph2DDrawer.h"
#include "graph/grid/GraphDisplaySettings.h"

#include <gtest/gtest.h>

#include <map>

namespace
{
using namespace MGraph1;

// The settings a view would read from its host view, by setting id.
class ViewSettings : public IHostViewSettings
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetInteger(IHostSettingKey* key, LONG* value) override { return Read(key, value); }
    HRESULT STDMETHODCALLTYPE GetBoolean(IHostSettingKey* key, VARIANT_BOOL* value) override
    {
        LONG raw = 0;
        const HRESULT result = Read(key, &raw);
        if (result == S_OK)
            *value = raw ? VARIANT_TRUE : VARIANT_FALSE;
        return result;
    }
    std::map<ULONG, LONG> values;

private:
    HRESULT Read(IHostSettingKey* key, LONG* value)
    {
        ULONG id = 0;
        key->GetSettingId(&id);
        const auto found = values.find(id);
        if (found == values.end())
            return S_FALSE;
        *value = found->second;
        return S_OK;
    }
};

TEST(GraphDisplaySettingsTest, PreferencesComeFromTheHostAndColoursFromTheDefaultPalette)
{
    InitTraceColorPalette(false);
    const Orv::TracePaletteTable palette = DefaultTracePalette();
    ViewSettings view;
    view.values = {{DisplaySetting::TraceColour, 40}, {DisplaySetting::GridColour, 21},
                   {DisplaySetting::GridStyle, 1},    {DisplaySetting::GridShown, 1},
                   {DisplaySetting::Flag, 1}};
    const GraphDisplaySettings settings(&view);
    EXPECT_EQ(1, settings.count); // not written: 0, read as 1
    EXPECT_EQ(palette.colours[40 % palette.length], settings.traceColour);
    EXPECT_EQ(palette.colours[21 % palette.cycleLength + palette.cycleStart], settings.gridColour);
    EXPECT_TRUE(settings.flag);

    Graph2DDrawer drawer(nullptr);
    settings.ApplyTo(drawer);
    const GraphDisplayInfo info = drawer.GetDisplayInfo();
    EXPECT_EQ(settings.gridColour, info.gridColour);
    EXPECT_EQ(1, info.gridDots);
    EXPECT_TRUE(info.showGrid);
    EXPECT_EQ(175, info.word2);
    EXPECT_EQ(settings.gridColour, drawer.graticule->display.gridColour);
}

TEST(GraphDisplaySettingsTest, CountOfZeroReadsAsOneAndAHiddenGridStaysHidden)
{
    ViewSettings view;
    view.values = {{DisplaySetting::Count, 0}, {DisplaySetting::GridShown, 0}};
    const GraphDisplaySettings settings(&view);
    EXPECT_EQ(1, settings.count);
    EXPECT_FALSE(settings.gridShown);
    view.values[DisplaySetting::Count] = 3;
    EXPECT_EQ(3, GraphDisplaySettings(&view).count);
}

} // namespace
