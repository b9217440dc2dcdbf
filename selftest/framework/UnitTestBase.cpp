#include "selftest/framework/UnitTestBase.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/com/ComFace.h"

namespace
{

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

HRESULT STDMETHODCALLTYPE UnitTestBase::GetTestCount(LONG* count)
{
    if (!count)
        return E_FAIL;
    *count = static_cast<LONG>(tests_.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UnitTestBase::RunTest(LONG index)
{
    if (!HasTest(index))
        return E_INVALIDARG;
    status_ = true;
    message_ = Orv::String();
    try
    {
        SetUp();
        tests_[static_cast<size_t>(index)]();
        TearDown();
    }
    catch (const UnitTestException& failure)
    {
        status_ = false;
        message_ = failure.Message();
    }
    catch (...)
    {
        // Not a result of the test: the runner learns of it from the answer, which no exception may
        // cross. A runner that reads the result anyway does not see a pass.
        status_ = false;
        message_ = L"The test stopped on an unexpected failure.";
        return Orv::ResultOfCurrentException();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetTestName(LONG index, IAutoOrvString** name)
{
    if (name)
        *name = nullptr;
    if (!HasTest(index))
        return E_INVALIDARG;
    return HandOut(names_[static_cast<size_t>(index)], name);
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetResult(VARIANT_BOOL* passed, IAutoOrvString** message)
{
    if (!passed || !message)
        return E_POINTER;
    *passed = status_ ? VARIANT_TRUE : VARIANT_FALSE;
    // A copy of its own, so that the runner's reference never reaches the text the next run rewrites.
    return HandOut(message_.IsEmpty() ? Orv::String() : Orv::String(message_.c_str()), message);
}

HRESULT STDMETHODCALLTYPE UnitTestBase::Initialize()
{
    RegisterTests();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetAuthor(IAutoOrvString** author)
{
    SetAuthor();
    return HandOut(author_, author);
}

HRESULT STDMETHODCALLTYPE UnitTestBase::GetTestValue(LONG index, double* value)
{
    if (!value)
        return E_POINTER;
    *value = 0.0;
    if (!HasTest(index))
        return E_INVALIDARG;
    *value = values_[static_cast<size_t>(index)];
    return S_OK;
}
