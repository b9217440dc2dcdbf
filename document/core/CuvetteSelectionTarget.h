// The cuvette calibration view as the document reaches it through the host: the automation command
// that adds the host's selection to the cuvette calibration is carried out by the open view.
#pragma once

#include "foundation/text/String.h"

namespace Sistra
{

class CuvetteSelectionTarget
{
public:
    // Why the selection was not taken (the person at the view has been told); empty when it was.
    virtual Orv::String SetFromSelection() = 0;

protected:
    ~CuvetteSelectionTarget() = default;
};

} // namespace Sistra
