#include "host/app/calc/ExpressionCalcClass.h"

#include "host/app/calc/CalcCompiler.h"
#include "host/app/calc/HostCalcClass.h"
#include "host/app/document/HostDocument.h"
#include "host/app/files/TextConversion.h"

#include "foundation/com/ComBoundary.h"
#include "foundation/text/String.h"

#include <memory>
#include <stdexcept>

namespace Host::Calc
{
namespace
{

constexpr ULONG ExpressionTypeNumber = 0;

// Whether the text yields samples without naming a channel of any recording.
bool IsFormulaOfTime(const std::string& text)
{
    const Recording clock(std::vector<ChannelInfo>{});
    try
    {
        return CompileExpression(text, CompileContext{clock, {}, {}, {}, {}, {}}).kind == ValueKind::Channel;
    }
    catch (const CalcTextError&)
    {
        return false;
    }
}

// A text that yields samples and names no channel (a formula of time and noise) sampled on its own
// clock: one sample per tick of the interval, as many as are read. It is what feeds a channel of a
// document that a data source fills, so it cannot read the document's channels itself.
class FormulaSamples final : public CountedObject<IEnumFloatEx>
{
public:
    FormulaSamples(const std::string& text, double interval, size_t record)
        : clock_(std::make_unique<Recording>(std::vector<ChannelInfo>{{"clock", ""}})), record_(record)
    {
        for (size_t index = 0; index <= record; ++index)
            clock_->AddRecord(interval);
        formula_ = CompileExpression(text, CompileContext{*clock_, {}, {}, {}, {}, {}}).channel;
        if (!formula_)
            throw std::invalid_argument("the formula yields no samples");
    }

    HRESULT STDMETHODCALLTYPE Clone(IEnumFloatEx** clone) override { return AnswerUnsupported(clone); }
    HRESULT STDMETHODCALLTYPE Skip(int32_t count, int32_t* skipped) override
    {
        if (count < 0)
            return E_INVALIDARG;
        position_ += count;
        return skipped ? AnswerValue(skipped, count) : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPosition(int32_t* tick) override
    {
        return AnswerValue(tick, static_cast<int32_t>(position_));
    }
    HRESULT STDMETHODCALLTYPE GetDataFormat(uint16_t* format) override { return AnswerZero(format); }
    HRESULT STDMETHODCALLTYPE GetScale(TimeBase* timeBase) override { return AnswerValue(timeBase, TimeBase{}); }
    HRESULT STDMETHODCALLTYPE Next(int32_t count, float* samples, int32_t* fetched) override
    {
        if (!fetched || (count > 0 && !samples))
            return E_POINTER;
        *fetched = 0;
        if (count <= 0)
            return S_OK;
        return Orv::CatchReturn([&] {
            // The clock's record grows with what is read, so the formula's nodes see the ticks as there.
            Record& clock = clock_->RecordAt(record_);
            const int64_t missing = position_ + count - clock.Length();
            if (missing > 0)
            {
                const std::vector<float> ticks(static_cast<size_t>(missing), 0.0f);
                clock.Append({std::span<const float>(ticks)});
            }
            formula_->Compute(record_, position_, std::span<float>(samples, static_cast<size_t>(count)));
            position_ += count;
            *fetched = count;
        });
    }
    void STDMETHODCALLTYPE DeleteThis() override { CountedObject::DeleteThis(); }

private:
    std::unique_ptr<Recording> clock_; // the formula's nodes keep its address
    size_t record_;
    SampleNodePtr formula_;
    int64_t position_ = 0;
};

// The events of one text over one record of the document. The text reads the document's channels
// itself: the channel enumerators its caller opened are not needed.
class ExpressionEnum final : public HostCalcEnum<IEnumEventEx>
{
public:
    explicit ExpressionEnum(Orv::ComPtr<HostDocument> document) : document_(std::move(document)) {}

    // A text that yields samples is read as a formula on its own clock, through IEnumFloatEx once started.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out && iid == IID_IEnumFloatEx && formulaSamples_)
            return formulaSamples_->QueryInterface(iid, out);
        return HostCalcEnum::QueryInterface(iid, out);
    }

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
            compiledRevision_ = document_->CalculationRevision();
            if (compiled.kind == ValueKind::Events)
                events_ = compiled.events;
            else if (IsFormulaOfTime(source))
                formula_ = source;
            else
                return E_INVALIDARG; // samples of the document's channels are no calculation of their own
            if (flags)
                *flags = 0;
            text_ = source;
            return S_OK;
        });
    }
    // The text read, for a host that asks what a channel made by this calculation reads.
    HRESULT STDMETHODCALLTYPE GetArgumentText(IOrvString** text) override
    {
        if (!text)
            return E_POINTER;
        return Orv::CatchReturn([&] {
            const Orv::String read(FromUtf8(text_).c_str());
            *text = read.Interface();
            (*text)->AddRef();
        });
    }
    HRESULT STDMETHODCALLTYPE Clone(IUnknown*, ICalcEnum** clone) override { return AnswerUnsupported(clone); }
    HRESULT STDMETHODCALLTYPE Start(int32_t record, uint32_t, IUnknown* const*, IUnknown* const*, double interval,
                                    int32_t, int32_t) override
    {
        Stop();
        if (record < 0 || !FollowDocumentCalculations() || (!events_ && formula_.empty()))
            return E_INVALIDARG;
        if (!events_)
            return Orv::CatchReturn([&]() -> HRESULT {
                try
                {
                    formulaSamples_ = Orv::ComPtr<IEnumFloatEx>(new FormulaSamples(formula_, interval, static_cast<size_t>(record)));
                }
                catch (const CalcTextError&)
                {
                    return E_INVALIDARG; // it names what it cannot read on its own clock
                }
                record_ = record;
                interval_ = interval;
                return S_OK;
            });
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
        // A backward search in the one-tick window leaves the reader at the tick whether or not an event
        // lies there, so the next read starts at the tick asked for and the position reports it.
        const HRESULT hr = reader_->Seek(CalcSeekBackward, tick, tick, tick + 1);
        return FAILED(hr) ? hr : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        reader_.Reset();
        formulaSamples_.Reset();
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
    // The document's named calculations the text reads (the module's loop events) change with each
    // analysis: the events are compiled again from the text, or are none once a name reads nothing.
    // Compiled once, a computed channel kept the values of the analysis it was made on; and a text that
    // read nothing once (Clear Analysis) must be compiled again when the next analysis names its events.
    bool FollowDocumentCalculations()
    {
        if (!formula_.empty() || compiledRevision_ == document_->CalculationRevision())
            return true;
        compiledRevision_ = document_->CalculationRevision();
        events_.reset();
        try
        {
            const auto compiled = CompileExpression(text_, document_->CompileContextOf());
            if (compiled.kind == ValueKind::Events)
                events_ = compiled.events;
        }
        catch (const CalcTextError&)
        {
        }
        return events_ != nullptr;
    }

    EventNodePtr events_;
    std::string formula_;
    std::string text_;
    uint64_t compiledRevision_ = 0;
    Orv::ComPtr<IEnumEventEx> reader_;
    Orv::ComPtr<IEnumFloatEx> formulaSamples_;
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
