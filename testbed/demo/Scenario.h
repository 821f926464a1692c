#pragma once
// Named scenarios of velmora-host.exe. Each scenario lives in its own file
// and registers itself at start-up:
//
//   namespace {
//   int RunMine(velmora::demo::ScenarioContext& context) { ...; return 0; }
//   const velmora::demo::ScenarioRegistration registration{20, "mine", "what it shows", &RunMine};
//   }
//
// The program runs each scenario against a fresh host stand-in, with the
// add-in created by its ProgID and already connected.
#include <windows.h>

#include <vector>

#include "testbed/host/HostStandIn.h"
#include "testbed/demo/Report.h"
#include "platform/DteInterfaces.h"

namespace velmora::demo {

struct ScenarioContext {
    host::HostStandIn& host;
    IDTExtensibility2* addIn;
    IDTCommandTarget* target;
    Report& report;
};

// 0 when the scenario ran as expected; anything else fails the program.
using ScenarioFunction = int (*)(ScenarioContext& context);

struct Scenario {
    int order;  // scenarios run by ascending order when all run
    const char* name;
    const char* summary;
    ScenarioFunction run;
};

class ScenarioRegistration {
public:
    ScenarioRegistration(int order, const char* name, const char* summary, ScenarioFunction run);
};

// All registered scenarios, sorted by order.
std::vector<Scenario> RegisteredScenarios();

// Exec of a command by its short name with the default option: prints the
// call and its outcome, and fails the report when the add-in keeps a host
// object afterwards.
HRESULT ExecCommand(ScenarioContext& context, const wchar_t* shortName);

}  // namespace velmora::demo
