#include "tracedisplay/drawers/GraticuleDrawer.h"

#include "tracedisplay/drawers/HostLevelSettings.h"

#include "controls/windows/SmallWindowUtilities.h"
#include "foundation/numbers/NumberUtilities.h"
#include "hostapi/ScaleControl.h"

#include "platform/owl/gdi/DC.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace StrixDraw
{

namespace
{
constexpr ULONG GraticuleUpdateFlags = 0x80000000u;
constexpr ULONG GridOff = GraticuleDrawer::NoScaleGrid | GraticuleDrawer::NoVerticalGrid;
constexpr DWORD PaintBrushWhereColumnBlack = 0xB8074A;
constexpr ULONG PreTriggerSampling = 0x80000000u;
constexpr ULONG RecordStartsHidden = 0x40000000u;
constexpr int SystemBackgroundIndex = 22;
constexpr int TriggerMargin = 2;
constexpr double MajorSaturation = 0.15;
constexpr double MajorSaturationDotted = -0.3;
constexpr double MaxMinorSaturation = 0.35;

// Calls draw for each column of [fromX, toX) on which a grid position first + k * spacing falls; true
// when there was one.
template <class Draw>
bool ForEachGridColumn(int fromX, int toX, LONGLONG columnBase, double first, double spacing, Draw&& draw)
{
    bool drawn = false;
    for (double x = first;; x += spacing)
    {
        const LONGLONG column = static_cast<LONGLONG>(std::floor(x + 0.5)) - columnBase;
        if (column >= toX)
            break;
        if (column < fromX)
            continue;
        draw(static_cast<int>(column));
        drawn = true;
    }
    return drawn;
}

int ClampRow(double row)
{
    if (!std::isfinite(row))
        return row < 0 ? -LevelSettings::RowLimit : LevelSettings::RowLimit;
    return static_cast<int>(std::clamp(row, static_cast<double>(-LevelSettings::RowLimit),
                                       static_cast<double>(LevelSettings::RowLimit)));
}
} // namespace

double UnsetLevel()
{
    constexpr unsigned long long Bits = 0x7FF8700000000000ull;
    double value;
    std::memcpy(&value, &Bits, sizeof value);
    return value;
}

LevelSettings::LevelSettings() : levels{UnsetLevel(), UnsetLevel()}
{
}

GraticuleDrawer::GraticuleDrawer(ULONG scaleId, COLORREF gridColour, ChannelPair source)
    : DrawerBase(DrawerKind::Graticule, source), scaleId_(scaleId), gridColour_(gridColour)
{
}

// A copy keeps the look (colours, grid options) but none of the bitmaps, caches or interfaces.
GraticuleDrawer::GraticuleDrawer(const GraticuleDrawer& other)
    : DrawerBase(other), liveStartWords_(other.liveStartWords_), scaleId_(other.scaleId_),
      gridColour_(other.gridColour_), gridFlags_(other.gridFlags_), gridStyle_(other.gridStyle_),
      showGrid_(other.showGrid_), showTrigger_(other.showTrigger_)
{
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::Attach(ULONG reserved, IUnknown* host)
{
    DrawerBase::Attach(reserved, host);
    liveStartWords_ = {};
    PublishLayoutHints();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::SetBounds(ULONG strip, const RECT* rect)
{
    DrawerBase::SetBounds(strip, rect);
    if (StripHeight() > 0 && StripHeight() != ColumnHeight())
        RebuildColumns();
    PublishLayoutHints();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::GetUpdateExtent(ULONG, ULONG* updateFlags, LONG* left, LONG* right, void*)
{
    return AnswerUpdateExtent(updateFlags, left, right, GraticuleUpdateFlags, 0, 0);
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::SetScaling(ULONG scaleId, ULONG, const ScalePair* pair, IUnknown* scale)
{
    if (scaleId != scaleId_)
        return S_FALSE;
    cachedRecord_ = -1;
    if (pair)
        valueTransform_ = *pair;
    Orv::ComPtr<IUnknown> view;
    if (scale && SUCCEEDED(scale->QueryInterface(IID_IScaleControlView, view.PutVoid())) && view)
    {
        scale_ = view;
        UpdateScaleLines();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::Invalidate(ULONG)
{
    cachedRecord_ = -1;
    if (live && Host())
    {
        LONGLONG start = 0;
        Host()->GetLiveStart(0, &start);
        liveStartWords_ = {static_cast<ULONG>(start), static_cast<ULONG>(start >> 32)};
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::PrepareRecord(ULONG)
{
    if (!preTrigger_)
    {
        preTrigger_ = std::make_unique<DrawPreTriggerBackground>();
        preTrigger_->Prepare(Environment(), StripHeight());
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::ApplyChannelSettings(IUnknown* settings, IUnknown* preferences, LONG)
{
    Orv::ComPtr<IGridOptions> options;
    if (settings && SUCCEEDED(settings->QueryInterface(IID_IGridOptions, options.PutVoid())) && options)
    {
        COLORREF colour = gridColour_;
        SHORT show = 0;
        ULONG style = 0;
        if (SUCCEEDED(options->GetOptions(&colour, &show, &style)))
        {
            gridColour_ = colour;
            showGrid_ = show != 0;
            gridStyle_ = style;
        }
        SHORT trigger = 0;
        if (SUCCEEDED(options->GetShowTrigger(&trigger)) && (trigger != 0) != showTrigger_)
        {
            showTrigger_ = trigger != 0;
            PublishLayoutHints();
        }
    }
    Orv::ComPtr<IPreferenceSource> source;
    if (preferences && SUCCEEDED(preferences->QueryInterface(IID_IPreferenceSource, source.PutVoid())) && source)
        LoadHostGridColours(levels_, source.Get(), sourceChannel);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::SetEnvironment(IDrawerDataPane* environment)
{
    DrawerBase::SetEnvironment(environment);
    PublishLayoutHints();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::Clone(ULONG cloneFlags, IStrixRecordDrawer** clone)
{
    if (!clone)
        return S_OK;
    GraticuleDrawer* copy = (cloneFlags & CloneForMetafile) ? new MetafileGraticuleDrawer(*this)
                                                            : new GraticuleDrawer(*this);
    copy->AddRef();
    *clone = copy;
    return S_OK;
}

LevelSettings* STDMETHODCALLTYPE GraticuleDrawer::GetLevelSettings()
{
    return &levels_;
}

// Tells the strip how much room the graticule wants: its margins and whether a trigger line shows.
void GraticuleDrawer::PublishLayoutHints()
{
    if (!Environment() || !Host())
        return;
    void* strip = nullptr;
    if (FAILED(Environment()->GetUnitsSource(ownerWord, &strip)) || !strip)
        return;
    owner = strip;
    layoutMargin_ = showTrigger_ ? TriggerMargin : 0;
    const double factor = DeviceFactorX();
    Host()->SetLayoutHint(0, 0);
    Host()->SetLayoutHint(0x80000001u, static_cast<LONG>(factor * 7.0));
    Host()->SetLayoutHint(0x80000002u, layoutMargin_ + 5);
    Host()->SetLayoutHint(3u + (showTrigger_ ? 1u : 0u), 0);
}

void GraticuleDrawer::RebuildColumns()
{
    const int height = StripHeight();
    minorColumn_ = std::make_unique<OWL::TBitmap>(1, height, 1, 1, nullptr);
    majorColumn_ = std::make_unique<OWL::TBitmap>(1, height, 1, 1, nullptr);
    verticalColumn_ = std::make_unique<OWL::TBitmap>(1, height, 1, 1, nullptr);
    {
        OWL::TMemoryDC dc;
        for (const auto* column : {minorColumn_.get(), majorColumn_.get()})
        {
            OWL::SelectedObject selected(dc.GetHDC(), column->GetHandle());
            PatBlt(dc, 0, 0, 1, height, WHITENESS);
        }
        OWL::SelectedObject selected(dc.GetHDC(), verticalColumn_->GetHandle());
        PatBlt(dc, 0, 0, 1, height, WHITENESS);
        PatBlt(dc, 0, 0, 1, height, BLACKNESS);
    }
    if (preTrigger_)
        preTrigger_->Prepare(Environment(), height);
    // New columns are blank: a known scale's lines go back into them.
    if (scale_)
        UpdateScaleLines();
}

// Reads the scale's grid lines and displayed range into the line array, the range edges and the
// horizontal-line columns.
void GraticuleDrawer::UpdateScaleLines()
{
    if (bounds.IsEmpty())
        return;
    hasTopEdge_ = hasBottomEdge_ = false;
    gridFlags_ |= GridOff;
    lines_.clear();
    Orv::ComPtr<IScaleControlView> view = scale_ ? scale_.As<IScaleControlView>(IID_IScaleControlView)
                                                 : Orv::ComPtr<IScaleControlView>();
    LONG count = 0;
    if (view && SUCCEEDED(view->GetTickCount(&count)) && count >= 0)
    {
        gridFlags_ &= ~GridOff;
        std::vector<ScaleTick> ticks(static_cast<size_t>(count));
        LONG written = 0;
        if (count > 0)
            view->FillTicks(ticks.data(), count, &written);
        for (LONG i = 0; i < std::clamp(written, 0L, count); ++i)
            lines_.push_back({ticks[i].pixel, ticks[i].major ? MajorLine : 1});
    }
    Orv::ComPtr<IScaleControl> control = scale_ ? scale_.As<IScaleControl>(IID_IScaleControl)
                                                : Orv::ComPtr<IScaleControl>();
    double high = 0.0;
    double low = 0.0;
    if (control && SUCCEEDED(control->GetLimits(&high, &low)))
    {
        double a = (low + valueTransform_.offset) * valueTransform_.scale;
        double b = (high + valueTransform_.offset) * valueTransform_.scale;
        if (a > b)
            std::swap(a, b);
        const double height = StripHeight();
        if (std::isfinite(a) && a > 0 && a < height)
        {
            topEdge_ = static_cast<int>(a);
            hasTopEdge_ = true;
        }
        if (std::isfinite(b) && b > 0 && b < height)
        {
            bottomEdge_ = static_cast<int>(b);
            hasBottomEdge_ = true;
        }
    }
    if (!minorColumn_)
        return;
    OWL::TMemoryDC dc;
    for (const bool major : {false, true})
    {
        OWL::SelectedObject selected(dc.GetHDC(), (major ? majorColumn_ : minorColumn_)->GetHandle());
        PatBlt(dc, 0, 0, 1, StripHeight(), WHITENESS);
        if ((gridFlags_ & GridOff) == GridOff)
            continue;
        for (const GridLine& line : lines_)
            if (line.row >= 0 && (line.kind == MajorLine) == major)
                SetPixel(dc, 0, line.row, RGB(0, 0, 0));
    }
}

// The level transform maps level values (in the units the level was entered in) to strip rows.
void GraticuleDrawer::RefreshLevelTransform(LONG record)
{
    double a = 1.0;
    double b = 1.0;
    double c = 0.0;
    if (FAILED(Environment()->GetScaleInfo(ownerWord, scaleId_, record, &a, &b, &c)) || b == 0.0)
        a = b = 1.0, c = 0.0;
    const double d = a / b;
    levelTransform_ = d != 0.0 ? ScalePair{1.0 / d, -c * d} : ScalePair{0.0, c};
    if (levelTransform_.scale != 0.0)
    {
        levelTransform_.offset = valueTransform_.offset / levelTransform_.scale + levelTransform_.offset;
        levelTransform_.scale = valueTransform_.scale * levelTransform_.scale;
    }
}

void GraticuleDrawer::FillColumns(HDC dc, int fromX, int toX, int top, int bottom, COLORREF colour) const
{
    if (fromX >= toX || top >= bottom)
        return;
    const RECT rect{fromX, Top() + top, toX, Top() + bottom};
    OWL::TBrush brush(colour);
    ::FillRect(dc, &rect, brush);
}

bool GraticuleDrawer::ChannelShown(LONG record) const
{
    if ((gridFlags_ & GridOff) == GridOff)
        return false;
    if ((gridFlags_ & SkipShownQuery) || !DataSource())
        return true;
    SHORT shown = 0;
    return SUCCEEDED(DataSource()->IsValid(RequestWord(), record, sourceChannel, &shown)) && shown != 0;
}

COLORREF GraticuleDrawer::BackgroundFor(LONG record, bool systemBackground) const
{
    if (systemBackground)
        return GetSysColor(SystemBackgroundIndex);
    if (live && !samplingNewRecord && record == liveRecord)
        return LiveBackground;
    return BackgroundColour();
}

void GraticuleDrawer::DrawLevelBands(HDC dc, const Columns& columns)
{
    const ULONG flags = levels_.flags;
    const bool on[2] = {(flags & LevelSettings::Level1On) != 0, (flags & LevelSettings::Level2On) != 0};
    if ((!on[0] && !on[1]) || columns.start >= columns.end)
        return;
    const std::wstring* units[2] = {&levels_.level1Units, &levels_.level2Units};
    int rows[2] = {0, 0};
    for (int i = 0; i < 2; ++i)
    {
        double value = levels_.levels[i];
        if (!units[i]->empty())
            value /= Orv::PrefixScale((*units[i])[0]);
        rows[i] = ClampRow((value + levelTransform_.offset) * levelTransform_.scale);
        levelRows_[i] = rows[i];
    }
    int r1 = on[0] ? rows[0] : rows[1];
    int r2 = on[1] ? rows[1] : rows[0];
    if (r1 > r2)
        std::swap(r1, r2);
    levels_.rows = {r1, r2};
    const ULONG between = LevelSettings::FillBetween | LevelSettings::Level1On | LevelSettings::Level2On;
    if ((flags & between) == between)
        FillColumns(dc, columns.start, columns.end, r1, r2, levels_.fillBetween);
    const bool higherAtTop = levelTransform_.scale <= 0.0;
    const int height = StripHeight();
    if (flags & LevelSettings::FillAbove)
    {
        if (higherAtTop)
            FillColumns(dc, columns.start, columns.end, 0, r1, levels_.fillAbove);
        else
            FillColumns(dc, columns.start, columns.end, r2, height, levels_.fillAbove);
    }
    if (flags & LevelSettings::FillBelow)
    {
        if (higherAtTop)
            FillColumns(dc, columns.start, columns.end, r2, height, levels_.fillBelow);
        else
            FillColumns(dc, columns.start, columns.end, 0, r1, levels_.fillBelow);
    }
}

void GraticuleDrawer::DrawRangeShading(HDC dc, const Columns& columns) const
{
    if (gridFlags_ & NoVerticalGrid)
        return;
    if (hasTopEdge_)
        FillColumns(dc, columns.start, columns.end, 0, topEdge_, RangeShading);
    if (hasBottomEdge_)
        FillColumns(dc, columns.start, columns.end, bottomEdge_, StripHeight(), RangeShading);
}

void GraticuleDrawer::DrawGrid(HDC dc, const Columns& columns, LONGLONG from, LONG xOffset, ULONG option)
{
    if (columns.start >= columns.end || !showGrid_ || option != 0)
        return;
    TimeGrid grid;
    const bool hasTimeGrid = Environment() && Environment()->GetTimeGrid(&grid) == S_OK && grid.spacing > 0.0;
    const double t = static_cast<double>(columns.gridPosition);
    const auto alignedFirst = [t](double first, double spacing) {
        if (std::floor(first + 0.5) < t)
            first = std::floor((t - first) / spacing + 0.5) * spacing + first;
        return first;
    };
    const COLORREF major = OrvControls::AdjustColourSaturation(
        gridColour_, gridStyle_ == 1 ? MajorSaturationDotted : MajorSaturation);
    const COLORREF minor = OrvControls::AdjustColourSaturation(
        major, std::min(MaxMinorSaturation, OrvControls::HsvColor(major).saturation / 1.6));
    const double majorSpacing = grid.spacing * std::max(1, grid.minorPerMajor);
    const GridPass passes[2] = {
        {hasTimeGrid ? alignedFirst(grid.firstMinor, grid.spacing) : 0.0, grid.spacing, minor, false},
        {hasTimeGrid ? alignedFirst(grid.firstMajor, majorSpacing) : 0.0, majorSpacing, major, true}};
    const LONGLONG columnBase = from - xOffset;
    for (const GridPass& pass : passes)
    {
        const COLORREF colour = AdjustColour(pass.colour);
        OWL::TMemoryDC stamp(dc);
        stamp_ = stamp.GetHDC();
        OWL::TBrush brush(colour);
        OWL::SelectedObject selectedBrush(dc, brush.GetHandle());
        const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
        const COLORREF oldBack = SetBkColor(dc, RGB(255, 255, 255));
        if (gridStyle_ == 0 && !(gridFlags_ & NoScaleGrid))
            StampHorizontalLines(dc, columns.start, columns.end, colour, pass.major);
        if (!(gridFlags_ & NoVerticalGrid) && hasTimeGrid)
            DrawVerticalLines(dc, columns.start, columns.end, columnBase, pass.first, pass.spacing, colour,
                              pass.major);
        SetTextColor(dc, oldText);
        SetBkColor(dc, oldBack);
        stamp_ = nullptr;
    }
}

void GraticuleDrawer::StampHorizontalLines(HDC dc, int fromX, int toX, COLORREF, bool major)
{
    const OWL::TBitmap* column = (major ? majorColumn_ : minorColumn_).get();
    if (!column)
        return;
    OWL::SelectedObject selected(stamp_, column->GetHandle());
    for (int x = fromX; x < toX; ++x)
        BitBlt(dc, x, Top(), 1, StripHeight(), stamp_, 0, 0, PaintBrushWhereColumnBlack);
}

bool GraticuleDrawer::DrawVerticalLines(HDC dc, int fromX, int toX, LONGLONG columnBase, double first,
                                        double spacing, COLORREF, bool)
{
    // A dotted grid stamps the horizontal lines' pixels where the vertical lines would run.
    const OWL::TBitmap* column = (gridStyle_ != 0 ? minorColumn_ : verticalColumn_).get();
    if (!column || spacing <= 0.0)
        return false;
    OWL::SelectedObject selected(stamp_, column->GetHandle());
    return ForEachGridColumn(fromX, toX, columnBase, first, spacing, [&](int x) {
        BitBlt(dc, x, Top(), 1, StripHeight(), stamp_, 0, 0, PaintBrushWhereColumnBlack);
    });
}

void GraticuleDrawer::DrawLevelLines(HDC dc, const Columns& columns) const
{
    const ULONG lineAndOn[2] = {LevelSettings::DrawLevel1Line | LevelSettings::Level1On,
                                LevelSettings::DrawLevel2Line | LevelSettings::Level2On};
    const bool both = (levels_.flags & LevelSettings::Level1On) && (levels_.flags & LevelSettings::Level2On);
    if (columns.start >= columns.end)
        return;
    for (int i = 0; i < 2; ++i)
    {
        if ((levels_.flags & lineAndOn[i]) != lineAndOn[i])
            continue;
        // With one level on both rows are its row; with two, the rows were ordered.
        const int row = both ? levelRows_[i] : levels_.rows[0];
        OWL::TPen pen(levels_.lineColours[i]);
        OWL::SelectedObject selected(dc, pen.GetHandle());
        MoveToEx(dc, columns.start, Top() + row, nullptr);
        LineTo(dc, columns.end, Top() + row);
    }
}

void GraticuleDrawer::DrawRecordStart(HDC dc, LONG record, LONGLONG preTrigger, LONG xOffset) const
{
    if (record <= 0 || !owner || !Environment())
        return;
    ULONG second = 0;
    ULONG stateFlags = 0;
    Environment()->GetStateWords(&second, &stateFlags);
    if ((stateFlags & RecordStartsHidden) || Environment()->MarksRecordStarts(sourceChannel) != S_OK)
        return;
    const int right = static_cast<int>(xOffset - preTrigger - layoutMargin_) + std::max(0, layoutMargin_ - 2);
    const int width = IsPrinting() ? static_cast<int>(0.3 * DeviceFactorX() + 0.5) : 1;
    OWL::TPen pen(RGB(0, 0, 0), std::max(1, width));
    OWL::SelectedObject selected(dc, pen.GetHandle());
    MoveToEx(dc, right, Top(), nullptr);
    LineTo(dc, right, Top() + StripHeight());
}

void GraticuleDrawer::DrawTriggerLine(HDC dc, const Columns& columns, LONGLONG preTrigger, LONG xOffset,
                                      ULONG drawFlags) const
{
    if ((drawFlags & DrawFlag::NoTriggerLine) || !showTrigger_ || preTrigger >= 0 || preTrigger == -1)
        return;
    const LONGLONG trigger = xOffset - preTrigger;
    if (trigger < columns.start - 3 || trigger >= columns.end)
        return;
    const bool printing = IsPrinting();
    LOGBRUSH brush{BS_SOLID, printing ? RGB(0, 0, 0) : TriggerColour, 0};
    const int width = printing ? static_cast<int>(PixelsPerMm() * 0.4 + 0.5) : 2;
    OWL::TPen pen(ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, width, &brush, 0, nullptr), OWL::AutoDelete);
    OWL::SelectedObject selected(dc, pen.GetHandle());
    MoveToEx(dc, static_cast<int>(trigger), Top() + 2, nullptr);
    LineTo(dc, static_cast<int>(trigger), Top() + StripHeight() - 2);
}

HRESULT STDMETHODCALLTYPE GraticuleDrawer::Draw(HDC dc, LONGLONG from, LONGLONG to, LONGLONG preTrigger, LONG record,
                                                LONG xOffset, const RECT* clip, ULONG drawFlags, ULONG option, ULONG)
{
    if (!clip || StripHeight() <= 0)
        return S_OK;
    Columns columns{};
    columns.end = static_cast<int>(std::min<LONGLONG>(xOffset + (to - from), clip->right));
    columns.background = record == 0 ? clip->left : std::max<LONG>(xOffset, clip->left);
    // With a pre-trigger the stretch's drawing starts where the trigger fell.
    columns.start = preTrigger < 0 ? static_cast<int>(std::max<LONGLONG>(xOffset - preTrigger, clip->left))
                                   : std::max<LONG>(xOffset, clip->left);
    columns.gridPosition = from + (columns.start - xOffset);

    const bool systemBackground = !ChannelShown(record);
    if (!(gridFlags_ & MetafileVariant))
        FillColumns(dc, columns.background, columns.end, 0, StripHeight(), BackgroundFor(record, systemBackground));
    if (owner && Environment() && record != cachedRecord_)
    {
        RefreshLevelTransform(record);
        if (scale_)
            UpdateScaleLines();
    }
    DrawLevelBands(dc, columns);
    if (preTrigger_ && (static_cast<ULONG>(samplingRecord) & PreTriggerSampling) && record == liveRecord && live)
    {
        POINT old{};
        OffsetWindowOrgEx(dc, 0, -Top(), &old);
        preTrigger_->Draw(dc, columns.gridPosition, columns.start, columns.end);
        SetWindowOrgEx(dc, old.x, old.y, nullptr);
    }
    DrawRangeShading(dc, columns);
    DrawGrid(dc, columns, from, xOffset, option);
    DrawLevelLines(dc, columns);
    DrawRecordStart(dc, record, preTrigger, xOffset);
    DrawTriggerLine(dc, columns, preTrigger, xOffset, drawFlags);
    cachedRecord_ = record;
    return S_OK;
}

MetafileGraticuleDrawer::MetafileGraticuleDrawer(const GraticuleDrawer& other) : GraticuleDrawer(other)
{
    MarkMetafileVariant();
}

void MetafileGraticuleDrawer::RebuildColumns()
{
}

OWL::TPen MetafileGraticuleDrawer::DottedPen(HDC dc, COLORREF colour, bool major) const
{
    LOGBRUSH brush{BS_SOLID, GetNearestColor(dc, colour), 0};
    const int width = static_cast<int>((major ? 0.3 : 0.2) * PixelsPerMm() + 0.5);
    return OWL::TPen(ExtCreatePen(PS_GEOMETRIC | PS_DOT, std::max(1, width), &brush, 0, nullptr), OWL::AutoDelete);
}

void MetafileGraticuleDrawer::StampHorizontalLines(HDC dc, int fromX, int toX, COLORREF colour, bool major)
{
    OWL::TPen pen = DottedPen(dc, colour, major);
    OWL::SelectedObject selected(dc, pen.GetHandle());
    for (const GridLine& line : Lines())
    {
        if (line.row < 0 || (line.kind == MajorLine) != major)
            continue;
        MoveToEx(dc, fromX, Top() + line.row, nullptr);
        LineTo(dc, toX, Top() + line.row);
    }
}

bool MetafileGraticuleDrawer::DrawVerticalLines(HDC dc, int fromX, int toX, LONGLONG columnBase, double first,
                                                double spacing, COLORREF colour, bool major)
{
    if (spacing <= 0.0)
        return false;
    OWL::TPen pen = DottedPen(dc, colour, major);
    OWL::SelectedObject selected(dc, pen.GetHandle());
    return ForEachGridColumn(fromX, toX, columnBase, first, spacing, [&](int x) {
        MoveToEx(dc, x, Top(), nullptr);
        LineTo(dc, x, Top() + StripHeight());
    });
}

} // namespace StrixDraw
