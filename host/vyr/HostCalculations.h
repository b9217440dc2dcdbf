// The host's text calculation, which a module makes from calculation text for a channel's slot, and the
// receiver that finds the slot's target in a document's data. The document itself compiles the text
// when the calculation is installed.
#pragma once

#include "ComObjects.h"
#include "hostapi/HostChannelCalc.h"

namespace Vyr
{

// A new text calculation for typeId (its class's type id), with one reference; no aggregation.
HRESULT CreateTextCalculation(IUnknown* outer, ULONG typeId, REFIID iid, void** object);

class CalcReceiver final : public StaticComObject<IHostCalcReceiver, &IID_IHostCalcReceiver>
{
public:
    HRESULT STDMETHODCALLTYPE GetTarget(int32_t channel, int32_t selector, IUnknown* documentData,
                                        IHostCalcTarget** target) override;
};

} // namespace Vyr
