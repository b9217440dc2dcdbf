// Where the cuvette calibration view puts its controls and its plot at a given client size. The
// standard places hold wherever they leave every control whole; below that the plot narrows first, the
// fit's text wraps onto a second line, the bottom band's equation moves to the left and then onto a row
// under its check box, and the view names the least size at which all of that still fits (its host
// scrolls it below that).
#pragma once

#include <windows.h>

namespace Sistra
{

struct CuvetteLayoutInput
{
    SIZE client;
    // The single-line extents of the texts whose controls are sized to them.
    SIZE enableText;
    SIZE equationStartText;
    SIZE equationMiddleText;
    SIZE resultText;
    bool applyShown;
    // The check box, labels and edits of the bottom band (hidden in workflow mode).
    bool equationShown;
    // The edits' width: room for the longest number they show.
    int numberWidth = 55;
};

struct CuvetteLayout
{
    // The table, buttons and group take the left part; the plot the plotWidth pixels right of it.
    int leftWidth;
    int plotWidth;
    RECT table;
    RECT setFromSelection;
    RECT deleteRow;
    RECT group;
    RECT result;
    RECT apply;
    RECT enable;
    RECT equationStart;
    RECT slope;
    RECT equationMiddle;
    RECT intercept;
    RECT error;
    // How much higher than the view's bottom everything above the bottom band stands: the band's second
    // row, where the band is too narrow for its check box and equation on one.
    int bandRise;
};

// The plot's standard width and the least it narrows to.
constexpr int CuvettePlotWidth = 316;
constexpr int CuvettePlotLeastWidth = 150;

SIZE LeastCuvetteSize(const CuvetteLayoutInput& input);

// Laid out at the client size or the least size, whichever is larger in each direction, so that a
// host that does not scroll cuts the view off rather than draw its controls over each other.
CuvetteLayout LayOutCuvette(const CuvetteLayoutInput& input);

} // namespace Sistra
