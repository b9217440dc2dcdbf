// Printing a view as it shows: what the host does when a view passes the host's print request on to the
// site of its document's views. The active view's window goes on one page of the host's printer, as wide
// as the page allows and in its own proportions, under the view's title.
#pragma once

#include "hostapi/VyrViews.h"
#include "foundation/com/OwnerKept.h"

#include <windows.h>

#include <functional>
#include <string>

namespace Host
{

// The view to print: its window (null when there is none) and its title.
struct PrintableView
{
    HWND window = nullptr;
    std::wstring title;
};

// The place on a printable rectangle where a picture of that size goes: the rectangle's width, or its
// height when the picture is taller than the rectangle's proportions, from its top left corner.
RECT FittedPicturePlace(const RECT& printable, SIZE picture);

// Its owner keeps it as long as it may be asked.
class ViewPicturePrinter final : public Orv::OwnerKept<IVyrViewPrintService>
{
public:
    // activeView: the view the host shows active, asked at each question.
    explicit ViewPicturePrinter(std::function<PrintableView()> activeView)
        : activeView_(std::move(activeView))
    {
    }
    ViewPicturePrinter(const ViewPicturePrinter&) = delete;
    ViewPicturePrinter& operator=(const ViewPicturePrinter&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    // True while a view is active.
    HRESULT STDMETHODCALLTYPE CanPrint(VARIANT_BOOL* canPrint) override;
    // Hands the active view's picture to the host's print service; S_FALSE when no view is active.
    HRESULT STDMETHODCALLTYPE Print() override;

private:
    std::function<PrintableView()> activeView_;
};

} // namespace Host
