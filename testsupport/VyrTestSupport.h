// What the framework stand-in's tests and the module's host-client tests share: a test's class object,
// and reading back what the stand-in recorded or handed out.
#pragma once

#include "hostapi/VyrClassRegistry.h"
#include "hostapi/VyrServices.h"

#include <oleauto.h>

#include <string>
#include <vector>

// A test's class object as the framework sees it: a fixed type id and title, no category. Each test
// adds its own IUnknown.
class ClassObjectDouble : public IVyrClassObject
{
public:
    ClassObjectDouble(const wchar_t* title, ULONG typeId) : title_(title), typeId_(typeId) {}

    HRESULT STDMETHODCALLTYPE GetTypeId(ULONG* typeId) override
    {
        *typeId = typeId_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetCategoryGuid(const GUID** category) override
    {
        *category = nullptr;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTitle(BSTR* title) override
    {
        *title = SysAllocString(title_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsCategory(const GUID*) override { return S_FALSE; }

private:
    const wchar_t* title_;
    ULONG typeId_;
};

struct RecordedMessageBox
{
    std::wstring text;
    std::wstring caption;
    UINT style = 0;
    LONG answer = 0;
};

// Every box recorded so far in this process, oldest first.
inline std::vector<RecordedMessageBox> RecordedMessageBoxes(IVyrStandIn& standIn)
{
    std::vector<RecordedMessageBox> boxes;
    for (ULONG index = 0;; ++index)
    {
        BSTR text = nullptr, caption = nullptr;
        RecordedMessageBox box;
        if (standIn.GetMessageBox(index, &text, &caption, &box.style, &box.answer) != S_OK)
            return boxes;
        box.text.assign(text, SysStringLen(text));
        box.caption.assign(caption, SysStringLen(caption));
        SysFreeString(text);
        SysFreeString(caption);
        boxes.push_back(std::move(box));
    }
}

// A host unit's name and SI prefix code.
struct UnitNameAndPrefix
{
    std::wstring name;
    LONG prefixCode = 0;
};

inline UnitNameAndPrefix ReadHostUnit(IHostUnit& unit)
{
    UnitNameAndPrefix read;
    BSTR text = nullptr;
    unit.GetPrefixCode(&read.prefixCode);
    unit.GetUnitText(&text);
    read.name.assign(text, SysStringLen(text));
    SysFreeString(text);
    return read;
}
