// A recording analysed by the module's document on the host with the relation kinds a macro sets: its loops,
// summaries and relations as the host reads them back. One module session serves a test suite.
#pragma once

#include "host/app/document/DocumentAnalysis.h"
#include "host/app/document/HostDocument.h"
#include "host/app/ModuleSession.h"
#include "host/app/macro/MacroText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace HostTests
{

struct Analysed
{
    std::vector<Host::LoopRow> loops;
    std::vector<Host::SummaryRow> summaries;
    std::vector<Host::RelationRow> relations;
};

class RelationKindsAnalysis : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        module = std::make_unique<Host::ModuleSession>();
        ASSERT_HRESULT_SUCCEEDED(module->Load());
        module->Session().Framework().StandIn().ScriptProgressCancel(-1);
    }
    static void TearDownTestSuite() { module.reset(); }

    // The recording analysed as `analyze` does, with the choices' settings; the relation kinds set as a macro
    // sets them, when given; the settings saved to saveSettings, when given.
    static Analysed Analyse(const Host::Recording& recording, const std::wstring& espvr, const std::wstring& edpvr,
                            const Host::AnalysisChoices& choices = {}, const std::wstring& saveSettings = {})
    {
        const auto host = Host::HostDocument::Offline(recording);
        Host::DocumentAnalysis analysis(module->Session().Framework().StandIn(), *host.Get(), choices);
        for (const auto& [command, type] : {std::pair{L"SetESPVRegressionType", espvr}, std::pair{L"SetEDPVRegressionType", edpvr}})
        {
            if (type.empty())
                continue;
            Host::Macro::Statement statement(std::wstring(L"Doc.") + command + L" RegressionType:=\"" + type + L"\"");
            EXPECT_EQ(1, analysis.RunStatement(statement));
        }
        analysis.AnalyzeNow();
        if (!saveSettings.empty())
            analysis.SaveSettings(saveSettings);
        return {analysis.Loops(), analysis.Summaries(), analysis.Relations()};
    }

    static inline std::unique_ptr<Host::ModuleSession> module;
};

} // namespace HostTests
