#include "testbed/demo/Scenario.h"

#include <algorithm>

#include "framework/UniqueHandle.h"

namespace velmora::demo {

namespace {
std::vector<Scenario>& Registry() {
    static std::vector<Scenario> scenarios;
    return scenarios;
}
}  // namespace

ScenarioRegistration::ScenarioRegistration(int order, const char* name, const char* summary, ScenarioFunction run) {
    Registry().push_back({order, name, summary, run});
}

std::vector<Scenario> RegisteredScenarios() {
    std::vector<Scenario> scenarios = Registry();
    std::stable_sort(scenarios.begin(), scenarios.end(),
                     [](const Scenario& a, const Scenario& b) { return a.order < b.order; });
    return scenarios;
}

HRESULT ExecCommand(ScenarioContext& context, const wchar_t* shortName) {
    UniqueBstr name(SysAllocString(FullCommandName(shortName).c_str()));
    VARIANT in, out;
    VariantInit(&in);
    VariantInit(&out);
    VARIANT_BOOL handled = VARIANT_FALSE;
    const HRESULT hr = context.target->Exec(name.get(), vsCommandExecOptionDoDefault, &in, &out, &handled);
    VariantClear(&out);
    context.report.Line(L"Exec " + FullCommandName(shortName) + L": result " + HexCode(hr) + L", handled " +
                        std::to_wstring(handled));
    if (!context.host.HeldObjects().empty() || !context.host.OverReleases().empty()) {
        context.report.Fail(L"after Exec " + std::wstring(shortName) + L": " + context.host.DescribeReferences());
    }
    return hr;
}

}  // namespace velmora::demo
