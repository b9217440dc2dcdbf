// The diagonal hatching over the part of the live record recorded before the trigger, tiled from one
// monochrome pattern so that it stays fixed to the data while the strip scrolls.
#pragma once

#include "platform/owl/gdi/GdiObjects.h"

#include <windows.h>

#include <memory>

struct IDrawerDataPane;

namespace StrixDraw
{

class DrawPreTriggerBackgroundBase
{
public:
    virtual ~DrawPreTriggerBackgroundBase() = default;
    virtual void Prepare(IDrawerDataPane* environment, int height) = 0;
    virtual int Refresh(ULONG a, ULONG b, ULONG c, ULONG d) = 0;
    // Tiles the columns [fromX, toX) of the strip; position: the strip position of fromX.
    virtual int Draw(HDC dc, LONGLONG position, int fromX, int toX) = 0;
};

class DrawPreTriggerBackground : public DrawPreTriggerBackgroundBase
{
public:
    static constexpr COLORREF HatchColour = RGB(255, 239, 210);
    static constexpr int StripeSpacing = 20;

    DrawPreTriggerBackground();

    void Prepare(IDrawerDataPane* environment, int height) override;
    int Refresh(ULONG a, ULONG b, ULONG c, ULONG d) override;
    // 1 when there was nothing to draw (an empty stretch, no height), else 0.
    int Draw(HDC dc, LONGLONG position, int fromX, int toX) override;

    int Height() const { return height_; }
    int Period() const { return period_; }
    HBITMAP Pattern() const { return pattern_ ? pattern_->GetHandle() : nullptr; }

private:
    void BuildPattern();

    int height_ = 0;
    int period_ = 0;
    std::unique_ptr<OWL::TBitmap> pattern_;
};

} // namespace StrixDraw
