// velmora-host.exe: plays the host for the registered add-in. Creates the
// add-in by its ProgID, connects it to a fresh host stand-in and runs named
// scenarios, printing what the host saw as UTF-8.
//   velmora-host.exe            runs every scenario
//   velmora-host.exe NAME...    runs the named ones
//   velmora-host.exe --list     lists them
#include <windows.h>
#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/TextConversion.h"
#include "platform/DteInterfaces.h"
#include "testbed/demo/Report.h"
#include "testbed/demo/Scenario.h"
#include "testbed/fixtures/ComApartment.h"
#include "testbed/host/HostStandIn.h"

namespace {

using Microsoft::WRL::ComPtr;
using velmora::demo::Report;
using velmora::demo::Scenario;

// A scenario's name or summary (UTF-8 source text).
std::wstring Wide(const char* text) { return velmora::ToWide(velmora::FromCodePage(text, CP_UTF8)); }

// One scenario from creation of the add-in to its release.
void RunScenario(const Scenario& scenario, Report& report) {
    report.Heading(Wide(scenario.name) + L": " + Wide(scenario.summary));
    velmora::host::HostStandIn host;
    {
        CLSID clsid;
        HRESULT hr = CLSIDFromProgID(velmora::demo::kProgId, &clsid);
        if (FAILED(hr)) {
            report.Fail(L"the ProgID Velmora.Connect is not registered: " + velmora::demo::HexCode(hr));
            return;
        }
        ComPtr<velmora::IDTExtensibility2> addIn;
        hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, velmora::IID_IDTExtensibility2, &addIn);
        if (FAILED(hr)) {
            report.Fail(L"CoCreateInstance: " + velmora::demo::HexCode(hr));
            return;
        }
        ComPtr<velmora::IDTCommandTarget> target;
        hr = addIn->QueryInterface(velmora::IID_IDTCommandTarget,
                                   reinterpret_cast<void**>(target.ReleaseAndGetAddressOf()));
        if (FAILED(hr)) {
            report.Fail(L"the add-in does not answer IDTCommandTarget: " + velmora::demo::HexCode(hr));
            return;
        }

        SAFEARRAY* custom = nullptr;
        hr = addIn->OnConnection(host.Application(), velmora::ext_cm_AfterStartup, host.AddIn(), &custom);
        report.Line(L"OnConnection: result " + velmora::demo::HexCode(hr));
        report.References(host, L"after OnConnection", 1, 1);

        velmora::demo::ScenarioContext context{host, addIn.Get(), target.Get(), report};
        const int result = scenario.run(context);
        if (result != 0) report.Fail(Wide(scenario.name) + L" returned " + std::to_wstring(result));

        hr = addIn->OnDisconnection(velmora::ext_dm_HostShutdown, &custom);
        report.Line(L"OnDisconnection: result " + velmora::demo::HexCode(hr));
        report.References(host, L"after OnDisconnection", 0, 1);
    }
    report.References(host, L"after the add-in was released", 0, 0);
}

}  // namespace

int main(int argc, char** argv) {
    Report report;
    const std::vector<Scenario> scenarios = velmora::demo::RegisteredScenarios();

    std::vector<Scenario> chosen;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--list") == 0) {
            for (const Scenario& scenario : scenarios) report.Line(Wide(scenario.name) + L"  " + Wide(scenario.summary));
            return 0;
        }
        bool found = false;
        for (const Scenario& scenario : scenarios) {
            if (std::strcmp(argv[i], scenario.name) == 0) {
                chosen.push_back(scenario);
                found = true;
            }
        }
        if (!found) {
            std::fprintf(stderr, "velmora-host: no scenario named %s (try --list)\n", argv[i]);
            return 2;
        }
    }
    if (argc == 1) chosen = scenarios;

    velmora::test::ComApartment apartment;
    if (FAILED(apartment.Result())) {
        report.Fail(L"CoInitializeEx: " + velmora::demo::HexCode(apartment.Result()));
        return 1;
    }
    for (const Scenario& scenario : chosen) RunScenario(scenario, report);

    report.Line();
    report.Line(report.Failed() ? L"velmora-host: FAILED" : L"velmora-host: all scenarios ran as expected");
    return report.Failed() ? 1 : 0;
}
