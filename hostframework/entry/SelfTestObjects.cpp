#include "hostframework/entry/SelfTestObjects.h"

#include "foundation/com/ComFace.h"
#include "hostframework/messaging/SistraIds.h"

namespace
{

constexpr const wchar_t* UnsetCalculationText = L"NOT SET";
constexpr LONG DefaultSamplesToTest = 26123;
constexpr LONG DefaultRecordCount = 3;

HRESULT HandOut(const Orv::String& text, IAutoOrvString** out)
{
    if (!out)
        return E_POINTER;
    IOrvString* rep = text.Interface();
    rep->AddRef();
    *out = rep;
    return S_OK;
}

} // namespace

HRESULT STDMETHODCALLTYPE UnitTestBase::QueryInterface(REFIID iid, void** object)
{
    return Orv::QueryOneFace(static_cast<IUnitTest*>(this), iid, object, IID_IUnitTest);
}

ULONG STDMETHODCALLTYPE UnitTestBase::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE UnitTestBase::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetTestCount(LONG* count)
{
    if (!count)
        return E_FAIL;
    *count = 0;
    return S_OK;
}

// With no tests, every index is out of range.
HRESULT STDMETHODCALLTYPE UnitTestBase::RunTest(LONG)
{
    return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetTestName(LONG, IAutoOrvString** name)
{
    if (name)
        *name = nullptr;
    return E_INVALIDARG;
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetResult(VARIANT_BOOL* passed, IAutoOrvString** message)
{
    if (!passed)
        return E_POINTER;
    *passed = VARIANT_TRUE;
    return HandOut(Orv::String(), message);
}

HRESULT STDMETHODCALLTYPE UnitTestBase::Initialize()
{
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetAuthor(IAutoOrvString** author)
{
    return HandOut(author_, author);
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetTestValue(LONG, double* value)
{
    if (value)
        *value = 0.0;
    return E_INVALIDARG;
}

ETB::TestSetup::TestSetup()
    : mEnumID(Sistra::HostCommonType::Id()),
      mArithString(UnsetCalculationText),
      mNumSamplesToTest(DefaultSamplesToTest),
      mIsFilling(false),
      mNumRecords(DefaultRecordCount)
{
}
