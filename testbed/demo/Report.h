#pragma once
// What the demo prints, as UTF-8 on standard output, and the checks it makes
// while printing. Scenarios share these printers: the commands the host
// recorded, command statuses, the document, the clipboard and the reference
// check. A failed check is printed and remembered; the program's exit code
// reports it.
#include <windows.h>

#include <string>

#include "testbed/host/HostStandIn.h"
#include "platform/DteInterfaces.h"

namespace velmora::demo {

// The add-in's commands by short name, in the order the add-in defines them.
inline constexpr const wchar_t* kCommandNames[] = {L"ProjectExplorer", L"ProjectExplorerSp", L"SelectGUID",
                                                   L"InsertGUID",      L"InsertOldGUID",     L"CodeTemplate"};
inline constexpr const wchar_t* kProgId = L"Velmora.Connect";

// "Velmora.Connect.<short name>".
std::wstring FullCommandName(const std::wstring& shortName);

// "0x80004005"-style text of a result code.
std::wstring HexCode(HRESULT code);

class Report {
public:
    Report();

    void Line(const std::wstring& text = {});
    void Heading(const std::wstring& title);
    // A failed expectation: printed with a marker and counted.
    void Fail(const std::wstring& what);
    bool Failed() const { return failures_ > 0; }

    // The AddNamedCommand calls as the host recorded them.
    void CommandCalls(const host::HostStandIn& host);
    // QueryStatus of every command by full name, status preset to 0, under
    // the host state described by `label`. Checks references after each call.
    void Statuses(IDTCommandTarget* target, const host::HostStandIn& host, const std::wstring& label);
    // The document: name, read-only flag and text with the selection marked
    // ("‸" for the caret, «» around a selected range).
    void Document(const host::HostStandIn& host);
    void Pastes(const host::HostStandIn& host);
    void Clipboard();
    // Prints and checks that the add-in holds no host object beyond the
    // Application and AddIn references given.
    void References(const host::HostStandIn& host, const std::wstring& when, ULONG application, ULONG addIn);

private:
    void Write(const std::wstring& text);
    int failures_ = 0;
};

// Text with control characters shown as escapes (\r, \n, \t), quoted.
std::wstring Quoted(const std::wstring& text);

}  // namespace velmora::demo
