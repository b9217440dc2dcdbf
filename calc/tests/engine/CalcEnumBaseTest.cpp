#include "calc/engine/CalcEnumBase.h"

#include "calc/tests/FakeHostSources.h"
#include "calc/tests/SampleEnumeratorStub.h"

#include <gtest/gtest.h>

using CalcEnums::CalcEnumBase2;

namespace
{

using ConstantSamples = CalcTesting::SampleEnumeratorStub;

template <class Interface>
Orv::ComPtr<Interface> Query(IUnknown* object, REFIID iid)
{
    Orv::ComPtr<Interface> face;
    object->QueryInterface(iid, face.PutVoid());
    return face;
}

} // namespace

TEST(CalcEnumBase2, AnswersItsThreeFacesOnOneCount)
{
    auto* object = new ConstantSamples(nullptr, 7);
    IUnknown* unknown = object->NonDelegatingUnknown();
    unknown->AddRef();
    auto samples = Query<IEnumFloatEx>(unknown, IID_IEnumFloatEx);
    auto base = Query<IEnumExBase>(unknown, IID_IEnumExBase);
    auto calc = Query<ICalcEnum>(unknown, IID_ICalcEnum);
    auto variables = Query<IOrvSetCalcVariables>(unknown, IID_IOrvSetCalcVariables);
    ASSERT_TRUE(samples && calc && variables);
    EXPECT_EQ(static_cast<void*>(samples.Get()), static_cast<void*>(base.Get()));
    EXPECT_EQ(unknown, Query<IUnknown>(variables.Get(), IID_IUnknown).Get());
    EXPECT_FALSE(Query<IEnumEventEx>(unknown, IID_IEnumEventEx));

    uint32_t kind = 0;
    calc->GetDataKind(&kind);
    EXPECT_EQ(0x801B0001u, kind);
    CalcTesting::FakeEvents variablesObject({});
    EXPECT_EQ(S_OK, variables->SetCalcVariables(static_cast<IEnumEventEx*>(&variablesObject)));
    EXPECT_EQ(static_cast<IUnknown*>(static_cast<IEnumEventEx*>(&variablesObject)), object->CalcVariables());
    EXPECT_EQ(7u, object->CreationArgument());
    EXPECT_EQ(4u, unknown->Release()); // the four queried faces still hold it
}

TEST(CalcEnumBase2, PassesUnknownInterfacesToItsInnerObject)
{
    CalcTesting::FakeEvents inner({1});
    auto* object = new ConstantSamples(nullptr, 0);
    object->SetInnerObject(static_cast<IEnumEventEx*>(&inner));
    IUnknown* unknown = object->NonDelegatingUnknown();
    unknown->AddRef();
    EXPECT_EQ(static_cast<IEnumEventEx*>(&inner), Query<IEnumEventEx>(unknown, IID_IEnumEventEx).Get());
    EXPECT_FALSE(Query<IChannelCalc>(unknown, IID_IChannelCalc));
    unknown->Release();
}
