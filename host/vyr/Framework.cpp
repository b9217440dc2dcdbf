#include "Framework.h"

#include <utility>

namespace Vyr
{

namespace
{

template <class Interface>
HRESULT Hand(Interface& service, REFIID iid, void** object)
{
    return service.QueryInterface(iid, object);
}

} // namespace

FrameworkState& Framework()
{
    // Never destroyed: the state holds objects of modules that may already be unloaded when this
    // library is, so releasing them then could call code that is gone.
    static FrameworkState* const state = new FrameworkState;
    return *state;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::QueryInterface(REFIID iid, void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    FrameworkState& framework = Framework();
    if (IsEqualIID(iid, IID_IVyrObjectFactory))
    {
        ++serviceRequests;
        *object = static_cast<IVyrObjectFactory*>(this);
    }
    else if (IsEqualIID(iid, IID_IUnknown))
        *object = static_cast<IVyrObjectFactory*>(this);
    else if (IsEqualIID(iid, IID_IVyrStandIn))
        *object = static_cast<IVyrStandIn*>(this);
    // The services are objects of their own that the class object hands out by interface id.
    else if (IsEqualIID(iid, IID_IMessageFactory))
        return Hand(framework.messageFactory, iid, object);
    else if (IsEqualIID(iid, IID_ISubjectManager))
        return Hand(framework.subjects, iid, object);
    else if (IsEqualIID(iid, IID_IMsgIdRegistry))
        return Hand(framework.msgIds, iid, object);
    else if (IsEqualIID(iid, IID_IMessageRouter))
        return Hand(framework.router, iid, object);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE FrameworkClassObject::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE FrameworkClassObject::Release()
{
    return static_cast<ULONG>(InterlockedDecrement(&references_));
}

// The computed channel is the one host object type made by aggregation in the stand-in.
HRESULT STDMETHODCALLTYPE FrameworkClassObject::CreateObject(IUnknown* outer, ULONG typeId, REFIID iid, void** object)
{
    if (object)
        *object = nullptr;
    if (typeId == VyrTypeId::Make(Framework().msgIds.CodeOf(HostTypeGUID), ComputedChannelTypeNumber))
        return CreateComputedChannel(outer, iid, object);
    if (typeId == VyrTypeId::Make(Framework().msgIds.CodeOf(HostCalcTypeGUID), HostTextCalculationTypeNumber))
        return CreateTextCalculation(outer, typeId, iid, object);
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetObject(ULONG typeId, REFIID iid, void** object)
{
    return Guarded([&]() -> HRESULT {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        FrameworkState& framework = Framework();
        switch (typeId)
        {
        case VyrTypeId::MessageCreator:
            return Hand(framework.creator, iid, object);
        case VyrTypeId::HostObjectService:
            return Hand(framework.hostObjects, iid, object);
        case HostChannelDrawingType:
            return Hand(framework.channelDrawing, iid, object);
        case VyrTypeId::CommandService:
            return Hand(framework.commands, iid, object);
        case VyrTypeId::CommandRegistration:
            return Hand(framework.commandRegistration, iid, object);
        case VyrTypeId::ClipboardService:
            return Hand(framework.clipboard, iid, object);
        case VyrTypeId::DocumentClassImplementation:
            return Hand(framework.documentClasses, iid, object);
        case VyrTypeId::ViewClassImplementation:
            return Hand(framework.viewClasses, iid, object);
        case VyrTypeId::DocumentImplementation:
            return Hand(framework.documents, iid, object);
        default:
            break;
        }
        if (typeId == VyrTypeId::Make(framework.msgIds.CodeOf(UnitsServiceGUID), 0))
            return Hand(framework.units, iid, object);
        if (typeId == VyrTypeId::Make(framework.msgIds.CodeOf(HostCalcTypeGUID), 0))
            return Hand(framework.calcReceiver, iid, object);
        if (typeId == VyrTypeId::Make(framework.msgIds.CodeOf(HostTypeGUID), ScaleControlFactoryTypeNumber))
            return Hand(framework.scaleControls, iid, object);
        if (typeId == VyrTypeId::Make(framework.msgIds.CodeOf(HostTypeGUID), ComputedChannelTypeNumber))
            return Hand(framework.computedChannels, iid, object);
        const HRESULT found = framework.classes.Find(typeId, iid, object);
        if (SUCCEEDED(found))
            return found;
        // The host application's own objects, registered under their GUID's code, are services too.
        Orv::ComPtr<IUnknown> hostObject;
        if (SUCCEEDED(framework.application.HostObjects().LookupObject(typeId, 0, hostObject.Put())) && hostObject)
            return hostObject->QueryInterface(iid, object);
        return found;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::RegisterClassObject(IVyrClassObject* classObject)
{
    return Guarded([&]() -> HRESULT {
        return Framework().classes.Register(classObject);
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetRegistrationCount(ULONG* count)
{
    if (!count)
        return E_POINTER;
    *count = Framework().log.Count();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetRegistration(ULONG index, VyrRegistrationRecord* record)
{
    if (!record)
        return E_POINTER;
    return Framework().log.At(index, record) ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::ReleaseModuleObjects()
{
    FrameworkState& framework = Framework();
    framework.classes.Clear();
    framework.messageFactory.Clear();
    framework.testRegistry.Clear();
    framework.commandRegistration.Clear();
    framework.router.Record(nullptr, {});
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::SetMainWindow(HWND window)
{
    Framework().application.SetMainWindow(window);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::SetUiLanguage(LANGID language)
{
    Framework().application.SetUiLanguage(language);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::SetBooleanSetting(const WCHAR* key, VARIANT_BOOL value)
{
    return Guarded([&]() -> HRESULT {
        if (!key)
            return E_POINTER;
        Framework().application.Settings().SetBoolean(key, value != VARIANT_FALSE);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetVersionNotice(ULONG index, BSTR* text)
{
    return Guarded([&]() -> HRESULT {
        if (!text)
            return E_POINTER;
        *text = nullptr;
        std::wstring notice;
        if (!Framework().application.VersionNotice(index, &notice))
            return E_INVALIDARG;
        return CopyToBstr(notice, text);
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::ScriptMessageBoxAnswer(LONG button)
{
    return Guarded([&]() -> HRESULT {
        Framework().application.ScriptMessageBoxAnswer(button);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetMessageBox(ULONG index, BSTR* text, BSTR* caption, UINT* style,
    LONG* answer)
{
    return Guarded([&]() -> HRESULT {
        if (!text || !caption || !style || !answer)
            return E_POINTER;
        *text = *caption = nullptr;
        MessageBoxRecord record;
        if (!Framework().application.RecordedMessageBox(index, &record))
            return E_INVALIDARG;
        *style = record.style;
        *answer = record.answer;
        if (FAILED(CopyToBstr(record.caption, caption)))
            return E_OUTOFMEMORY;
        const HRESULT copied = CopyToBstr(record.text, text);
        if (FAILED(copied))
        {
            SysFreeString(std::exchange(*caption, nullptr));
            return copied;
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetRequestCounts(ULONG* services, ULONG* codes)
{
    if (!services || !codes)
        return E_POINTER;
    *services = serviceRequests;
    *codes = Framework().msgIds.CodeRequests();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::ScriptProgressCancel(LONG percent)
{
    return Guarded([&] {
        Framework().progress.ScriptCancelAt(percent);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetProgressLog(ULONG* indicators, ULONG* updates, LONG* lastPercent)
{
    if (!indicators || !updates || !lastPercent)
        return E_POINTER;
    const ProgressLog log = Framework().progress.Log();
    *indicators = log.indicators;
    *updates = log.updates;
    *lastPercent = log.lastPercent;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::RequestProgressCancel()
{
    Framework().progress.RequestCancel();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::ShowProgressOnConsole(VARIANT_BOOL show)
{
    Framework().progress.ShowOnConsole(show != VARIANT_FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::SetProgressAvailable(VARIANT_BOOL available)
{
    Framework().progress.SetAvailable(available != VARIANT_FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::SetHostCommandTarget(ULONG id, IUnknown* target)
{
    return Framework().commands.SetHostCommandTarget(id, target);
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::ScriptDialogChoice(const WCHAR* name, ULONG size, const BYTE* state)
{
    if (!name || (size > 0 && !state))
        return E_POINTER;
    return Guarded([&]() -> HRESULT {
        Framework().application.ScriptDialogChoice(name, std::vector<BYTE>(state, state + size));
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetHelpRequest(ULONG index, BSTR* topic, BSTR* helpFile)
{
    return Guarded([&]() -> HRESULT {
        if (!topic || !helpFile)
            return E_POINTER;
        *topic = *helpFile = nullptr;
        HelpRequestRecord record;
        if (!Framework().application.RecordedHelpRequest(index, &record))
            return E_INVALIDARG;
        if (FAILED(CopyToBstr(record.helpFile, helpFile)))
            return E_OUTOFMEMORY;
        const HRESULT copied = CopyToBstr(record.topic, topic);
        if (FAILED(copied))
            SysFreeString(std::exchange(*helpFile, nullptr));
        return copied;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::ScriptSaveFileAnswer(const WCHAR* path)
{
    return Guarded([&]() -> HRESULT {
        Framework().application.FileDialogs().ScriptAnswer(path ? std::optional<std::wstring>(path) : std::nullopt);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetSaveFileDialog(ULONG index, BSTR* title, BSTR* filter, BSTR* path)
{
    return Guarded([&]() -> HRESULT {
        if (!title || !filter || !path)
            return E_POINTER;
        *title = *filter = *path = nullptr;
        SaveFileRecord record;
        if (!Framework().application.FileDialogs().Recorded(index, &record))
            return E_INVALIDARG;
        if (FAILED(CopyToBstr(record.title, title)) || FAILED(CopyToBstr(record.filter, filter)) ||
            (record.answered && FAILED(CopyToBstr(record.path, path))))
        {
            SysFreeString(*title);
            SysFreeString(*filter);
            *title = *filter = nullptr;
            return E_OUTOFMEMORY;
        }
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::RegisterHostObject(const GUID* guid, IUnknown* object)
{
    return Guarded([&]() -> HRESULT {
        USHORT code = 0;
        const HRESULT coded = Framework().msgIds.GetCode(guid, &code);
        if (FAILED(coded))
            return coded;
        Framework().application.HostObjects().Register(static_cast<ULONG>(code) << 16, object);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetCommandRegistration(ULONG index, GUID* guid,
    IVyrCommandRegistration** registration)
{
    if (!guid || !registration)
        return E_POINTER;
    return Framework().commandRegistration.At(index, guid, registration) ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::FindMessageClass(const WCHAR* name,
                                                                IMsgIdMessageClassObject** messageClass)
{
    return Guarded([&]() -> HRESULT {
        if (!name || !messageClass)
            return E_POINTER;
        *messageClass = Framework().messageFactory.Find(name).Detach();
        return *messageClass ? S_OK : E_INVALIDARG;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::RecordMacro(IMacroWriter* writer)
{
    return Guarded([&]() -> HRESULT {
        Framework().router.Record(writer, [](ULONG id) { return Framework().messageFactory.FindById(id); });
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetPrintJob(ULONG index, BSTR* title, ULONG* pages)
{
    return Guarded([&]() -> HRESULT {
        if (!title || !pages)
            return E_POINTER;
        *title = nullptr;
        std::wstring text;
        if (!Framework().application.Printing().Job(index, &text, pages))
            return E_INVALIDARG;
        return CopyToBstr(text, title);
    });
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::ShowModuleDialogs(VARIANT_BOOL show)
{
    Framework().application.ShowModuleDialogs(show != VARIANT_FALSE);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::PreTranslateLoopMessage(MSG* message)
{
    if (!message)
        return E_POINTER;
    return Framework().application.PreTranslateLoopMessage(message) ? S_OK : S_FALSE;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::RunLoopIdle()
{
    Framework().application.RunLoopIdle();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::CopyPrintedPage(ULONG page, HBITMAP* bitmap)
{
    if (!bitmap)
        return E_POINTER;
    *bitmap = Framework().application.Printing().CopyPage(page);
    return *bitmap ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::CopyJobPage(ULONG job, ULONG page, HBITMAP* bitmap)
{
    if (!bitmap)
        return E_POINTER;
    *bitmap = Framework().application.Printing().CopyJobPage(job, page);
    return *bitmap ? S_OK : E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::SetViewPrinter(IVyrViewPrintService* printer)
{
    Framework().viewSite.SetPrinter(printer);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE FrameworkClassObject::GetSelfTest(ULONG index, IUnitTest** test)
{
    if (!test)
        return E_POINTER;
    *test = Framework().testRegistry.At(index).Detach();
    return *test ? S_OK : E_INVALIDARG;
}

} // namespace Vyr
