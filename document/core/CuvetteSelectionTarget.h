// The cuvette calibration view as the document reaches it through the host: the automation command
// that adds the host's selection to the cuvette calibration is carried out by the open view.
#pragma once

namespace Sistra
{

class CuvetteSelectionTarget
{
public:
    virtual void SetFromSelection() = 0;

protected:
    ~CuvetteSelectionTarget() = default;
};

} // namespace Sistra
