// Printer contexts: TPrintDC is a printer's device context with the document and page calls;
// TPrintPreviewDC draws on a screen context as the printer would: its logical coordinates are the
// printer's device pixels, mapped onto a rectangle of the screen, and it answers the printer's size
// and resolution, so that code that lays out a page for the printer draws the same page in a preview.
#pragma once

#include "platform/owl/gdi/DC.h"

namespace OWL
{

class TPrintDC : public TCreatedDC
{
public:
    // A printer context someone else made (deleted by this object only when asked to).
    explicit TPrintDC(HDC handle, TAutoDelete autoDelete = NoAutoDelete);
    TPrintDC(const wchar_t* driver, const wchar_t* device, const wchar_t* output = nullptr,
             const DEVMODEW* initData = nullptr);

    int StartDoc(const wchar_t* documentName, const wchar_t* output = nullptr) const;
    int EndDoc() const { return ::EndDoc(GetHDC()); }
    int AbortDoc() const { return ::AbortDoc(GetHDC()); }
    int StartPage() const { return ::StartPage(GetHDC()); }
    int EndPage() const { return ::EndPage(GetHDC()); }
    // The printable page in device pixels.
    TSize GetPageSize() const { return TSize(GetDeviceCaps(HORZRES), GetDeviceCaps(VERTRES)); }
};

class TPrintPreviewDC : public TDC
{
public:
    // Draws on screen's context into client (device coordinates of screen), clipped to clip; the
    // screen context's state is restored when the object ends.
    TPrintPreviewDC(TDC& screen, TPrintDC& printer, const TRect& client, const TRect& clip);
    ~TPrintPreviewDC() override;

    // The printer's answer for sizes, resolutions and technology; the screen's for the rest.
    int GetDeviceCaps(int index) const override;
    TPrintDC& GetPrinter() const { return Printer; }

private:
    TPrintDC& Printer;
    int Saved;
};

} // namespace OWL
