// A host document's named data items for the analysis tests: each item's records are given per block by
// the test; building a calculation only records its text.
#pragma once

#include "calc/tests/SyntheticLoops.h"

#include "hostapi/HostDocument.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace DocumentTesting
{

class FakeCalcItems final : public IHostCalcItems
{
public:
    struct Item
    {
        std::wstring name;
        std::wstring text;
        // Per block: a new reader of the block's records from a tick on.
        std::map<int32_t, std::function<IEnumEventEx*(int32_t)>> blocks;
    };

    template <class Record>
    void SetRecords(const std::wstring& name, int32_t block, const std::vector<Record>& records)
    {
        items[static_cast<size_t>(IdOf(name))].blocks[block] = [this, records](int32_t startTick) {
            auto events = std::make_shared<CalcTesting::FakeRecordEvents<Record>>(records);
            events->Seek(CalcSeekForward, startTick, startTick, CalcNoMoreEventsTick);
            readers.push_back(events);
            return static_cast<IEnumEventEx*>(events.get());
        };
    }
    Item* Named(const std::wstring& name)
    {
        for (Item& item : items)
            if (item.name == name)
                return &item;
        return nullptr;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        *out = iid == IID_IUnknown || iid == IID_IHostCalcItems ? this : nullptr;
        return *out ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE FindItem(const WCHAR* name, HostItemId* id) override
    {
        *id = HostItemId{IdOf(name), 0};
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetItemCalculation(HostItemId id, const WCHAR* text, BSTR*) override
    {
        items[static_cast<size_t>(id.first)].text = text;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DropItemCalculation(HostItemId id) override
    {
        items[static_cast<size_t>(id.first)].text.clear();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenItemEvents(HostItemId id, uint32_t, uint32_t, int32_t record, int32_t startTick,
                                             int32_t, IUnknown** events) override
    {
        ++opened;
        const Item& item = items[static_cast<size_t>(id.first)];
        const auto block = item.blocks.find(record);
        if (item.text.empty() || block == item.blocks.end())
            return E_INVALIDARG;
        *events = block->second(startTick);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE FormatItemId(HostItemId id, BSTR* text) override
    {
        const auto index = static_cast<size_t>(id.first);
        *text = id.first >= 0 && index < items.size() ? SysAllocString(items[index].name.c_str()) : nullptr;
        return *text ? S_OK : E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE KeepItemText(const WCHAR* text) override
    {
        keptTexts.emplace_back(text);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE OpenTextEvents(uint32_t, const WCHAR*, uint32_t, int32_t, int32_t, int32_t,
                                             IUnknown**) override
    {
        return E_NOTIMPL;
    }
    std::vector<std::wstring> keptTexts;

    std::vector<Item> items;
    int opened = 0;
    std::vector<std::shared_ptr<void>> readers; // the readers handed out live as long as the fake

private:
    int32_t IdOf(const std::wstring& name)
    {
        for (size_t i = 0; i < items.size(); ++i)
            if (items[i].name == name)
                return static_cast<int32_t>(i);
        items.push_back(Item{name});
        return static_cast<int32_t>(items.size() - 1);
    }
};

} // namespace DocumentTesting
