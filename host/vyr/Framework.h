// The framework class object (CLSID_VyrFrameWork): the object factory and the way to every service.
#pragma once

#include "Commands.h"
#include "ComputedChannels.h"
#include "DocumentImplementations.h"
#include "HostCalculations.h"
#include "HostServices.h"
#include "Progress.h"
#include "Messaging.h"
#include "Registrations.h"
#include "ScaleControls.h"
#include "SubjectManager.h"
#include "ViewSite.h"

namespace Vyr
{

class FrameworkClassObject final : public IVyrObjectFactory, public IVyrStandIn
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // IVyrObjectFactory
    HRESULT STDMETHODCALLTYPE CreateObject(IUnknown* outer, ULONG typeId, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE GetObject(ULONG typeId, REFIID iid, void** object) override;
    HRESULT STDMETHODCALLTYPE RegisterClassObject(IVyrClassObject* classObject) override;

    // IVyrStandIn
    HRESULT STDMETHODCALLTYPE GetRegistrationCount(ULONG* count) override;
    HRESULT STDMETHODCALLTYPE GetRegistration(ULONG index, VyrRegistrationRecord* record) override;
    HRESULT STDMETHODCALLTYPE ReleaseModuleObjects() override;
    HRESULT STDMETHODCALLTYPE SetMainWindow(HWND window) override;
    HRESULT STDMETHODCALLTYPE SetUiLanguage(LANGID language) override;
    HRESULT STDMETHODCALLTYPE SetBooleanSetting(const WCHAR* key, VARIANT_BOOL value) override;
    HRESULT STDMETHODCALLTYPE GetVersionNotice(ULONG index, BSTR* text) override;
    HRESULT STDMETHODCALLTYPE ScriptMessageBoxAnswer(LONG button) override;
    HRESULT STDMETHODCALLTYPE GetMessageBox(ULONG index, BSTR* text, BSTR* caption, UINT* style,
        LONG* answer) override;
    HRESULT STDMETHODCALLTYPE GetRequestCounts(ULONG* serviceRequests, ULONG* codeRequests) override;
    HRESULT STDMETHODCALLTYPE ScriptProgressCancel(LONG percent) override;
    HRESULT STDMETHODCALLTYPE GetProgressLog(ULONG* indicators, ULONG* updates, LONG* lastPercent) override;
    HRESULT STDMETHODCALLTYPE RequestProgressCancel() override;
    HRESULT STDMETHODCALLTYPE ShowProgressOnConsole(VARIANT_BOOL show) override;
    HRESULT STDMETHODCALLTYPE SetProgressAvailable(VARIANT_BOOL available) override;
    HRESULT STDMETHODCALLTYPE SetHostCommandTarget(ULONG id, IUnknown* target) override;
    HRESULT STDMETHODCALLTYPE ScriptSaveFileAnswer(const WCHAR* path) override;
    HRESULT STDMETHODCALLTYPE GetSaveFileDialog(ULONG index, BSTR* title, BSTR* filter, BSTR* path) override;
    HRESULT STDMETHODCALLTYPE RegisterHostObject(const GUID* guid, IUnknown* object) override;
    HRESULT STDMETHODCALLTYPE GetCommandRegistration(ULONG index, GUID* guid,
        IVyrCommandRegistration** registration) override;
    HRESULT STDMETHODCALLTYPE FindMessageClass(const WCHAR* name, IMsgIdMessageClassObject** messageClass) override;
    HRESULT STDMETHODCALLTYPE GetPrintJob(ULONG index, BSTR* title, ULONG* pages) override;
    HRESULT STDMETHODCALLTYPE CopyPrintedPage(ULONG page, HBITMAP* bitmap) override;
    HRESULT STDMETHODCALLTYPE GetSelfTest(ULONG index, IUnitTest** test) override;
    HRESULT STDMETHODCALLTYPE ShowModuleDialogs(VARIANT_BOOL show) override;
    HRESULT STDMETHODCALLTYPE PreTranslateLoopMessage(MSG* message) override;
    HRESULT STDMETHODCALLTYPE RunLoopIdle() override;
    HRESULT STDMETHODCALLTYPE ScriptDialogChoice(const WCHAR* name, ULONG size, const BYTE* state) override;
    HRESULT STDMETHODCALLTYPE GetHelpRequest(ULONG index, BSTR* topic, BSTR* helpFile) override;
    HRESULT STDMETHODCALLTYPE CopyJobPage(ULONG job, ULONG page, HBITMAP* bitmap) override;
    HRESULT STDMETHODCALLTYPE RecordMacro(IMacroWriter* writer) override;
    HRESULT STDMETHODCALLTYPE SetViewPrinter(IVyrViewPrintService* printer) override;

private:
    LONG references_ = 0;
};

// Everything the framework keeps for the process.
struct FrameworkState
{
    RegistrationLog log;
    ClassRegistry classes{log};
    MessageFactory messageFactory{log};
    UnitTestRegistry testRegistry{log};
    MsgIdRegistry msgIds;
    MessageRouter router;
    MessageCreator creator;
    SubjectManager subjects;
    ProgressService progress;
    HostApplicationService application{&progress};
    UnitsService units;
    ClipboardService clipboard;
    CommandService commands;
    CommandRegistrationService commandRegistration;
    HostObjectService hostObjects;
    ChannelDrawing channelDrawing;
    ScaleControlFactory scaleControls;
    ComputedChannelFactory computedChannels;
    CalcReceiver calcReceiver;
    DocClassImplFactory documentClasses;
    ViewClassImplFactory viewClasses;
    ViewSiteObject viewSite;
    DocImplFactory documents{&application};
    FrameworkClassObject classObject;
};

FrameworkState& Framework();

} // namespace Vyr
