// OWL::TLayoutWindow: a window that places its children by constraints: each child's horizontal
// position and width and vertical position and height are stated against the layout window (lmParent)
// or a sibling: the same edge (SameAs), beside it (LeftOf, RightOf, Above, Below), a percentage of it,
// an absolute value, or as the child is now (AsIs). Layout runs whenever the layout window is sized.
#pragma once

#include "platform/owl/window/Window.h"

#include <map>

namespace OWL
{

enum TEdge
{
    lmLeft,
    lmTop,
    lmRight,
    lmBottom,
    lmCenter,
    lmWidth,
    lmHeight,
};

enum TRelationship
{
    lmAsIs,
    lmPercentOf,
    lmAbove,
    lmLeftOf = lmAbove,
    lmBelow,
    lmRightOf = lmBelow,
    lmSameAs,
    lmAbsolute,
};

// Pixels, or layout units: eighths of the layout window's font height.
enum TMeasurementUnits
{
    lmPixels,
    lmLayoutUnits,
};

// The layout window itself as the other window of a constraint.
inline TWindow* const lmParent = nullptr;

struct TLayoutConstraint
{
    TWindow* RelWin = lmParent;
    TEdge MyEdge = lmLeft;
    TRelationship Relationship = lmAsIs;
    TEdge OtherEdge = lmLeft;
    TMeasurementUnits Units = lmLayoutUnits;
    // A margin or offset (SameAs, beside, Absolute) in Units, or a percentage (PercentOf).
    int Value = 0;
};

struct TEdgeConstraint : TLayoutConstraint
{
    void Set(TEdge edge, TRelationship relationship, TWindow* otherWin, TEdge otherEdge, int value = 0);
    void LeftOf(TWindow* sibling, int margin = 0) { Set(lmRight, lmLeftOf, sibling, lmLeft, margin); }
    void RightOf(TWindow* sibling, int margin = 0) { Set(lmLeft, lmRightOf, sibling, lmRight, margin); }
    void Above(TWindow* sibling, int margin = 0) { Set(lmBottom, lmAbove, sibling, lmTop, margin); }
    void Below(TWindow* sibling, int margin = 0) { Set(lmTop, lmBelow, sibling, lmBottom, margin); }
    void SameAs(TWindow* otherWin, TEdge edge, int offset = 0) { Set(edge, lmSameAs, otherWin, edge, offset); }
    void PercentOf(TWindow* otherWin, TEdge edge, int percent) { Set(edge, lmPercentOf, otherWin, edge, percent); }
    void Absolute(TEdge edge, int value) { Set(edge, lmAbsolute, lmParent, edge, value); }
    void AsIs(TEdge edge) { Set(edge, lmAsIs, lmParent, edge); }
};

struct TLayoutMetrics
{
    // By default a child stays where and as large as it is.
    TLayoutMetrics();
    void SetMeasurementUnits(TMeasurementUnits units);

    TEdgeConstraint X;      // lmLeft, lmRight or lmCenter
    TEdgeConstraint Y;      // lmTop, lmBottom or lmCenter
    TEdgeConstraint Width;  // lmWidth, or a second horizontal edge
    TEdgeConstraint Height; // lmHeight, or a second vertical edge
};

class TLayoutWindow : public TWindow
{
public:
    explicit TLayoutWindow(TWindow* parent, const wchar_t* title = nullptr, TModule* module = nullptr);

    DECLARE_RESPONSE_TABLE(TLayoutWindow);

    void SetChildLayoutMetrics(TWindow& child, const TLayoutMetrics& metrics);
    bool GetChildLayoutMetrics(TWindow& child, TLayoutMetrics& metrics) const;
    bool RemoveChildLayoutMetrics(TWindow& child);
    // Places every child that has metrics; throws XOrv when the constraints depend on one another in
    // a circle or name a window that has no metrics and is not the layout window.
    virtual void Layout();

    // The rectangles the constraints give the children, for a client area of the given size.
    std::map<TWindow*, TRect> Solve(const TSize& clientSize) const;

protected:
    void EvSize(UINT sizeType, const TSize& size);
    void RemoveChild(TWindow* child) override;

private:
    int ToPixels(TMeasurementUnits units, int value) const;

    std::map<TWindow*, TLayoutMetrics> Metrics;
};

} // namespace OWL
