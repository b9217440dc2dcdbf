#include "HostServices.h"

#include "ChannelColours.h"
#include "hostapi/VyrAnalysis.h"

#include "UnitConversions.h"

#include <commdlg.h>
#include <shlobj.h>

#include <algorithm>
#include <iterator>
#include <new>
#include <string_view>

namespace Vyr
{

namespace
{

class HostUnit final : public HeapComObject<IHostUnit, &IID_IHostUnit>
{
public:
    HostUnit(std::wstring text, LONG prefixCode) : text_(std::move(text)), prefixCode_(prefixCode) {}

    HRESULT STDMETHODCALLTYPE GetPrefixCode(LONG* code) override
    {
        if (!code)
            return E_POINTER;
        *code = prefixCode_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUnitText(BSTR* text) override { return CopyToBstr(text_, text); }

private:
    std::wstring text_;
    LONG prefixCode_;
};

// A channel's units made from a units record: the stand-in keeps the record and the text.
class ChannelUnits final : public HeapComObject<IHostChannelUnits, &IID_IHostChannelUnits>
{
public:
    ChannelUnits(const HostUnitsRecord& record, std::wstring text) : record_(record), text_(std::move(text)) {}

    HRESULT STDMETHODCALLTYPE GetUnitsRecord(HostUnitsRecord* record) override
    {
        if (!record)
            return E_POINTER;
        *record = record_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUnitText(BSTR* text) override { return CopyToBstr(text_, text); }

private:
    HostUnitsRecord record_;
    std::wstring text_;
};

} // namespace

LONG DefaultMessageBoxAnswer(UINT style)
{
    // The buttons of each MB_OK .. MB_CANCELTRYCONTINUE set, left to right; MB_DEFBUTTONn picks the n-th.
    static constexpr LONG ButtonSets[][3] = {
        {IDOK, 0, 0},          {IDOK, IDCANCEL, 0},       {IDABORT, IDRETRY, IDIGNORE}, {IDYES, IDNO, IDCANCEL},
        {IDYES, IDNO, 0},      {IDRETRY, IDCANCEL, 0},    {IDCANCEL, IDTRYAGAIN, IDCONTINUE},
    };
    const UINT set = style & MB_TYPEMASK;
    if (set >= std::size(ButtonSets))
        return IDOK;
    const UINT position = (style & MB_DEFMASK) >> 8;
    const LONG* buttons = ButtonSets[set];
    return position < std::size(ButtonSets[0]) && buttons[position] != 0 ? buttons[position] : buttons[0];
}

HRESULT STDMETHODCALLTYPE UnitsService::GetUnitsRecordSize(ULONG* size)
{
    if (!size)
        return E_POINTER;
    *size = VyrUnitsRecordSize;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UnitsService::CreateUnitName(const WCHAR* name, LONG prefixCode, IHostUnit** unit)
{
    if (!unit)
        return E_POINTER;
    *unit = nullptr;
    return Guarded([&]() -> HRESULT {
        *unit = new HostUnit(name ? name : L"", prefixCode);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE UnitsService::CreateChannelUnits(uint32_t, const HostUnitsRecord* record, const WCHAR* unit,
                                                          uint32_t, uint32_t, IUnknown** units)
{
    if (!units || !record)
        return E_POINTER;
    *units = nullptr;
    return Guarded([&]() -> HRESULT {
        *units = new ChannelUnits(*record, unit ? unit : L"");
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE UnitsService::CreateTwoPointConversion(IUnitConversion* current, const WCHAR* raw1,
    const WCHAR* raw2, const WCHAR* shown1, const WCHAR* shown2, const WCHAR* unit, LONG prefixCode,
    IUnitConversion** conversion)
{
    return Vyr::CreateTwoPointConversion(current, raw1, raw2, shown1, shown2, unit, prefixCode, conversion);
}

HRESULT STDMETHODCALLTYPE UnitsService::WriteConversion(IBinOutStream* stream, IUnitConversion* conversion)
{
    return Vyr::WriteConversion(stream, conversion);
}

HRESULT STDMETHODCALLTYPE UnitsService::ReadConversion(IBinInStream* stream, IUnitConversion** conversion)
{
    return Vyr::ReadConversion(stream, conversion);
}

HRESULT STDMETHODCALLTYPE UnitsService::CreateDefaultConversion(IUnitConversion** conversion)
{
    if (!conversion)
        return E_POINTER;
    *conversion = nullptr;
    return Guarded([&]() -> HRESULT {
        // A conversion made for no channel in particular shows volts, the unit of an amplifier's input.
        *conversion = MakeIdentityConversion(L"V").Detach();
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE ClipboardService::PrepareForModuleWrite(ULONG)
{
    // The stand-in never puts anything of its own on the clipboard, so there is nothing to give up;
    // it counts the calls so that a test can see the module asked first.
    InterlockedIncrement(&preparations_);
    return S_OK;
}

namespace
{
class SettingKey final : public HeapComObject<IHostSettingKey, &IID_IHostSettingKey>
{
public:
    explicit SettingKey(ULONG id) : id_(id) {}
    HRESULT STDMETHODCALLTYPE GetSettingId(ULONG* id) override
    {
        if (!id)
            return E_POINTER;
        *id = id_;
        return S_OK;
    }

private:
    ULONG id_;
};
} // namespace

HRESULT STDMETHODCALLTYPE HostObjectService::MakeSettingKey(ULONG settingId, IHostSettingKey** key)
{
    if (!key)
        return E_POINTER;
    return Guarded([&] {
        *key = new SettingKey(settingId);
        return S_OK;
    });
}

namespace
{
class ContextObject final : public HeapComObject<IHostContextObject, &IID_IHostContextObject>
{
public:
    ContextObject(HostContextDescription description, ULONG word) : description_(description), word_(word) {}
    HRESULT STDMETHODCALLTYPE GetDescription(ULONG* type, ULONG* first, ULONG* second) override
    {
        if (!type || !first || !second)
            return E_POINTER;
        *type = description_.type;
        *first = description_.first;
        *second = description_.second;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetContextWord(ULONG* word) override
    {
        if (!word)
            return E_POINTER;
        *word = word_;
        return S_OK;
    }

private:
    HostContextDescription description_;
    ULONG word_;
};
} // namespace

HRESULT STDMETHODCALLTYPE HostObjectService::CreateHostObject(ULONG type, ULONG first, ULONG second, REFIID iid,
                                                              void** object)
{
    if (!object)
        return E_POINTER;
    *object = nullptr;
    return Guarded([&] {
        const HostContextDescription description{type, first, second};
        ULONG word = 0;
        {
            std::lock_guard guard(lock_);
            made_.push_back(description);
            word = static_cast<ULONG>(made_.size());
        }
        auto* made = new ContextObject(description, word);
        const HRESULT result = made->QueryInterface(iid, object);
        made->Release();
        return result;
    });
}

HRESULT STDMETHODCALLTYPE HostObjectService::CreateHostObjectByType(ULONG type, ULONG first, ULONG second, ULONG,
                                                                    IUnknown** object)
{
    if (!object)
        return E_POINTER;
    if (type == HostStoredMessagesType)
        return stored_.QueryInterface(IID_IUnknown, reinterpret_cast<void**>(object));
    return CreateHostObject(type, first, second, IID_IUnknown, reinterpret_cast<void**>(object));
}

std::optional<HostContextDescription> HostObjectService::DescribeContext(ULONG word)
{
    std::lock_guard guard(lock_);
    if (word == 0 || word > made_.size())
        return std::nullopt;
    return made_[word - 1];
}

HRESULT STDMETHODCALLTYPE ChannelDrawing::GetChannelColour(LONG channel, COLORREF* colour)
{
    if (!colour)
        return E_POINTER;
    if (channel < 0)
        return E_INVALIDARG;
    *colour = Host::ChannelTraceColour(channel);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE StoredMessages::StoreObject(ULONG_PTR key, IUnknown* object)
{
    return Guarded([&] {
        if (object)
            object->AddRef();
        std::lock_guard guard(lock_);
        IUnknown*& held = stored_[key];
        if (held)
            held->Release();
        held = object;
        if (!object)
            stored_.erase(key);
        return S_OK;
    });
}

// A stored message is handed out once: the document that dispatches it must not dispatch it again.
HRESULT STDMETHODCALLTYPE StoredMessages::GetStoredObject(ULONG_PTR key, IUnknown** object)
{
    if (!object)
        return E_POINTER;
    std::lock_guard guard(lock_);
    const auto found = stored_.find(key);
    *object = found == stored_.end() ? nullptr : found->second;
    if (!*object)
        return S_FALSE;
    stored_.erase(found);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostSettings::GetBoolean(const WCHAR* key, VARIANT_BOOL* value)
{
    if (!key || !value)
        return E_POINTER;
    std::lock_guard guard(lock_);
    const auto found = booleans_.find(key);
    if (found == booleans_.end())
        return S_FALSE;
    *value = found->second ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

void HostSettings::SetBoolean(const std::wstring& key, bool value)
{
    std::lock_guard guard(lock_);
    booleans_[key] = value;
}

HRESULT STDMETHODCALLTYPE HostApplicationService::GetMainWindow(HWND* window)
{
    if (!window)
        return E_POINTER;
    *window = mainWindow_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostApplicationService::GetPrintService(IHostPrintService** service)
{
    return printing_.QueryInterface(IID_IHostPrintService, reinterpret_cast<void**>(service));
}

HRESULT STDMETHODCALLTYPE HostApplicationService::GetUiLanguage(LANGID* language)
{
    if (!language)
        return E_POINTER;
    *language = language_;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostApplicationService::GetSettings(IHostSettings** settings)
{
    return settings_.QueryInterface(IID_IHostSettings, reinterpret_cast<void**>(settings));
}

// A person at the frame reads the box and answers it; otherwise the script or the default answers.
HRESULT STDMETHODCALLTYPE HostApplicationService::ShowMessageBox(HWND owner, const WCHAR* text, const WCHAR* caption,
    UINT style, LONG* pressedButton)
{
    return Guarded([&]() -> HRESULT {
        if (!pressedButton)
            return E_POINTER;
        LONG answer = DefaultMessageBoxAnswer(style);
        bool askPerson = false;
        {
            std::lock_guard guard(lock_);
            if (!scriptedAnswers_.empty())
            {
                answer = scriptedAnswers_.front();
                scriptedAnswers_.pop_front();
            }
            else
                askPerson = showDialogs_;
        }
        // Not under the lock: the box's own message loop may bring another box.
        if (askPerson)
            answer = MessageBoxW(owner, text, caption, style);
        std::lock_guard guard(lock_);
        messageBoxes_.push_back({text ? text : L"", caption ? caption : L"", style, answer});
        *pressedButton = answer;
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostApplicationService::RunModalDialog(HWND owner, const WCHAR* name, LONG* pressedButton)
{
    return ShowMessageBox(owner, L"", name, MB_OKCANCEL, pressedButton);
}

HRESULT STDMETHODCALLTYPE HostApplicationService::OfferModalDialog(HWND owner, const WCHAR* name, ULONG size,
    BYTE* state, LONG* pressedButton)
{
    if (!name || !pressedButton || (size > 0 && !state))
        return E_POINTER;
    if (showDialogs_)
        return S_FALSE;
    const HRESULT shown = RunModalDialog(owner, name, pressedButton);
    if (FAILED(shown))
        return shown;
    return Guarded([&]() -> HRESULT {
        std::lock_guard guard(lock_);
        const auto scripted = scriptedChoices_.find(name);
        if (scripted == scriptedChoices_.end() || scripted->second.empty())
            return shown;
        const std::vector<BYTE> choice = std::move(scripted->second.front());
        scripted->second.pop_front();
        if (*pressedButton == IDOK && choice.size() == size)
            std::copy(choice.begin(), choice.end(), state);
        return shown;
    });
}

void HostApplicationService::ScriptDialogChoice(const std::wstring& name, std::vector<BYTE> state)
{
    std::lock_guard guard(lock_);
    scriptedChoices_[name].push_back(std::move(state));
}

HRESULT STDMETHODCALLTYPE HostApplicationService::AddLoopHooks(IHostLoopHooks* hooks)
{
    if (!hooks)
        return E_POINTER;
    return Guarded([&]() -> HRESULT {
        loopHooks_.push_back(hooks);
        return S_OK;
    });
}

HRESULT STDMETHODCALLTYPE HostApplicationService::RemoveLoopHooks(IHostLoopHooks* hooks)
{
    const auto found = std::find(loopHooks_.begin(), loopHooks_.end(), hooks);
    if (found == loopHooks_.end())
        return S_FALSE;
    loopHooks_.erase(found);
    return S_OK;
}

// A copy of the list is walked: a hook may remove itself (its window closing) while it runs.
bool HostApplicationService::PreTranslateLoopMessage(MSG* message)
{
    const std::vector<IHostLoopHooks*> hooks = loopHooks_;
    for (IHostLoopHooks* hook : hooks)
        if (std::find(loopHooks_.begin(), loopHooks_.end(), hook) != loopHooks_.end() && hook->PreTranslate(message))
            return true;
    return false;
}

void HostApplicationService::RunLoopIdle()
{
    const std::vector<IHostLoopHooks*> hooks = loopHooks_;
    for (IHostLoopHooks* hook : hooks)
        if (std::find(loopHooks_.begin(), loopHooks_.end(), hook) != loopHooks_.end())
            hook->OnLoopIdle();
}

void HostApplicationService::ScriptMessageBoxAnswer(LONG button)
{
    std::lock_guard guard(lock_);
    scriptedAnswers_.push_back(button);
}

bool HostApplicationService::RecordedMessageBox(ULONG index, MessageBoxRecord* record)
{
    std::lock_guard guard(lock_);
    if (index >= messageBoxes_.size())
        return false;
    *record = messageBoxes_[index];
    return true;
}

bool HostApplicationService::RecordedHelpRequest(ULONG index, HelpRequestRecord* record)
{
    std::lock_guard guard(lock_);
    if (index >= helpRequests_.size())
        return false;
    *record = helpRequests_[index];
    return true;
}

HRESULT STDMETHODCALLTYPE HostApplicationService::ShowHelp(const WCHAR* topic, const WCHAR* helpFile)
{
    return Guarded([&]() -> HRESULT {
        if (!topic || !helpFile)
            return E_POINTER;
        {
            std::lock_guard guard(lock_);
            helpRequests_.push_back({topic, helpFile});
        }
        if (!showDialogs_)
            return S_OK;
        // The help file would open at the topic: the window names both.
        return helpWindow_.Show(std::wstring(helpFile) + L" - Help", std::wstring(L"Help topic: ") + topic,
                                mainWindow_);
    });
}

HRESULT STDMETHODCALLTYPE HostApplicationService::GetVersionNoticeMode(ULONG, ULONG* mode, ULONG* detail)
{
    if (!mode || !detail)
        return E_POINTER;
    *mode = 0;   // notices wanted
    *detail = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HostApplicationService::ShowVersionNotice(ULONG, const WCHAR* text)
{
    return Guarded([&]() -> HRESULT {
        if (!text)
            return E_POINTER;
        std::lock_guard guard(lock_);
        notices_.emplace_back(text);
        return S_OK;
    });
}

bool HostApplicationService::VersionNotice(ULONG index, std::wstring* text)
{
    std::lock_guard guard(lock_);
    if (index >= notices_.size())
        return false;
    *text = notices_[index];
    return true;
}

HRESULT STDMETHODCALLTYPE GridColourTable::GetGridColour(USHORT index, COLORREF* colour)
{
    constexpr COLORREF Colours[] = {RGB(175, 175, 255), RGB(192, 192, 192), RGB(128, 128, 128), RGB(0, 0, 0),
                                    RGB(255, 192, 192), RGB(192, 255, 192)};
    if (!colour)
        return E_POINTER;
    if (index >= std::size(Colours))
        return E_INVALIDARG;
    *colour = Colours[index];
    return S_OK;
}

// The UI services hand out the progress service, the file dialogs, the host's objects and its grid colours
// beside the application's own face.
HRESULT STDMETHODCALLTYPE HostApplicationService::QueryInterface(REFIID iid, void** object)
{
    if (object && IsEqualIID(iid, IID_IHostGridColours))
        return gridColours_.QueryInterface(iid, object);
    if (object && progress_ && IsEqualIID(iid, IID_IHostProgressService))
        return progress_->QueryInterface(iid, object);
    if (object && IsEqualIID(iid, IID_IHostFileDialogs))
        return fileDialogs_.QueryInterface(iid, object);
    if (object && IsEqualIID(iid, IID_IHostObjectLookup))
        return hostObjects_.QueryInterface(iid, object);
    return StaticComObject::QueryInterface(iid, object);
}

namespace
{

// "CSV\0*.csv\0\0" reads "CSV|*.csv".
std::wstring JoinedFilter(const WCHAR* filter)
{
    std::wstring joined;
    for (const WCHAR* part = filter; part && *part; part += wcslen(part) + 1)
        joined += (joined.empty() ? L"" : L"|") + std::wstring(part);
    return joined;
}

} // namespace

std::optional<std::optional<std::wstring>> FileDialogService::TakeScripted()
{
    std::lock_guard guard(lock_);
    if (scripted_.empty())
        return std::nullopt;
    std::optional<std::wstring> answer = std::move(scripted_.front());
    scripted_.pop_front();
    return answer;
}

namespace
{

// A dialog that names no folder of its own, or the current one (wherever the program was started from),
// opens in the user's documents.
std::wstring StartFolder(const WCHAR* asked)
{
    if (asked && *asked && std::wstring_view(asked) != L".")
        return asked;
    wchar_t documents[MAX_PATH] = {};
    return SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, documents)) ? documents : L"";
}

// The system's save dialog, or its open dialog for a file that must exist; nullopt when the person
// cancelled it.
std::optional<std::wstring> AskPerson(HWND owner, const HostSaveFileRequest& request)
{
    const std::wstring folder = StartFolder(request.initialDirectory);
    std::vector<WCHAR> chosen(MAX_PATH * 4, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = request.filter;
    dialog.nFilterIndex = request.filterIndex;
    dialog.lpstrFile = chosen.data();
    dialog.nMaxFile = static_cast<DWORD>(chosen.size());
    dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    dialog.lpstrTitle = request.title;
    dialog.lpstrDefExt = request.defaultExtension;
    // A path into a missing folder is returned, so that the writer names the folder: Wine's dialog would stay
    // open without a word. A file to open must exist.
    const bool opening = (request.flags & OFN_FILEMUSTEXIST) != 0;
    dialog.Flags = (request.flags | OFN_EXPLORER | (opening ? 0 : OFN_OVERWRITEPROMPT)) & ~static_cast<DWORD>(OFN_PATHMUSTEXIST);
    if (!(opening ? GetOpenFileNameW(&dialog) : GetSaveFileNameW(&dialog)))
        return std::nullopt;
    return std::wstring(chosen.data());
}

} // namespace

HRESULT STDMETHODCALLTYPE FileDialogService::AskSaveFileName(HWND owner, const HostSaveFileRequest* request, BSTR* path)
{
    return Guarded([&]() -> HRESULT {
        if (!request || !path)
            return E_POINTER;
        *path = nullptr;
        // The person's dialog runs outside the lock: the module's windows keep being served meanwhile.
        std::optional<std::optional<std::wstring>> scripted = TakeScripted();
        std::optional<std::wstring> answer = scripted ? std::move(*scripted)
                                             : showDialogs_ ? AskPerson(owner, *request)
                                                            : std::nullopt;
        {
            std::lock_guard guard(lock_);
            asked_.push_back({request->title ? request->title : L"", JoinedFilter(request->filter),
                              answer.has_value(), answer.value_or(L"")});
        }
        if (!answer)
            return S_FALSE;
        return CopyToBstr(*answer, path);
    });
}

void FileDialogService::ScriptAnswer(std::optional<std::wstring> path)
{
    std::lock_guard guard(lock_);
    scripted_.push_back(std::move(path));
}

bool FileDialogService::Recorded(ULONG index, SaveFileRecord* record)
{
    std::lock_guard guard(lock_);
    if (index >= asked_.size())
        return false;
    *record = asked_[index];
    return true;
}

HRESULT STDMETHODCALLTYPE HostObjectRegistry::LookupObject(ULONG id, ULONG, IUnknown** object)
{
    if (!object)
        return E_POINTER;
    std::lock_guard guard(lock_);
    const auto found = objects_.find(id);
    *object = found == objects_.end() ? nullptr : found->second;
    if (!*object)
        return E_INVALIDARG;
    (*object)->AddRef();
    return S_OK;
}

void HostObjectRegistry::Register(ULONG id, IUnknown* object)
{
    if (object)
        object->AddRef();
    IUnknown* replaced = nullptr;
    {
        std::lock_guard guard(lock_);
        IUnknown*& slot = objects_[id];
        replaced = slot;
        slot = object;
        if (!object)
            objects_.erase(id);
    }
    if (replaced)
        replaced->Release();
}

} // namespace Vyr
