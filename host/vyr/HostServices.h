// Host services handed out by the object factory by type id, and the host application object.
#pragma once

#include "ComObjects.h"
#include "HelpWindow.h"
#include "hostapi/HostFileDialogs.h"
#include "PrintService.h"
#include "hostapi/TallionSheet.h"
#include "hostapi/VyrComments.h"
#include "hostapi/VyrServices.h"

#include <atomic>
#include <deque>
#include <map>
#include <optional>
#include <mutex>
#include <string>
#include <vector>

namespace Vyr
{

class UnitsService final : public StaticComObject<IUnitsService, &IID_IUnitsService>
{
public:
    HRESULT STDMETHODCALLTYPE GetUnitsRecordSize(ULONG* size) override;
    HRESULT STDMETHODCALLTYPE CreateUnitName(const WCHAR* name, LONG prefixCode, IHostUnit** unit) override;
    HRESULT STDMETHODCALLTYPE CreateTwoPointConversion(IUnitConversion* current, const WCHAR* raw1,
        const WCHAR* raw2, const WCHAR* shown1, const WCHAR* shown2, const WCHAR* unit, LONG prefixCode,
        IUnitConversion** conversion) override;
    HRESULT STDMETHODCALLTYPE WriteConversion(IBinOutStream* stream, IUnitConversion* conversion) override;
    HRESULT STDMETHODCALLTYPE ReadConversion(IBinInStream* stream, IUnitConversion** conversion) override;
    HRESULT STDMETHODCALLTYPE CreateChannelUnits(uint32_t, const HostUnitsRecord* record, const WCHAR* unit, uint32_t,
                                                 uint32_t, IUnknown** units) override;
    HRESULT STDMETHODCALLTYPE CreateDefaultConversion(IUnitConversion** conversion) override;
};

class ClipboardService final : public StaticComObject<IHostClipboardService, &IID_IHostClipboardService>
{
public:
    HRESULT STDMETHODCALLTYPE PrepareForModuleWrite(ULONG reserved) override;
    ULONG Preparations() const { return preparations_; }

private:
    volatile LONG preparations_ = 0;
};

// What a host object was made for, found again by the word that messages sent in its context carry.
struct HostContextDescription
{
    ULONG type = 0;
    ULONG first = 0;
    ULONG second = 0;
};

// The messages the host keeps for documents (keyed by their host document) until each is ready.
class StoredMessages final : public StaticComObject<IVyrObjectContainer, &IID_IVyrObjectContainer>
{
public:
    HRESULT STDMETHODCALLTYPE StoreObject(ULONG_PTR key, IUnknown* object) override;
    HRESULT STDMETHODCALLTYPE GetStoredObject(ULONG_PTR key, IUnknown** object) override;

private:
    std::mutex lock_;
    std::map<ULONG_PTR, IUnknown*> stored_;
};

class HostObjectService final : public StaticComObject<IHostObjectService, &IID_IHostObjectService>
{
public:
    HRESULT STDMETHODCALLTYPE MakeSettingKey(ULONG settingId, IHostSettingKey** key) override;
    HRESULT STDMETHODCALLTYPE CreateHostObject(ULONG type, ULONG first, ULONG second, REFIID iid,
                                               void** object) override;
    HRESULT STDMETHODCALLTYPE CreateHostObjectByType(ULONG type, ULONG first, ULONG second, ULONG reserved,
                                                     IUnknown** object) override;
    // The object whose context word this is; none for 0 or a word the service never gave.
    std::optional<HostContextDescription> DescribeContext(ULONG word);

private:
    std::mutex lock_;
    std::vector<HostContextDescription> made_;
    StoredMessages stored_;
};

// The traces of the channels: each channel's colour from a fixed palette.
class ChannelDrawing final : public StaticComObject<IHostChannelDrawing, &IID_IHostChannelDrawing>
{
public:
    HRESULT STDMETHODCALLTYPE GetChannelColour(LONG channel, COLORREF* colour) override;
};

class HostSettings final : public StaticComObject<IHostSettings, &IID_IHostSettings>
{
public:
    HRESULT STDMETHODCALLTYPE GetBoolean(const WCHAR* key, VARIANT_BOOL* value) override;
    void SetBoolean(const std::wstring& key, bool value);

private:
    std::mutex lock_;
    std::map<std::wstring, bool> booleans_;
};

// A message box as the stand-in recorded it.
struct MessageBoxRecord
{
    std::wstring text;
    std::wstring caption;
    UINT style;
    LONG answer;
};

// The button a person gets by pressing Enter on a box of this style: its default button.
LONG DefaultMessageBoxAnswer(UINT style);

// A help topic a module asked for.
struct HelpRequestRecord
{
    std::wstring topic;
    std::wstring helpFile;
};

// A save-file dialog as the stand-in recorded it.
struct SaveFileRecord
{
    std::wstring title;
    std::wstring filter;  // descriptions and patterns joined by '|'
    bool answered;
    std::wstring path;
};

// Each dialog is recorded and answered by script; without one, a person who sits at the host answers
// the system's save dialog, and a batch run cancels it.
class FileDialogService final : public StaticComObject<IHostFileDialogs, &IID_IHostFileDialogs>
{
public:
    HRESULT STDMETHODCALLTYPE AskSaveFileName(HWND owner, const HostSaveFileRequest* request, BSTR* path) override;
    // nullopt: the dialog is cancelled.
    void ScriptAnswer(std::optional<std::wstring> path);
    bool Recorded(ULONG index, SaveFileRecord* record);
    void ShowDialogs(bool show) { showDialogs_ = show; }

private:
    // The scripted answer, taken; none when nothing is scripted.
    std::optional<std::optional<std::wstring>> TakeScripted();

    std::atomic<bool> showDialogs_{false};
    std::mutex lock_;
    std::deque<std::optional<std::wstring>> scripted_;
    std::vector<SaveFileRecord> asked_;
};

// The host's objects that modules look up by id; each registered object is held with a reference.
class HostObjectRegistry final : public StaticComObject<IHostObjectLookup, &IID_IHostObjectLookup>
{
public:
    HRESULT STDMETHODCALLTYPE LookupObject(ULONG id, ULONG reserved, IUnknown** object) override;
    void Register(ULONG id, IUnknown* object);

private:
    std::mutex lock_;
    std::map<ULONG, IUnknown*> objects_;
};

// The host's grid colours by index; the first is the light blue its graphs' grids are drawn in unless
// a person chose another.
class GridColourTable final : public StaticComObject<IHostGridColours, &IID_IHostGridColours>
{
public:
    // E_INVALIDARG for an index past the table.
    HRESULT STDMETHODCALLTYPE GetGridColour(USHORT index, COLORREF* colour) override;
};

class HostApplicationService final : public StaticComObject<IHostApplication, &IID_IHostApplication>
{
public:
    // The language of a host that nobody configured: US English, so that runs are reproducible.
    static constexpr LANGID DefaultUiLanguage = 0x0409;

    // progress: what the application's UI services answer for their progress indicators.
    explicit HostApplicationService(IUnknown* progress) : progress_(progress) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;

    HRESULT STDMETHODCALLTYPE GetMainWindow(HWND* window) override;
    HRESULT STDMETHODCALLTYPE GetPrintService(IHostPrintService** service) override;
    // The stand-in has no help files: each topic asked for is recorded and, while a person sits at the
    // host, named in a help window.
    HRESULT STDMETHODCALLTYPE ShowHelp(const WCHAR* topic, const WCHAR* helpFile) override;
    HRESULT STDMETHODCALLTYPE GetUiLanguage(LANGID* language) override;
    HRESULT STDMETHODCALLTYPE GetSettings(IHostSettings** settings) override;
    // Nobody sits at the stand-in: each box is recorded and answered by script, else by its default.
    HRESULT STDMETHODCALLTYPE ShowMessageBox(HWND owner, const WCHAR* text, const WCHAR* caption, UINT style,
        LONG* pressedButton) override;
    // A dialog is answered like a box with OK and Cancel, and recorded under its name.
    HRESULT STDMETHODCALLTYPE RunModalDialog(HWND owner, const WCHAR* name, LONG* pressedButton) override;
    // The same, but while module dialogs are shown it is handed back to the module (S_FALSE), unrecorded.
    // A batch choice scripted for the dialog's name is what an OK writes over its state.
    HRESULT STDMETHODCALLTYPE OfferModalDialog(HWND owner, const WCHAR* name, ULONG size, BYTE* state,
        LONG* pressedButton) override;
    HRESULT STDMETHODCALLTYPE AddLoopHooks(IHostLoopHooks* hooks) override;
    HRESULT STDMETHODCALLTYPE RemoveLoopHooks(IHostLoopHooks* hooks) override;
    // What the host's message loop asks of the hooks: whether one took the message; idle work.
    bool PreTranslateLoopMessage(MSG* message);
    void RunLoopIdle();
    HRESULT STDMETHODCALLTYPE GetVersionNoticeMode(ULONG reserved, ULONG* mode, ULONG* detail) override;
    HRESULT STDMETHODCALLTYPE ShowVersionNotice(ULONG reserved, const WCHAR* text) override;

    void SetMainWindow(HWND window) { mainWindow_ = window; }
    void SetUiLanguage(LANGID language) { language_ = language; }
    HostSettings& Settings() { return settings_; }
    FileDialogService& FileDialogs() { return fileDialogs_; }
    HostObjectRegistry& HostObjects() { return hostObjects_; }
    PrintService& Printing() { return printing_; }
    bool VersionNotice(ULONG index, std::wstring* text);
    void ScriptMessageBoxAnswer(LONG button);
    void ShowModuleDialogs(bool show)
    {
        showDialogs_ = show;
        fileDialogs_.ShowDialogs(show);
    }
    void ScriptDialogChoice(const std::wstring& name, std::vector<BYTE> state);
    bool RecordedMessageBox(ULONG index, MessageBoxRecord* record);
    bool RecordedHelpRequest(ULONG index, HelpRequestRecord* record);

private:
    IUnknown* progress_;
    HWND mainWindow_ = nullptr;
    std::atomic<bool> showDialogs_{false};
    std::vector<IHostLoopHooks*> loopHooks_;
    LANGID language_ = DefaultUiLanguage;
    HostSettings settings_;
    FileDialogService fileDialogs_;
    HostObjectRegistry hostObjects_;
    GridColourTable gridColours_;
    PrintService printing_;
    std::mutex lock_;
    std::vector<std::wstring> notices_;
    std::deque<LONG> scriptedAnswers_;
    std::map<std::wstring, std::deque<std::vector<BYTE>>> scriptedChoices_; // by dialog name
    std::vector<MessageBoxRecord> messageBoxes_;
    std::vector<HelpRequestRecord> helpRequests_;
    HelpWindow helpWindow_;
};

} // namespace Vyr
