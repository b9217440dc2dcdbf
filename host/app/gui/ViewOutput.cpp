#include "host/app/gui/ViewOutput.h"

#include "foundation/com/ComPtr.h"
#include "host/app/files/SaveDialog.h"
#include "host/app/gui/WindowPicture.h"
#include "hostapi/VyrMessaging.h"
#include "hostapi/VyrServices.h"

#include <commdlg.h>

#include <stdexcept>

namespace Host
{

bool DeliverHostMessage(IVyrStandIn& standIn, IUnknown& view, ULONG id)
{
    Orv::ComPtr<IVyrObjectFactory> factory;
    Orv::ComPtr<IMessageCreator> creator;
    if (FAILED(standIn.QueryInterface(IID_IVyrObjectFactory, factory.PutVoid())) ||
        FAILED(factory->GetObject(VyrTypeId::MessageCreator, IID_IMessageCreator, creator.PutVoid())) ||
        !creator)
        throw std::runtime_error("the framework gives no message creator");
    Orv::ComPtr<IMessage> message;
    if (FAILED(creator->MakeMessage(id, 0, 0, 0, 0, nullptr, message.Put())) || !message)
        throw std::runtime_error("the framework makes no message " + std::to_string(id));
    Orv::ComPtr<IMessageHandler> handler;
    if (FAILED(view.QueryInterface(IID_IMessageHandler, handler.PutVoid())) || !handler)
        return false;
    return handler->HandleMessage(message.Get()) > 0;
}

ULONG PrintJobCount(IVyrStandIn& standIn)
{
    ULONG count = 0;
    for (;; ++count)
    {
        BSTR title = nullptr;
        ULONG pages = 0;
        const HRESULT found = standIn.GetPrintJob(count, &title, &pages);
        SysFreeString(title);
        if (found != S_OK)
            return count;
    }
}

PrintedPages PrintedSince(IVyrStandIn& standIn, ULONG firstJob)
{
    PrintedPages printed;
    for (ULONG job = firstJob;; ++job)
    {
        BSTR title = nullptr;
        ULONG pages = 0;
        const HRESULT found = standIn.GetPrintJob(job, &title, &pages);
        if (found == S_OK && printed.title.empty() && title)
            printed.title = title;
        SysFreeString(title);
        if (found != S_OK)
            return printed;
        for (ULONG page = 0; page < pages; ++page)
        {
            HBITMAP copy = nullptr;
            if (standIn.CopyJobPage(job, page, &copy) == S_OK && copy)
                printed.pages.emplace_back(copy);
        }
    }
}

std::vector<std::wstring> PagePicturePaths(const std::wstring& path, size_t count)
{
    if (count == 1)
        return {path};
    const size_t slash = path.find_last_of(L"/\\");
    const size_t dot = path.find_last_of(L'.');
    const size_t stemEnd =
        dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash) ? path.size() : dot;
    std::vector<std::wstring> paths;
    for (size_t page = 1; page <= count; ++page)
        paths.push_back(path.substr(0, stemEnd) + L"-" + std::to_wstring(page) + path.substr(stemEnd));
    return paths;
}

std::vector<std::wstring> SavePrintedPages(const PrintedPages& printed, HWND owner)
{
    if (printed.pages.empty())
        return {};
    const HostSaveFileRequest request{L"Print to PNG Pictures",
                                      L"PNG pictures (*.png)\0*.png\0",
                                      1,
                                      L".",
                                      L"png",
                                      OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};
    const std::wstring path = AskSavePath(request, owner);
    if (path.empty())
        return {};
    const std::vector<std::wstring> paths = PagePicturePaths(path, printed.pages.size());
    for (size_t page = 0; page < paths.size(); ++page)
        SaveBitmapPicture(printed.pages[page].get(), paths[page]);
    return paths;
}

} // namespace Host
