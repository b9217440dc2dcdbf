// Interfaces through which a module hands its classes to the host framework: class objects, message
// classes and self-tests, and the object factory that gives them (and every host service) back by type id.
// Slot numbers in the comments count QueryInterface, AddRef and Release as 0, 1 and 2.
#pragma once

#include "hostapi/VyrIds.h"

#include <oaidl.h>
#include <unknwn.h>

struct IAutoOrvString;
struct IMessage;
struct IMacroWriter;
struct ISignatureWriter;

// A class the host can create objects of, found by its 32-bit type id.
struct IVyrClassObject : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) = 0;                 // 3
    virtual HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) = 0;   // 4
    virtual HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) = 0;                    // 5
    virtual HRESULT STDMETHODCALLTYPE IsCategory(const GUID* category) = 0;         // 6
};

struct IVyrObjectFactory : IUnknown
{
    // 3: a new object of a host type, aggregated by outer.
    virtual HRESULT STDMETHODCALLTYPE CreateObject(IUnknown* outer, ULONG typeId, REFIID iid, void** object) = 0;
    VYR_RESERVED_SLOT(4)
    // 5: the service or registered class object of a type id, with one reference.
    virtual HRESULT STDMETHODCALLTYPE GetObject(ULONG typeId, REFIID iid, void** object) = 0;
    // 6: registers a class object; the registry takes its own reference.
    virtual HRESULT STDMETHODCALLTYPE RegisterClassObject(IVyrClassObject* classObject) = 0;
};

// The class object of one automation message (command name, group, arguments, macro text).
struct IMsgIdMessageClassObject : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetId(ULONG* id) = 0;                                          // 3
    virtual HRESULT STDMETHODCALLTYPE GetName(BSTR* name) = 0;                                       // 4
    virtual HRESULT STDMETHODCALLTYPE GetGroup(BSTR* group) = 0;                                     // 5
    virtual HRESULT STDMETHODCALLTYPE GetDescription(IAutoOrvString** description) = 0;              // 6
    virtual HRESULT STDMETHODCALLTYPE QueryFirstOption(VARIANT_BOOL* answer) = 0;                    // 7
    virtual HRESULT STDMETHODCALLTYPE QuerySecondOption(VARIANT_BOOL* answer) = 0;                   // 8
    virtual HRESULT STDMETHODCALLTYPE CreateMessage(ULONG reserved, DISPPARAMS* arguments, IMessage** message) = 0; // 9
    virtual HRESULT STDMETHODCALLTYPE WriteMessageMacro(ULONG reserved, IMessage* message, IMacroWriter* writer,
                                                        ULONG_PTR cookie) = 0;                      // 10
    virtual HRESULT STDMETHODCALLTYPE WriteClassMacro(ULONG reserved, IMacroWriter* writer, ULONG_PTR cookie) = 0; // 11
    virtual HRESULT STDMETHODCALLTYPE WriteSignature(ULONG reserved, ISignatureWriter* writer, ULONG_PTR cookie) = 0; // 12
};

struct IMessageFactory : IUnknown
{
    // 3: registers one message class; the factory takes its own reference.
    virtual HRESULT STDMETHODCALLTYPE RegisterMessageClass(ULONG reserved, IMsgIdMessageClassObject* messageClass) = 0;
};

// A self-test object run by the host's test runner.
struct IUnitTest : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetTestCount(LONG* count) = 0;                                    // 3
    virtual HRESULT STDMETHODCALLTYPE RunTest(LONG index) = 0;                                          // 4
    virtual HRESULT STDMETHODCALLTYPE GetTestName(LONG index, IAutoOrvString** name) = 0;               // 5
    virtual HRESULT STDMETHODCALLTYPE GetResult(VARIANT_BOOL* passed, IAutoOrvString** message) = 0;    // 6
    virtual HRESULT STDMETHODCALLTYPE Initialize() = 0;                                                 // 7
    virtual HRESULT STDMETHODCALLTYPE GetAuthor(IAutoOrvString** author) = 0;                           // 8
    virtual HRESULT STDMETHODCALLTYPE GetTestValue(LONG index, double* value) = 0;                      // 9
};

struct IUnitTestRegistry : IUnknown
{
    // 3: adds one self-test; the registry takes its own reference.
    virtual HRESULT STDMETHODCALLTYPE AddTest(IUnitTest* test) = 0;
};

// What the stand-in records of each registration, in the order the registrations arrive.
enum class VyrRegistrationKind : ULONG
{
    ClassObject = 1,
    MessageClass = 2,
    SelfTest = 3,
};

struct VyrRegistrationRecord
{
    VyrRegistrationKind kind;
    ULONG typeId;          // class type id or message id; 0 for a self-test
    HRESULT result;        // what the registration answered
    WCHAR name[122];       // title, message name or test number; cut to fit, always terminated
};
static_assert(sizeof(VyrRegistrationRecord) == 256);

struct IVyrCommandRegistration;
struct IVyrViewPrintService;

// The stand-in's own face of the framework class object, for the host application and tests.
struct IVyrStandIn : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE GetRegistrationCount(ULONG* count) = 0;                             // 3
    virtual HRESULT STDMETHODCALLTYPE GetRegistration(ULONG index, VyrRegistrationRecord* record) = 0;    // 4
    // 5: drops every class object, message class and test a module registered (the log stays), so the
    // host can unload its modules after the framework stopped calling them.
    virtual HRESULT STDMETHODCALLTYPE ReleaseModuleObjects() = 0;
    virtual HRESULT STDMETHODCALLTYPE SetMainWindow(HWND window) = 0;                                     // 6
    virtual HRESULT STDMETHODCALLTYPE SetUiLanguage(LANGID language) = 0;                                 // 7
    virtual HRESULT STDMETHODCALLTYPE SetBooleanSetting(const WCHAR* key, VARIANT_BOOL value) = 0;        // 8
    // 9: the version notices a module passed to the host application, oldest first.
    virtual HRESULT STDMETHODCALLTYPE GetVersionNotice(ULONG index, BSTR* text) = 0;
    // 10: the answer to the next message box that is not answered yet; answers are used in the order
    // they were given. A box without a scripted answer gets its default button.
    virtual HRESULT STDMETHODCALLTYPE ScriptMessageBoxAnswer(LONG button) = 0;
    // 11: a message box a module asked for, oldest first, with the answer it got; E_INVALIDARG past the last.
    virtual HRESULT STDMETHODCALLTYPE GetMessageBox(ULONG index, BSTR* text, BSTR* caption, UINT* style,
        LONG* answer) = 0;
    // 12: how often a service was asked for one of its interfaces (through COM or the object factory)
    // and how often the message-id registry was asked for a code, since the library was loaded; what a
    // caller that caches its services and codes should ask only once.
    virtual HRESULT STDMETHODCALLTYPE GetRequestCounts(ULONG* serviceRequests, ULONG* codeRequests) = 0;
    // 13: from now on progress updates at or past percent answer "cancelled" (negative: none); the
    // progress log starts afresh.
    virtual HRESULT STDMETHODCALLTYPE ScriptProgressCancel(LONG percent) = 0;
    // 14: the progress indicators made and the updates given since the last script, and the last percent.
    virtual HRESULT STDMETHODCALLTYPE GetProgressLog(ULONG* indicators, ULONG* updates, LONG* lastPercent) = 0;
    // 15: every later progress update answers "cancelled" (may be called from any thread).
    virtual HRESULT STDMETHODCALLTYPE RequestProgressCancel() = 0;
    // 16: whether progress is drawn as a text bar on the console.
    virtual HRESULT STDMETHODCALLTYPE ShowProgressOnConsole(VARIANT_BOOL show) = 0;
    // 17: whether the UI services make progress indicators at all (they do until told otherwise).
    virtual HRESULT STDMETHODCALLTYPE SetProgressAvailable(VARIANT_BOOL available) = 0;
    // 18: what runs the host command of that id (VyrHostCommandId) from now on; null: nothing.
    virtual HRESULT STDMETHODCALLTYPE SetHostCommandTarget(ULONG id, IUnknown* target) = 0;
    // 19: the path the next save-file dialog answers with; null: it is cancelled. Answers are used in the
    // order given; a dialog without a scripted answer is cancelled.
    virtual HRESULT STDMETHODCALLTYPE ScriptSaveFileAnswer(const WCHAR* path) = 0;
    // 20: a save-file dialog a module asked for, oldest first: its title, its filter (descriptions and
    // patterns joined by '|') and the path it answered (null when cancelled); E_INVALIDARG past the last.
    virtual HRESULT STDMETHODCALLTYPE GetSaveFileDialog(ULONG index, BSTR* title, BSTR* filter, BSTR* path) = 0;
    // 21: the object modules find under the id (code of guid) << 16 (IHostObjectLookup); null removes it.
    virtual HRESULT STDMETHODCALLTYPE RegisterHostObject(const GUID* guid, IUnknown* object) = 0;
    // 22: the index-th command registration a module made, oldest first, with the GUID it was made
    // under; E_INVALIDARG past the last. The frame builds its menus from them.
    virtual HRESULT STDMETHODCALLTYPE GetCommandRegistration(ULONG index, GUID* guid,
        IVyrCommandRegistration** registration) = 0;
    // 23: the registered message class of that name (any letter case), with one reference;
    // E_INVALIDARG when no class has it.
    virtual HRESULT STDMETHODCALLTYPE FindMessageClass(const WCHAR* name, IMsgIdMessageClassObject** messageClass) = 0;
    // 24: a print job the host's print service ran, oldest first: the printout's title and the pages
    // it printed; E_INVALIDARG past the last.
    virtual HRESULT STDMETHODCALLTYPE GetPrintJob(ULONG index, BSTR* title, ULONG* pages) = 0;
    // 25: a copy of a page of the last print job as the printer received it; the caller deletes it.
    virtual HRESULT STDMETHODCALLTYPE CopyPrintedPage(ULONG page, HBITMAP* bitmap) = 0;
    // 26: the index-th self-test object a module added to the test registry, oldest first, with one
    // reference; E_INVALIDARG past the last. The host's test runner runs them.
    virtual HRESULT STDMETHODCALLTYPE GetSelfTest(ULONG index, IUnitTest** test) = 0;
    // 27: whether a person sits at the host: from now on a module's modal dialogs are handed back to the
    // module to show (OfferModalDialog answers S_FALSE) instead of being answered like message boxes.
    virtual HRESULT STDMETHODCALLTYPE ShowModuleDialogs(VARIANT_BOOL show) = 0;
    // 28: the host's message loop shows the modules' loop hooks a message before dispatching it: S_OK
    // when one took it (the loop drops it), S_FALSE when none did.
    virtual HRESULT STDMETHODCALLTYPE PreTranslateLoopMessage(MSG* message) = 0;
    // 29: the host's message loop ran out of messages: the modules' loop hooks do their idle work.
    virtual HRESULT STDMETHODCALLTYPE RunLoopIdle() = 0;
    // 30: the choices a batch run makes in the next run of the named dialog that edits a state (the state's
    // new bytes), when its answer is IDOK; choices are used in the order given. A dialog run without one,
    // or with one of another size, keeps its state.
    virtual HRESULT STDMETHODCALLTYPE ScriptDialogChoice(const WCHAR* name, ULONG size, const BYTE* state) = 0;
    // 31: a help topic a module asked the host to show, oldest first, with its help file; E_INVALIDARG
    // past the last.
    virtual HRESULT STDMETHODCALLTYPE GetHelpRequest(ULONG index, BSTR* topic, BSTR* helpFile) = 0;
    // 32: a copy of a page of the print job of that index (as GetPrintJob counts them); the pages of the
    // last few jobs are kept. The caller deletes it; E_INVALIDARG for a page not kept.
    virtual HRESULT STDMETHODCALLTYPE CopyJobPage(ULONG job, ULONG page, HBITMAP* bitmap) = 0;
    // 33: from now on every automation message a module's own window sends (delivered outside the handling
    // of another) is written to the writer as a macro statement by its message class, once handled; null
    // stops the recording.
    virtual HRESULT STDMETHODCALLTYPE RecordMacro(IMacroWriter* writer) = 0;
    // 34: what prints a view when a document's view site is asked to (its site object's print service);
    // null: the sites cannot print.
    virtual HRESULT STDMETHODCALLTYPE SetViewPrinter(IVyrViewPrintService* printer) = 0;
};
