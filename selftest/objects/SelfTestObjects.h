// The module's five self-test objects, one per calculation function it adds to the host's language;
// each runs the seven standard tests over a synthetic recording of its own. They reach the host only
// through the self-test list that registration walks.
#pragma once

#include <string>

namespace Sistra
{

// The calculation text of the PVA test: the PVA calculation over loops of a synthetic pair of
// pressure and volume, with its seven constants written as a default wide stream writes them.
std::wstring PvaTestCalculationText();

} // namespace Sistra
