#include "host/app/calc/ExpressionCalcClass.h"

#include "host/app/calc/CalcCompiler.h"
#include "host/app/calc/HostCalcClass.h"
#include "host/app/HostDocument.h"

#include "foundation/com/ComBoundary.h"

namespace Host::Calc
{
namespace
{

constexpr ULONG ExpressionTypeNumber = 0;

// The events of one text over one record of the document. The text reads the document's channels
// itself: the channel enumerators its caller opened are not needed.
class ExpressionEnum final : public HostCalcEnum<IEnumEventEx>
{
public:
    explicit ExpressionEnum(Orv::ComPtr<HostDocument> document) : document_(std::move(document)) {}

    // ICalcEnum
    // The text is compiled at once, so that an error in it is reported here.
    HRESULT STDMETHODCALLTYPE ReadArguments(IUnknown* arguments, uint32_t* flags) override
    {
        return Orv::CatchReturn([&] {
            std::string source;
            if (!ReadArgumentText(arguments, source))
                return E_INVALIDARG;
            const auto compiled =
                CompileExpression(source, document_->CompileContextOf());
            if (compiled.kind != ValueKind::Events)
                return E_INVALIDARG;
            events_ = compiled.events;
            if (flags)
                *flags = 0;
            return S_OK;
        });
    }
    HRESULT STDMETHODCALLTYPE Clone(IUnknown*, ICalcEnum** clone) override { return AnswerUnsupported(clone); }
    HRESULT STDMETHODCALLTYPE Start(int32_t record, uint32_t, IUnknown* const*, IUnknown* const*, double interval,
                                    int32_t, int32_t) override
    {
        Stop();
        if (!events_ || record < 0)
            return E_INVALIDARG;
        return Orv::CatchReturn([&] {
            reader_ = Orv::ComPtr<IEnumEventEx>(
                new EventEnumAdaptor(document_->Data(), events_, static_cast<size_t>(record)));
            record_ = record;
            interval_ = interval;
        });
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t tick) override
    {
        if (!reader_)
            return E_FAIL;
        const HRESULT hr = reader_->Seek(CalcSeekForward, tick, tick, CalcNoMoreEventsTick);
        return FAILED(hr) ? hr : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        reader_.Reset();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSourceCount(uint32_t* count) override { return AnswerZero(count); }
    HRESULT STDMETHODCALLTYPE GetRecord(int32_t* record) override { return AnswerValue(record, record_); }
    HRESULT STDMETHODCALLTYPE GetSampleInfo(double* interval, IUnknown** unit) override
    {
        if (interval)
            *interval = interval_;
        return AnswerNothing(unit);
    }
    HRESULT STDMETHODCALLTYPE GetTimeBase(TimeBase* timeBase) override { return AnswerZero(timeBase); }

    // IEnumEventEx: the events of the started record.
    HRESULT STDMETHODCALLTYPE Next(int32_t byteCount, int32_t limit, void* records, int32_t* count,
                                   int32_t* nextPosition) override
    {
        return reader_ ? reader_->Next(byteCount, limit, records, count, nextPosition) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Seek(int32_t direction, int32_t tick, int32_t rangeStart, int32_t rangeEnd) override
    {
        return reader_ ? reader_->Seek(direction, tick, rangeStart, rangeEnd) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        return reader_ ? reader_->GetPosition(tick) : E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumEventEx** clone) override { return AnswerUnsupported(clone); }
    HRESULT STDMETHODCALLTYPE GetRecordSize(int32_t* bytes) override
    {
        if (!bytes)
            return E_POINTER;
        if (!events_)
            return E_FAIL;
        *bytes = static_cast<int32_t>(events_->RecordSize());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetUnitName(IUnknown** unit) override { return AnswerNothing(unit); }
    HRESULT STDMETHODCALLTYPE GetEventCount(int32_t*) override { return E_NOTIMPL; }

private:
    Orv::ComPtr<HostDocument> document_;
    EventNodePtr events_;
    Orv::ComPtr<IEnumEventEx> reader_;
    int32_t record_ = 0;
    double interval_ = 0.0;
};

} // namespace

HRESULT CreateExpressionCalc(IUnknown* context, ICalcEnum** calc)
{
    if (!calc)
        return E_POINTER;
    *calc = nullptr;
    auto document = HostDocument::FromContext(context);
    if (!document)
        return E_INVALIDARG;
    return Orv::CatchReturn([&] {
        Orv::ComPtr<ICalcEnum> created(new ExpressionEnum(std::move(document)));
        *calc = created.Detach();
    });
}

HRESULT RegisterExpressionCalcClass(IVyrStandIn& standIn)
{
    static HostCalcClass expressionClass({&ExpressionCalcClassGuid, ExpressionTypeNumber, L"Calculation",
                                          L"Events of calculation text over the document's channels.",
                                          CreateExpressionCalc});
    return expressionClass.Register(standIn);
}

} // namespace Host::Calc
