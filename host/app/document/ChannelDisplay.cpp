#include "host/app/document/ChannelDisplay.h"

#include "host/app/document/HostDocument.h"
#include "host/app/files/TextConversion.h"
#include "host/vyr/UnitConversions.h"
#include "foundation/com/ComBoundary.h"

#include <algorithm>
#include <limits>

namespace Host
{

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::QueryInterface(REFIID iid, void** out)
{
    if (!out)
        return E_POINTER;
    *out = nullptr;
    if (iid == IID_IUnknown || iid == IID_IGridOptions)
        *out = static_cast<IGridOptions*>(this);
    else if (iid == IID_IChannelDrawSettings)
        *out = static_cast<IChannelDrawSettings*>(this);
    else if (iid == IID_IPreferenceSource)
        *out = static_cast<IPreferenceSource*>(this);
    else
        return E_NOINTERFACE;
    AddRef();
    return S_OK;
}

ULONG STDMETHODCALLTYPE ChannelDisplaySettings::AddRef()
{
    return static_cast<ULONG>(InterlockedIncrement(&references_));
}

ULONG STDMETHODCALLTYPE ChannelDisplaySettings::Release()
{
    const LONG left = InterlockedDecrement(&references_);
    if (left == 0)
        delete this;
    return static_cast<ULONG>(left);
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetOptions(COLORREF* colour, SHORT* showGrid, ULONG* style)
{
    if (!colour || !showGrid || !style)
        return E_POINTER;
    *colour = ChannelGridColour;
    *showGrid = 1;
    *style = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetShowTrigger(SHORT* show)
{
    return Orv::AnswerValue(show, 0);
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetStyle(ULONG, LONG, ULONG* style)
{
    return Orv::AnswerValue(style, 0);
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetColour(ULONG, LONG channel, ULONG, COLORREF* colour)
{
    return Orv::AnswerValue(colour, ChannelTraceColour(channel));
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetLineWidth(LONG, LONG* width)
{
    return Orv::AnswerValue(width, 1);
}

HRESULT STDMETHODCALLTYPE ChannelDisplaySettings::GetPreferenceRecord(ULONG, LONG, LONG, void*, ULONG)
{
    return S_FALSE;
}

} // namespace Host

namespace Host
{

// The calculations' scale gives the value without the shown unit's prefix; the host shows it with it.
HostDocument::ChannelShowing HostDocument::ShowingOf(size_t channel, size_t record) const
{
    const Calc::ShownScale shown = ShownScaleOf(channel, record);
    Vyr::ConversionFacts facts;
    IUnitConversion* conversion = ConversionShowing(channel, record);
    if (!conversion || !Vyr::ReadConversionFacts(*conversion, facts) || !(facts.shownPrefixFactor > 0.0))
        return {1.0, 0.0, Vyr::ShownUnitText(FromUtf8(Data().Channels().at(channel).unit))};
    return {shown.scale / facts.shownPrefixFactor, shown.offset / facts.shownPrefixFactor, facts.shownUnit};
}

HRESULT STDMETHODCALLTYPE HostDocument::GetDisplayRange(int32_t channel, uint32_t kind, double* low, double* high)
{
    if (!low || !high)
        return E_POINTER;
    if (!HasChannel(channel))
        return E_INVALIDARG;
    const Recording* whole = feed_ && feed_->Source() ? feed_->Source() : &Data();
    if (kind != HostDisplayRangeShown || !IsRecordedChannel(channel) ||
        static_cast<size_t>(channel) >= whole->Channels().size())
        return S_FALSE;
    return Orv::CatchReturn([&]() -> HRESULT {
        // Shown as the data view shows the channel: through its conversion in each record.
        double lowest = std::numeric_limits<double>::infinity(), highest = -std::numeric_limits<double>::infinity();
        for (size_t record = 0; record < whole->RecordCount(); ++record)
        {
            const ChannelShowing showing = ShowingOf(static_cast<size_t>(channel), record);
            whole->RecordAt(record).ForEachStretch(static_cast<size_t>(channel), [&](std::span<const float> samples) {
                if (samples.empty())
                    return;
                const auto [least, most] = std::minmax_element(samples.begin(), samples.end());
                for (const float sample : {*least, *most})
                {
                    lowest = std::min(lowest, sample * showing.scale + showing.offset);
                    highest = std::max(highest, sample * showing.scale + showing.offset);
                }
            });
        }
        if (!(lowest <= highest))
            return S_FALSE;
        *low = lowest;
        *high = highest;
        return S_OK;
    });
}

} // namespace Host
