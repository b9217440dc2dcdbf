#include "platform/owl/window/LayoutWindow.h"

#include "platform/owl/gdi/DC.h"

#include "foundation/com/XOrv.h"

#include <optional>

namespace OWL
{

namespace
{

// One axis of a child: the edges and the extent the constraints fix, and the rectangle once two fix it.
struct AxisSolution
{
    std::optional<int> low, high, center, extent;
    bool solved = false;

    void Apply(TEdge edge, int value)
    {
        switch (edge)
        {
        case lmLeft:
        case lmTop: low = value; break;
        case lmRight:
        case lmBottom: high = value; break;
        case lmCenter: center = value; break;
        default: extent = value; break;
        }
    }
    // Completes the axis when two of its values are known.
    void Complete()
    {
        if (low && high) {}
        else if (low && extent) high = *low + *extent;
        else if (high && extent) low = *high - *extent;
        else if (center && extent) { low = *center - *extent / 2; high = *low + *extent; }
        else if (low && center) high = 2 * *center - *low;
        else if (high && center) low = 2 * *center - *high;
        else return;
        solved = true;
    }
    int Value(TEdge edge) const
    {
        switch (edge)
        {
        case lmLeft:
        case lmTop: return *low;
        case lmRight:
        case lmBottom: return *high;
        case lmCenter: return (*low + *high) / 2;
        default: return *high - *low;
        }
    }
};

struct ChildSolution
{
    AxisSolution horizontal, vertical;
};

bool IsVertical(TEdge edge)
{
    return edge == lmTop || edge == lmBottom || edge == lmHeight;
}

} // namespace

void TEdgeConstraint::Set(TEdge edge, TRelationship relationship, TWindow* otherWin, TEdge otherEdge, int value)
{
    MyEdge = edge;
    Relationship = relationship;
    RelWin = otherWin;
    OtherEdge = otherEdge;
    Value = value;
}

TLayoutMetrics::TLayoutMetrics()
{
    X.AsIs(lmLeft);
    Y.AsIs(lmTop);
    Width.AsIs(lmWidth);
    Height.AsIs(lmHeight);
}

void TLayoutMetrics::SetMeasurementUnits(TMeasurementUnits units)
{
    X.Units = Y.Units = Width.Units = Height.Units = units;
}

DEFINE_RESPONSE_TABLE1(TLayoutWindow, TWindow)
    EV_WM_SIZE,
END_RESPONSE_TABLE;

TLayoutWindow::TLayoutWindow(TWindow* parent, const wchar_t* title, TModule* module) : TWindow(parent, title, module)
{
}

void TLayoutWindow::SetChildLayoutMetrics(TWindow& child, const TLayoutMetrics& metrics)
{
    Metrics[&child] = metrics;
}

bool TLayoutWindow::GetChildLayoutMetrics(TWindow& child, TLayoutMetrics& metrics) const
{
    const auto found = Metrics.find(&child);
    if (found == Metrics.end())
        return false;
    metrics = found->second;
    return true;
}

bool TLayoutWindow::RemoveChildLayoutMetrics(TWindow& child)
{
    bool removed = Metrics.erase(&child) != 0;
    // A constraint that named the child now names nothing it can be solved against.
    for (auto& [window, metrics] : Metrics)
        for (TEdgeConstraint* constraint : {&metrics.X, &metrics.Y, &metrics.Width, &metrics.Height})
            if (constraint->RelWin == &child)
            {
                constraint->AsIs(constraint->MyEdge);
                removed = true;
            }
    return removed;
}

void TLayoutWindow::RemoveChild(TWindow* child)
{
    if (child)
        RemoveChildLayoutMetrics(*child);
    TWindow::RemoveChild(child);
}

int TLayoutWindow::ToPixels(TMeasurementUnits units, int value) const
{
    if (units == lmPixels)
        return value;
    const HFONT font = Handle ? GetWindowFont() : nullptr;
    TScreenDC dc;
    SelectedObject selected(dc, font ? static_cast<HGDIOBJ>(font) : ::GetStockObject(DEFAULT_GUI_FONT));
    return ::MulDiv(value, dc.GetTextMetrics().tmHeight, 8);
}

std::map<TWindow*, TRect> TLayoutWindow::Solve(const TSize& clientSize) const
{
    ChildSolution parent;
    parent.horizontal.low = 0;
    parent.horizontal.high = clientSize.cx;
    parent.horizontal.solved = true;
    parent.vertical.low = 0;
    parent.vertical.high = clientSize.cy;
    parent.vertical.solved = true;

    std::map<TWindow*, ChildSolution> solutions;
    for (const auto& [child, metrics] : Metrics)
        solutions[child];

    // The value a constraint gives, or nothing while the window it names is not solved on that axis.
    auto evaluate = [&](TWindow* child, const TEdgeConstraint& constraint) -> std::optional<int> {
        const bool vertical = IsVertical(constraint.MyEdge) || (constraint.MyEdge == lmCenter &&
                                                                 &constraint == &Metrics.at(child).Y);
        if (constraint.Relationship == lmAsIs)
        {
            TRect now(TPoint(child->Attr.X, child->Attr.Y), TSize(child->Attr.W, child->Attr.H));
            AxisSolution axis;
            axis.low = vertical ? now.top : now.left;
            axis.high = vertical ? now.bottom : now.right;
            return axis.Value(constraint.MyEdge);
        }
        const int value = constraint.Relationship == lmPercentOf ? constraint.Value
                                                                  : ToPixels(constraint.Units, constraint.Value);
        if (constraint.Relationship == lmAbsolute)
            return value;
        const ChildSolution* other = &parent;
        if (constraint.RelWin)
        {
            const auto found = solutions.find(constraint.RelWin);
            if (found == solutions.end())
                throw XOrv(Orv::String(L"A layout constraint names a window without layout metrics"), E_INVALIDARG);
            other = &found->second;
        }
        const AxisSolution& axis = vertical ? other->vertical : other->horizontal;
        if (!axis.solved)
            return std::nullopt;
        const int otherValue = axis.Value(constraint.OtherEdge);
        switch (constraint.Relationship)
        {
        case lmPercentOf: return ::MulDiv(otherValue, value, 100);
        case lmAbove: return otherValue - value;
        case lmBelow: return otherValue + value;
        default: return otherValue + value; // lmSameAs
        }
    };

    for (size_t pass = 0, unsolved = solutions.size(); unsolved > 0; ++pass)
    {
        if (pass > Metrics.size())
            throw XOrv(Orv::String(L"The layout constraints depend on one another in a circle"), E_INVALIDARG);
        unsolved = 0;
        for (auto& [child, solution] : solutions)
        {
            const TLayoutMetrics& metrics = Metrics.at(child);
            for (auto [axis, first, second] : {std::tuple{&solution.horizontal, &metrics.X, &metrics.Width},
                                               std::tuple{&solution.vertical, &metrics.Y, &metrics.Height}})
            {
                if (axis->solved)
                    continue;
                for (const TEdgeConstraint* constraint : {first, second})
                    if (const std::optional<int> value = evaluate(child, *constraint))
                        axis->Apply(constraint->MyEdge, *value);
                axis->Complete();
                if (!axis->solved)
                {
                    *axis = AxisSolution{};
                    ++unsolved;
                }
            }
        }
    }

    std::map<TWindow*, TRect> rectangles;
    for (const auto& [child, solution] : solutions)
        rectangles[child] = TRect(*solution.horizontal.low, *solution.vertical.low, *solution.horizontal.high,
                                  *solution.vertical.high);
    return rectangles;
}

void TLayoutWindow::Layout()
{
    if (!Handle || Metrics.empty())
        return;
    for (const auto& [child, rect] : Solve(GetClientRect().Size()))
        if (child->GetHandle())
            child->MoveWindow(rect, true);
        else
            child->MoveWindow(rect);
}

void TLayoutWindow::EvSize(UINT sizeType, const TSize& size)
{
    TWindow::EvSize(sizeType, size);
    if (sizeType != SIZE_MINIMIZED)
        Layout();
}

} // namespace OWL
