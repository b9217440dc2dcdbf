#include "document/core/SistraDocument.h"

#include "document/tests/analysis/FakeCalcItems.h"

#include "hostapi/VyrClassRegistry.h"
#include "hostframework/services/HostServices.h"

#include <gtest/gtest.h>

#include <new>

using namespace Sistra;

namespace
{

constexpr int32_t RecordTicks = 5000;

// Loop records that cannot be read without memory.
class EventsOutOfMemory final : public CalcTesting::FakeRecordEvents<SistraEvent>
{
public:
    HRESULT STDMETHODCALLTYPE Next(int32_t, int32_t, void*, int32_t*, int32_t*) override { throw std::bad_alloc(); }
};

// A host document of one record whose loop calculation runs out of memory.
class HostOfOneRecord final : public IHostDocument
{
public:
    HostOfOneRecord()
    {
        items.FindItem(LoopEventStreamName, &loopItem);
        items.Named(LoopEventStreamName)->blocks[0] = [this](int32_t) { return &events; };
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, IID_IHostCalcItems))
            return items.QueryInterface(iid, object);
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IHostDocument) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE GetRecordCount(int32_t* count, int32_t* current) override
    {
        *count = 1;
        *current = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRecordLength(uint32_t, int32_t, int32_t* ticks) override
    {
        *ticks = RecordTicks;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRecordingEnd(uint32_t, uint64_t* position) override
    {
        *position = RecordTicks;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetChannelCount(int32_t* count) override
    {
        *count = 2;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRecordHandle(int32_t, ULONG_PTR* handle) override
    {
        *handle = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSampleCount(uint32_t, ULONG_PTR, int32_t, int32_t* count) override
    {
        *count = RecordTicks;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetChannelConversion(int32_t, int32_t, int32_t, IUnitConversion** conversion) override
    {
        *conversion = nullptr;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE GetTickInterval(uint32_t, int32_t, double*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AdjustStartPosition(uint32_t, int32_t, int32_t, TickPosition*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenChannelEnum(uint32_t, int32_t, int32_t, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetChannelData(uint32_t, int32_t, int32_t, IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ApplyChannelSetup(uint32_t, uint32_t, int32_t, uint32_t, IUnknown*) override
    {
        return E_NOTIMPL;
    }

    DocumentTesting::FakeCalcItems items;
    HostItemId loopItem;
    EventsOutOfMemory events;
};

std::vector<std::wstring> MessageBoxesFrom(ULONG first)
{
    ObjectFactoryAccessor::Get();
    Orv::ComPtr<IVyrStandIn> standIn;
    CoGetClassObject(CLSID_VyrFrameWork, CLSCTX_INPROC_SERVER, nullptr, IID_IVyrStandIn, standIn.PutVoid());
    std::vector<std::wstring> texts;
    for (ULONG index = first;; ++index)
    {
        BSTR text = nullptr, caption = nullptr;
        UINT style = 0;
        LONG answer = 0;
        if (FAILED(standIn->GetMessageBox(index, &text, &caption, &style, &answer)))
            return texts;
        texts.emplace_back(text ? text : L"");
        SysFreeString(text);
        SysFreeString(caption);
    }
}

} // namespace

// An offline run that runs out of memory tells the user as an online one does, and clears what it began.
TEST(OfflineRun, RunningOutOfMemoryIsToldAndTheAnalysisCleared)
{
    HostOfOneRecord host;
    auto* document = new SistraDocument(&host, nullptr, 0);
    const Orv::ComPtr<IUnknown> holder(document->Outer());
    const ModelPtr setup = document->GetSetupModel();
    setup->SetPressureChannel(0);
    setup->SetVolumeChannel(1);
    setup->SetValue<PropertyType::Int>(PropertyId::RegionMode, 1);
    setup->CommitChanges();
    document->OnAttached(0);
    document->OnHostDocumentReady(&host);
    const ULONG before = static_cast<ULONG>(MessageBoxesFrom(0).size());

    document->OnAnalyzeNowMsg();

    EXPECT_EQ(std::vector<std::wstring>{L"Kymorama has run out of memory. Sistra analysis is being abandoned, please "
                                        L"save your documents."},
              MessageBoxesFrom(before));
    EXPECT_FALSE(setup->GetValue<PropertyType::Bool>(PropertyId::RegionSet));
}
