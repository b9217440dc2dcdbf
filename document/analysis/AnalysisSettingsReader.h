// The analysis data's settings as the workflow models of a document hold them.
#pragma once

#include "document/analysis/AnalysisDataOwner.h"
#include "document/models/ModelOwner.h"

namespace Sistra
{

AnalysisSettings ReadAnalysisSettings(ModelOwner& document);

} // namespace Sistra
