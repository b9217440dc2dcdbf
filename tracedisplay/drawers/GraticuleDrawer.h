// The background layer of a channel strip: the fill, the shading outside the channel's displayed
// range, the level bands and lines, the pre-trigger hatch, the grid lines of the channel's vertical
// scale and of the time axis, and the trigger line. On screen the grid is stamped from cached
// one-pixel-wide monochrome columns; the metafile variant draws the same lines as pen strokes.
#pragma once

#include "tracedisplay/drawers/DrawerBase.h"
#include "tracedisplay/drawers/PreTriggerBackground.h"

#include "platform/owl/gdi/GdiObjects.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace StrixDraw
{

// The level bands and lines of a strip.
struct LevelSettings
{
    enum Flag : ULONG
    {
        DrawLevel1Line = 0x01,
        DrawLevel2Line = 0x02,
        FillAbove = 0x04,
        FillBelow = 0x08,
        FillBetween = 0x10,
        Level1On = 0x20,
        Level2On = 0x40,
    };
    static constexpr int RowLimit = 16000;

    LevelSettings();

    std::array<double, 2> levels;
    std::wstring level1Text;
    std::wstring level1Units;
    std::wstring level2Text;
    std::wstring level2Units;
    std::array<COLORREF, 2> lineColours{RGB(137, 137, 137), RGB(137, 137, 137)};
    COLORREF fillAbove = RGB(254, 194, 194);
    COLORREF fillBetween = RGB(177, 254, 197);
    COLORREF fillBelow = RGB(254, 194, 194);
    ULONG flags = 0;
    std::array<int, 2> rows{};
};

// The marker of a level that is not set: a NaN of its own bit pattern.
double UnsetLevel();

class GraticuleDrawer : public DrawerBase
{
public:
    static constexpr COLORREF TriggerColour = RGB(0, 0, 128);
    static constexpr COLORREF LiveBackground = RGB(235, 235, 220);
    static constexpr COLORREF RangeShading = RGB(245, 242, 230);

    // Grid flags.
    static constexpr ULONG NoScaleGrid = 0x80000000u;  // with the next: the scale gave no grid
    static constexpr ULONG NoVerticalGrid = 0x40000000u;
    static constexpr ULONG MetafileVariant = 0x20000000u;
    static constexpr ULONG SkipShownQuery = 0x00800000u;

    GraticuleDrawer(ULONG scaleId, COLORREF gridColour, ChannelPair source);
    GraticuleDrawer(const GraticuleDrawer& other);

    HRESULT STDMETHODCALLTYPE Attach(ULONG reserved, IUnknown* host) override;
    HRESULT STDMETHODCALLTYPE SetBounds(ULONG strip, const RECT* bounds) override;
    HRESULT STDMETHODCALLTYPE GetUpdateExtent(ULONG reserved, ULONG* flags, LONG* left, LONG* right,
                                              void* context) override;
    HRESULT STDMETHODCALLTYPE SetScaling(ULONG scaleId, ULONG reserved, const ScalePair* pair,
                                         IUnknown* scale) override;
    HRESULT STDMETHODCALLTYPE Invalidate(ULONG reason) override;
    HRESULT STDMETHODCALLTYPE Draw(HDC dc, LONGLONG from, LONGLONG to, LONGLONG preTrigger, LONG record,
                                   LONG xOffset, const RECT* clip, ULONG drawFlags, ULONG option,
                                   ULONG reserved) override;
    HRESULT STDMETHODCALLTYPE PrepareRecord(ULONG argument) override;
    HRESULT STDMETHODCALLTYPE ApplyChannelSettings(IUnknown* settings, IUnknown* preferences, LONG channel) override;
    HRESULT STDMETHODCALLTYPE SetEnvironment(IDrawerDataPane* environment) override;
    HRESULT STDMETHODCALLTYPE Clone(ULONG flags, IStrixRecordDrawer** clone) override;
    LevelSettings* STDMETHODCALLTYPE GetLevelSettings() override;

    COLORREF GridColour() const { return gridColour_; }
    ULONG GridFlags() const { return gridFlags_; }
    bool HasPreTriggerBackground() const { return static_cast<bool>(preTrigger_); }
    const DrawPreTriggerBackground* PreTriggerBackground() const { return preTrigger_.get(); }
    int ColumnHeight() const { return minorColumn_ ? minorColumn_->Height() : 0; }

protected:
    struct GridLine
    {
        int row;
        int kind;
    };
    static constexpr int MajorLine = 2;

    // The horizontal grid's column bitmaps.
    virtual void RebuildColumns();
    // The grid pass's horizontal lines over the columns [fromX, toX).
    virtual void StampHorizontalLines(HDC dc, int fromX, int toX, COLORREF colour, bool major);
    // Vertical lines at the grid positions first + k * spacing whose columns (position - columnBase) fall in
    // [fromX, toX); true when one was drawn.
    virtual bool DrawVerticalLines(HDC dc, int fromX, int toX, LONGLONG columnBase, double first, double spacing,
                                   COLORREF colour, bool major);

    const std::vector<GridLine>& Lines() const { return lines_; }
    void MarkMetafileVariant() { gridFlags_ |= MetafileVariant; }
    // The memory DC that holds a column bitmap during a grid pass.
    HDC StampDC() const { return stamp_; }
    int Top() const { return bounds.top; }
    int StripHeight() const { return bounds.Height(); }

private:
    struct Columns
    {
        int start;      // first column drawn on (bands, grid)
        int background; // first column of the background
        int end;        // column after the last
        LONGLONG gridPosition;
    };
    struct GridPass
    {
        double first;
        double spacing;
        COLORREF colour;
        bool major;
    };

    void PublishLayoutHints();
    void UpdateScaleLines();
    void RefreshLevelTransform(LONG record);
    void FillColumns(HDC dc, int fromX, int toX, int top, int bottom, COLORREF colour) const;
    bool ChannelShown(LONG record) const;
    COLORREF BackgroundFor(LONG record, bool systemBackground) const;
    void DrawLevelBands(HDC dc, const Columns& columns);
    void DrawRangeShading(HDC dc, const Columns& columns) const;
    void DrawGrid(HDC dc, const Columns& columns, LONGLONG from, LONG xOffset, ULONG option);
    void DrawLevelLines(HDC dc, const Columns& columns) const;
    void DrawRecordStart(HDC dc, LONG record, LONGLONG preTrigger, LONG xOffset) const;
    void DrawTriggerLine(HDC dc, const Columns& columns, LONGLONG preTrigger, LONG xOffset, ULONG drawFlags) const;

    std::array<ULONG, 2> liveStartWords_{};
    ULONG scaleId_;
    COLORREF gridColour_;
    std::unique_ptr<OWL::TBitmap> minorColumn_;
    std::unique_ptr<OWL::TBitmap> majorColumn_;
    std::unique_ptr<OWL::TBitmap> verticalColumn_;
    ScalePair valueTransform_;
    ScalePair levelTransform_;
    Orv::ComPtr<IUnknown> scale_;
    std::unique_ptr<DrawPreTriggerBackground> preTrigger_;
    int layoutMargin_ = 0;
    LevelSettings levels_;
    LONG cachedRecord_ = -1;
    std::vector<GridLine> lines_;
    ULONG gridFlags_ = 0;
    ULONG gridStyle_ = 0;
    int topEdge_ = 0;
    int bottomEdge_ = 0;
    bool hasTopEdge_ = false;
    bool hasBottomEdge_ = false;
    bool showGrid_ = true;
    bool showTrigger_ = true;
    HDC stamp_ = nullptr;
    std::array<int, 2> levelRows_{};
};

// Draws the same graticule as pen strokes in the device's nearest colours, for metafiles and printers.
class MetafileGraticuleDrawer : public GraticuleDrawer
{
public:
    explicit MetafileGraticuleDrawer(const GraticuleDrawer& other);

protected:
    void RebuildColumns() override;
    void StampHorizontalLines(HDC dc, int fromX, int toX, COLORREF colour, bool major) override;
    bool DrawVerticalLines(HDC dc, int fromX, int toX, LONGLONG columnBase, double first, double spacing,
                           COLORREF colour, bool major) override;

private:
    OWL::TPen DottedPen(HDC dc, COLORREF colour, bool major) const;
};

} // namespace StrixDraw
