// The module's static class objects of its calculation functions, in the class-object list from load on.
#pragma once

#include "calc/engine/CalcEnumClass.h"

namespace CalcEnums
{

extern CalcEnumClassBase2& PSineFitClassObject();
extern CalcEnumClassBase2& SistraAnalyzerClassObject();
extern CalcEnumClassBase2& PVEcgEdpDetClassObject();
extern CalcEnumClassBase2& PVEdpDetClassObject();
extern CalcEnumClassBase2& PVMaxDetClassObject();
extern CalcEnumClassBase2& ParamSelectorClassObject();
extern CalcEnumClassBase2& PVAParamSelectorClassObject();
extern CalcEnumClassBase2& PvaCalcClassObject();

} // namespace CalcEnums
