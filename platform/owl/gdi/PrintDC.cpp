#include "platform/owl/gdi/PrintDC.h"

namespace OWL
{

TPrintDC::TPrintDC(HDC handle, TAutoDelete autoDelete) : TCreatedDC(handle, autoDelete) {}

TPrintDC::TPrintDC(const wchar_t* driver, const wchar_t* device, const wchar_t* output, const DEVMODEW* initData)
    : TCreatedDC(driver, device, output, initData)
{
}

int TPrintDC::StartDoc(const wchar_t* documentName, const wchar_t* output) const
{
    DOCINFOW info{};
    info.cbSize = sizeof(info);
    info.lpszDocName = documentName;
    info.lpszOutput = output;
    return ::StartDocW(GetHDC(), &info);
}

TPrintPreviewDC::TPrintPreviewDC(TDC& screen, TPrintDC& printer, const TRect& client, const TRect& clip)
    : TDC(screen.GetHDC()), Printer(printer), Saved(screen.SaveDC())
{
    // The clip in the screen's device coordinates, before the mapping changes.
    SetMapMode(MM_TEXT);
    SetViewportOrg(TPoint(0, 0));
    SetWindowOrg(TPoint(0, 0));
    IntersectClipRect(clip);
    SetMapMode(MM_ANISOTROPIC);
    SetWindowExt(printer.GetPageSize());
    SetViewportExt(client.Size());
    SetViewportOrg(client.TopLeft());
}

TPrintPreviewDC::~TPrintPreviewDC()
{
    RestoreObjects();
    RestoreDC(Saved);
}

int TPrintPreviewDC::GetDeviceCaps(int index) const
{
    switch (index)
    {
    case TECHNOLOGY:
    case HORZSIZE:
    case VERTSIZE:
    case HORZRES:
    case VERTRES:
    case LOGPIXELSX:
    case LOGPIXELSY:
    case ASPECTX:
    case ASPECTY:
    case ASPECTXY:
    case PHYSICALWIDTH:
    case PHYSICALHEIGHT:
    case PHYSICALOFFSETX:
    case PHYSICALOFFSETY:
    case SCALINGFACTORX:
    case SCALINGFACTORY:
        return Printer.GetDeviceCaps(index);
    default:
        return TDC::GetDeviceCaps(index);
    }
}

} // namespace OWL
