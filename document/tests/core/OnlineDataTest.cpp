#include "document/core/SistraDocument.h"

#include "hostapi/VyrClassRegistry.h"
#include "hostframework/services/HostServices.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>

using namespace Sistra;

namespace
{

// A host document that only tells whether it records, by running what the test gives it.
class RecordingQuestion final : public IHostSampling
{
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        *object = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IHostSampling) ? this : nullptr;
        return *object ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE IsSampling(ULONG, int16_t* sampling) override
    {
        *sampling = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsRecording(ULONG, LONG, int16_t*) override
    {
        answer();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CanToggleSampling() override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE IsBusy(int16_t* busy) override { return *busy = 0, S_OK; }

    std::function<void()> answer;
};

Orv::ComPtr<IVyrStandIn> StandIn()
{
    ObjectFactoryAccessor::Get();
    Orv::ComPtr<IVyrStandIn> standIn;
    CoGetClassObject(CLSID_VyrFrameWork, CLSCTX_INPROC_SERVER, nullptr, IID_IVyrStandIn, standIn.PutVoid());
    return standIn;
}

ULONG MessageBoxCount()
{
    ULONG count = 0;
    for (;; ++count)
    {
        BSTR text = nullptr, caption = nullptr;
        UINT style = 0;
        LONG answer = 0;
        if (FAILED(StandIn()->GetMessageBox(count, &text, &caption, &style, &answer)))
            return count;
        SysFreeString(text);
        SysFreeString(caption);
    }
}

} // namespace

// New data never throws into the host: running out of memory is told to the user and sampling goes on;
// any other failure is the call's failure.
TEST(OnlineData, NewDataKeepsEveryFailureFromTheHost)
{
    const struct
    {
        std::function<void()> fail;
        HRESULT result;
        ULONG boxes;
    } cases[] = {
        {[] { throw std::bad_alloc(); }, S_OK, 1},
        {[] { throw std::runtime_error("lost"); }, E_FAIL, 0},
        {[] {}, S_OK, 0},
    };
    for (const auto& test : cases)
    {
        RecordingQuestion host;
        host.answer = test.fail;
        auto* document = new SistraDocument(&host, nullptr, 0);
        const Orv::ComPtr<IUnknown> holder(document->Outer());
        document->GetSetupModel()->SetValue<PropertyType::Bool>(PropertyId::OnlineMode, true);
        const ULONG before = MessageBoxCount();
        EXPECT_EQ(test.result, document->OnNewData(0));
        EXPECT_EQ(before + test.boxes, MessageBoxCount());
    }
}
