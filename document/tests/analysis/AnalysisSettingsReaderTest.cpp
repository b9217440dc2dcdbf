#include "document/analysis/AnalysisSettingsReader.h"

#include "document/tests/models/ModelTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace Sistra;
using ModelTests::TestOwner;

TEST(AnalysisSettingsReader, EachSettingComesFromTheModelThatOwnsIt)
{
    TestOwner document;
    using enum PropertyType;
    ASSERT_TRUE(document.Setup()->SetPressureChannel(2));
    ASSERT_TRUE(document.Setup()->SetVolumeChannel(3));
    ASSERT_TRUE(document.Setup()->SetOnlineMode(true));
    ASSERT_TRUE(document.Setup()->SetWorkflowModeOn(false));
    ASSERT_TRUE(document.Setup()->SetValue<Int>(PropertyId::SelectedLoop, 4));
    const ModelPtr loopView = document.GetModel(ModelKind::LoopView);
    ASSERT_TRUE(loopView->SetEspvrRegressionType(EspvrTangent));
    ASSERT_TRUE(loopView->SetEdpvrRegressionType(EdpvrExponential));
    ASSERT_TRUE(loopView->SetValue<Int>(PropertyId::EsPointType, TangentFitEsPoints));
    ASSERT_TRUE(document.GetModel(ModelKind::HemoTable)
                    ->SetValue<PropertyType::ParameterSet>(PropertyId::TableParameterSet, Sistra::ParameterSet{1, 26}));
    const ModelPtr cuvette = document.GetModel(ModelKind::CuvetteCalib);
    ASSERT_TRUE(cuvette->SetKnownVolumes({10.0, 20.0}));
    DoubleMatrix table;
    table.Set(1, 1, 7.5);
    ASSERT_TRUE(cuvette->SetCuvetteTable(table));

    const AnalysisSettings settings = ReadAnalysisSettings(document);
    EXPECT_EQ(2, settings.pressureChannel);
    EXPECT_EQ(3, settings.volumeChannel);
    EXPECT_TRUE(settings.onlineMode);
    EXPECT_EQ(4, settings.selectedLoop);
    EXPECT_EQ(EspvrTangent, settings.espvrKind);
    EXPECT_EQ(EdpvrExponential, settings.edpvrKind);
    EXPECT_EQ(TangentFitEsPoints, settings.esPointType);
    EXPECT_EQ((std::unordered_set<int32_t>{1, 26}), settings.tableParameters);
    EXPECT_TRUE(settings.excludedParameters.empty()) << "workflow mode is off";
    EXPECT_EQ((std::vector<double>{10.0, 20.0}), settings.knownVolumes);
    ASSERT_EQ(2u, settings.cuvetteTable.size());
    EXPECT_EQ(7.5, settings.cuvetteTable[1][1]);

    ASSERT_TRUE(document.Setup()->SetWorkflowModeOn(true));
    const AnalysisSettings workflow = ReadAnalysisSettings(document);
    EXPECT_TRUE(workflow.workflowModeOn);
    EXPECT_EQ((std::vector<int32_t>{26, 27, 28}), workflow.excludedParameters) << "a baseline step has no areas";
}

// The cuvette table holds a well's readings in its column: they are paired with that well's known volume.
TEST(AnalysisSettingsReader, CuvetteReadingsAreGroupedByWell)
{
    TestOwner document;
    const ModelPtr cuvette = document.GetModel(ModelKind::CuvetteCalib);
    ASSERT_TRUE(cuvette->SetKnownVolumes({10.0, 20.0, 30.0}));
    DoubleMatrix table;
    table.Set(0, 2, 7.5);   // the first reading of the third well
    table.Set(1, 0, 2.5);   // the second reading of the first well
    ASSERT_TRUE(cuvette->SetCuvetteTable(table));

    const AnalysisSettings settings = ReadAnalysisSettings(document);
    ASSERT_EQ(3u, settings.cuvetteTable.size());
    EXPECT_EQ(7.5, settings.cuvetteTable[2][0]);
    EXPECT_EQ(2.5, settings.cuvetteTable[0][1]);
    EXPECT_TRUE(std::isnan(settings.cuvetteTable[1][0]));
}
