// The static class objects of the module's calculation functions. They are defined in this one file so
// that they are constructed, and so linked into the class-object list, in the order of registration:
// each links itself at the head, so the list runs in the reverse of the order below. The functions
// whose enumerators live elsewhere take their place here when they join.
#include "calc/engine/CalcClassObjects.h"

#include "calc/channel/ChannelCalculationClass.h"
#include "calc/engine/EEH3Enumerator.h"
#include "calc/detectors/EdpDetector.h"
#include "calc/loops/LoopAnalyzer.h"
#include "calc/loops/PSineFitEnum.h"
#include "calc/pva/ParamSelectors.h"
#include "calc/detectors/PeakAndEcgDetectors.h"
#include "calc/pva/PvaCalculation.h"

namespace CalcEnums
{

// The detectors' enumerator number: 0 for the loop analyzer, 8 for the detectors that feed it.
constexpr int AnalyzerEnumeratorNumber = 0;
constexpr int DetectorEnumeratorNumber = 8;

using AnalyzerEnumerator = EEH3::EEH3Enumerator<Sistra::DetEx_Enumerator, AnalyzerEnumeratorNumber>;
using EcgEdpEnumerator = EEH3::EEH3Enumerator<Sistra::EcgEnumerator, DetectorEnumeratorNumber>;
using EdpEnumerator = EEH3::EEH3Enumerator<Sistra::EdpEnumerator, DetectorEnumeratorNumber>;
using MaxEnumerator = EEH3::EEH3Enumerator<Sistra::MaxEnumerator, DetectorEnumeratorNumber>;
using PvaEnumerator = EEH3::EEH3Enumerator<Sistra::Sistra::Enumerator, DetectorEnumeratorNumber>;

namespace
{

CalcEnumNumericParamsClass<Sistra::PSineFitEnum> PSineFitClass{PSineFitFunction};
// The computed channel "Sistra"; its settings class links itself right after it.
Sistra::ChannelCalculationClass ChannelClass;
CalcEnumNumericParamsClass<AnalyzerEnumerator> SistraAnalyzerClass{SistraAnalyzerFunction};
CalcEnumNumericParamsClassEx<EcgEdpEnumerator> PVEcgEdpDetClass{PVEcgEdpDetFunction};
CalcEnumNumericParamsClassEx<EdpEnumerator> PVEdpDetClass{PVEdpDetFunction};
CalcEnumNumericParamsClassEx<MaxEnumerator> PVMaxDetClass{PVMaxDetFunction};
CalcEnumNumericParamsClass<Sistra::Enum::Selector> ParamSelectorClass{ParamSelectorFunction};
CalcEnumNumericParamsClass<Sistra::Enum::PVASelector> PVAParamSelectorClass{PVAParamSelectorFunction};
CalcEnumNumericParamsClassEx<PvaEnumerator> PvaCalcClass{PvaCalcFunction};

} // namespace

CalcEnumClassBase2& PSineFitClassObject()
{
    return PSineFitClass;
}
} // namespace CalcEnums

Sistra::ChannelCalculationClass& Sistra::ChannelCalculationClassObject()
{
    return CalcEnums::ChannelClass;
}

namespace CalcEnums
{

CalcEnumClassBase2& SistraAnalyzerClassObject()
{
    return SistraAnalyzerClass;
}
CalcEnumClassBase2& PVEcgEdpDetClassObject()
{
    return PVEcgEdpDetClass;
}
CalcEnumClassBase2& PVEdpDetClassObject()
{
    return PVEdpDetClass;
}
CalcEnumClassBase2& PVMaxDetClassObject()
{
    return PVMaxDetClass;
}
CalcEnumClassBase2& ParamSelectorClassObject()
{
    return ParamSelectorClass;
}
CalcEnumClassBase2& PVAParamSelectorClassObject()
{
    return PVAParamSelectorClass;
}
CalcEnumClassBase2& PvaCalcClassObject()
{
    return PvaCalcClass;
}

} // namespace CalcEnums
