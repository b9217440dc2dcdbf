// The host's own commands on its active view: Edit > Copy and File > Print..., Print Preview... and Print
// Window... are delivered to the view as the host's messages, which the view answers by writing the
// clipboard, by handing printouts to the host's print service, or by asking its site to print it as it
// shows. The pages the printer received are then put where a
// person can look at them: saved as PNG pictures under the name the user gives, or in a preview window.
#pragma once

#include "hostapi/VyrClassRegistry.h"

#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace Host
{

// The messages the host sends a view, and the command states it asks the view for first.
namespace HostViewCommand
{
constexpr ULONG Copy = 0x80010008;
constexpr ULONG Print = 0x8001000B;
constexpr ULONG PrintPreview = 0x8001000C;
constexpr ULONG CopyState = 0x80170004;
constexpr ULONG PrintState = 0x80170000;
// The view as it shows, printed by the host through the site of its document's views.
constexpr ULONG PrintWindow = 0x8001000D;
constexpr ULONG PrintWindowState = 0x80170001;
} // namespace HostViewCommand

// Delivers the message (without a payload) to the view's message handlers; true when one handled it.
// Throws std::runtime_error when the framework makes no message.
bool DeliverHostMessage(IVyrStandIn& standIn, IUnknown& view, ULONG id);

struct BitmapDeleter
{
    void operator()(HBITMAP bitmap) const { DeleteObject(bitmap); }
};
using UniqueBitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, BitmapDeleter>;

struct PrintedPages
{
    std::wstring title; // the first job's
    std::vector<UniqueBitmap> pages;
};

ULONG PrintJobCount(IVyrStandIn& standIn);
// The pages of the print jobs the print service ran from job firstJob on, in order.
PrintedPages PrintedSince(IVyrStandIn& standIn, ULONG firstJob);

// The files count pages go to when saved under path: path itself for one page, else path with "-1",
// "-2", ... before its extension.
std::vector<std::wstring> PagePicturePaths(const std::wstring& path, size_t count);
// Asks the user through the host's save dialog where the pages go and writes them as PNG pictures there;
// the files written (none when the dialog was cancelled). Throws std::runtime_error when a page cannot be
// written.
std::vector<std::wstring> SavePrintedPages(const PrintedPages& printed, HWND owner);

} // namespace Host
