#include "host/app/gui/DocumentFileCommands.h"

#include "host/app/document/DocumentFile.h"
#include "host/app/files/SaveDialog.h"
#include "host/app/files/TextConversion.h"
#include "host/app/gui/KeptComputedChannels.h"

#include <stdexcept>

namespace Host
{

namespace
{

constexpr wchar_t DocumentFilter[] = L"Sistra documents (*.sdoc)\0*.sdoc\0All files (*.*)\0*.*\0";
constexpr wchar_t DocumentExtension[] = L"sdoc";

HostSaveFileRequest DocumentRequest(const wchar_t* title)
{
    return HostSaveFileRequest{title, DocumentFilter, 1, nullptr, DocumentExtension, 0};
}

std::wstring FullPath(const std::wstring& path)
{
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    if (size == 0 || GetFullPathNameW(path.c_str(), size, full.data(), nullptr) >= size)
        return path;
    full.resize(size - 1);
    return full;
}

std::wstring FileName(const std::wstring& path)
{
    const size_t slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

} // namespace

DocumentFileCommands::DocumentFileCommands(FrameWindow& frame, OpenedRecording& opened)
    : frame_(frame), opened_(opened), path_(opened.DocumentFile())
{
    frame_.SetDocumentFileActions({[this] { Open(); }, [this] { Save(); }, [this] { SaveAs(); }});
}

void DocumentFileCommands::Save()
{
    if (path_)
        SaveTo(*path_);
    else
        SaveAs();
}

void DocumentFileCommands::SaveAs()
{
    const std::wstring path = AskSavePath(DocumentRequest(L"Save Document As"), frame_.Handle());
    if (!path.empty())
        SaveTo(path);
}

void DocumentFileCommands::SaveTo(const std::wstring& path)
{
    Orv::ComPtr<ICustomDocument> module;
    opened_.Document()->QueryInterface(IID_ICustomDocument, module.PutVoid());
    const ShownRecording shown{opened_.Host().Data(), ShownConversions(opened_.Host())};
    const SavedComputedChannels channels = KeepComputedChannels(opened_.Host(), opened_.ChannelHosts(), opened_.StandIn());
    const Orv::ComPtr<IHostProgress> progress = HostProgress(L"Saving the document");
    SetErrorInfo(0, nullptr);
    const HRESULT saved = SaveDocumentFile(path, FullPath(FromUtf8(opened_.File())), {module.Get()},
                                           opened_.Host().ItemCalculations(), &shown, progress.Get(), channels);
    if (saved == E_ABORT)
        throw std::runtime_error("the save was cancelled: " + ToUtf8(path) + " is as it was");
    if (FAILED(saved))
        throw std::runtime_error("the document could not be saved to " + ToUtf8(path) + ": " + FailureText(saved) +
                                 " (a file saved there before is as it was)");
    path_ = path;
    NameModuleDocument(opened_.Document(), FileName(path));
    SetWindowTextW(frame_.Handle(), (L"Sistra - " + FileName(path)).c_str());
}

void DocumentFileCommands::Open()
{
    const std::wstring path = AskOpenPath(DocumentRequest(L"Open Document"), frame_.Handle());
    if (path.empty())
        return;
    // Read before the frame goes, so that a file that is no document leaves the user where they were.
    if (!ReadDocumentFile(path))
        throw std::runtime_error(ToUtf8(path) + " is no Sistra document");
    next_ = path;
    PostMessageW(frame_.Handle(), WM_CLOSE, 0, 0);
}

} // namespace Host
