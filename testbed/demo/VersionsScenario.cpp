// The IDE versions: the start the program made plays 7.10; then two starts of
// 10.0, which keeps the add-in's commands from the first start and refuses to
// create them again, while the add-in still defines them on every connection
// and serves the kept commands.
#include <wrl/client.h>

#include <string>
#include <utility>
#include <vector>

#include "testbed/demo/Scenario.h"

namespace velmora::demo {
namespace {

using Microsoft::WRL::ComPtr;

std::wstring DteVersion(IDispatch* application) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"Version")};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(application->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return L"?";
    DISPPARAMS none = {};
    VARIANT result;
    VariantInit(&result);
    std::wstring version = L"?";
    if (SUCCEEDED(application->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &result,
                                      nullptr, nullptr)) &&
        result.vt == VT_BSTR) {
        version.assign(result.bstrVal, SysStringLen(result.bstrVal));
    }
    VariantClear(&result);
    return version;
}

// One start of the IDE: a new add-in object by its ProgID, connected at
// start-up, every command's status and one GUID inserted, then shut down.
// Gives the commands that the next start of this IDE holds.
std::vector<host::HostCommand> Start(ScenarioContext& context, const wchar_t* version,
                                     std::vector<host::HostCommand> kept) {
    Report& report = context.report;
    host::HostStandIn ide(version, std::move(kept));
    report.Line();
    report.Line(L"IDE start, DTE.Version " + DteVersion(ide.Application()) + L", " +
                std::to_wstring(ide.Commands().size()) + L" commands kept from the last start");
    {
        CLSID clsid;
        ComPtr<IDTExtensibility2> addIn;
        ComPtr<IDTCommandTarget> target;
        HRESULT hr = CLSIDFromProgID(kProgId, &clsid);
        if (SUCCEEDED(hr)) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDTExtensibility2, &addIn);
        if (SUCCEEDED(hr)) hr = addIn.As(&target);
        if (FAILED(hr)) {
            report.Fail(L"the add-in could not be created: " + HexCode(hr));
            return {};
        }
        SAFEARRAY* custom = nullptr;
        hr = addIn->OnConnection(ide.Application(), ext_cm_Startup, ide.AddIn(), &custom);
        report.Line(L"OnConnection: result " + HexCode(hr));
        report.CommandCalls(ide);
        report.Statuses(target.Get(), ide, L"design mode, writable text document");
        ScenarioContext started{ide, addIn.Get(), target.Get(), report};
        ExecCommand(started, L"InsertGUID");
        report.Document(ide);
        addIn->OnDisconnection(ext_dm_HostShutdown, &custom);
    }
    report.References(ide, L"after the add-in was released", 0, 0);
    return ide.CommandsForNextStart();
}

int RunVersions(ScenarioContext& context) {
    context.report.Line(L"The program's start: DTE.Version " + DteVersion(context.host.Application()));
    context.report.CommandCalls(context.host);
    std::vector<host::HostCommand> kept = Start(context, L"10.0", {});
    kept = Start(context, L"10.0", std::move(kept));
    if (kept.size() != 6) context.report.Fail(L"10.0 did not keep the six commands");
    return 0;
}

const ScenarioRegistration registration{5, "versions", "one start of 7.10, two starts of 10.0", &RunVersions};

}  // namespace
}  // namespace velmora::demo
