// The IUnitTest objects the module hands to the host's test registry: a table of tests the host's
// runner lists and runs one at a time. The base runs its derived class's hooks through their virtual
// declarations only and knows no test object; what the tests call of it lies in this header and in
// the failure checks beside it.
#pragma once

#include "hostapi/VyrClassRegistry.h"
#include "selftest/framework/TestFailure.h"
#include "foundation/com/ComObjectRoot.h"
#include "foundation/text/String.h"

#include <functional>
#include <utility>
#include <vector>

// Counted, made with no reference and freed with its last one.
class UnitTestBase : public IUnitTest, private Orv::CComObjectRoot
{
public:
    UnitTestBase() = default;
    UnitTestBase(const UnitTestBase&) = delete;
    UnitTestBase& operator=(const UnitTestBase&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return InternalAddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return ReleaseWith([this] { delete this; }); }

    HRESULT STDMETHODCALLTYPE GetTestCount(LONG* count) override;
    // A failed check is the test's result. Anything else thrown is no result: the answer is its failure
    // code (and the result reads failed).
    HRESULT STDMETHODCALLTYPE RunTest(LONG index) override;
    HRESULT STDMETHODCALLTYPE GetTestName(LONG index, IAutoOrvString** name) override;
    HRESULT STDMETHODCALLTYPE GetResult(VARIANT_BOOL* passed, IAutoOrvString** message) override;
    // Appends the tests to the table: a second call lists every test twice.
    HRESULT STDMETHODCALLTYPE Initialize() override;
    HRESULT STDMETHODCALLTYPE GetAuthor(IAutoOrvString** author) override;
    HRESULT STDMETHODCALLTYPE GetTestValue(LONG index, double* value) override;

protected:
    virtual ~UnitTestBase() = default;

    virtual void RegisterTests() = 0;
    virtual void SetAuthor() = 0;
    virtual void SetUp() {}
    virtual void TearDown() {}

    // The entry's index is its position in the table.
    void AddTest(std::function<void()> test, const char* name, double value)
    {
        tests_.push_back(std::move(test));
        names_.emplace_back(name);
        values_.push_back(value);
    }
    void SetAuthorText(const Orv::String& author) { author_ = author; }

private:
    bool HasTest(LONG index) const { return index >= 0 && static_cast<size_t>(index) < tests_.size(); }

    std::vector<std::function<void()>> tests_;
    std::vector<Orv::String> names_;
    std::vector<double> values_;
    bool status_ = true;
    Orv::String message_;
    Orv::String author_;
};
