// The cuvette calibration view in a batch, used through its window as a person uses it: the wells' known
// volumes typed down the table's known-volume column, the first well chosen so that the readings the
// document's "AddSelToSistraCuvetteCalibration" takes from the selection go to one well after another,
// and the view's Apply pressed. The view is the module's: the batch only clicks, types and reads what it
// shows.
#pragma once

#include "host/app/gui/ViewFrame.h"
#include "hostapi/VyrClassRegistry.h"

#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace Host
{

// What the view did not do, and why.
class CuvetteViewRefusal : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

class CuvetteViewInput
{
public:
    // Opens the view on the document in a window of its own. Throws std::runtime_error when its window
    // cannot be made (without a display, for one).
    CuvetteViewInput(IDocViewClass& viewClass, IUnknown* document, IVyrStandIn& standIn);

    // Types the volumes, texts the view reads as a person's typing, into wells 1, 2, ... and then selects
    // the known volume of well 1: the reading the next selection gives goes to that well's first empty
    // reading, and the view then moves on to the next well.
    void TypeWells(const std::vector<std::wstring>& volumes);
    // Presses Apply, which applies the line fitted to the table; the line as the view states it. Both
    // throw CuvetteViewRefusal when the view does not take the input (offers no Apply, or refuses it).
    std::wstring Apply();

private:
    HWND Control(int id) const;
    // The table's cells, and the editor open in one of them (null when none is).
    HWND CellPane() const;
    HWND CellEditor() const;
    void Key(HWND window, WPARAM key);
    // Handles what the view's windows posted themselves, as the host's loop would between inputs.
    void HandlePostedMessages();

    IVyrStandIn& standIn_;
    ViewFrame view_;
};

} // namespace Host
