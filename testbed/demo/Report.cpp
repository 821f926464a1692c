#include "testbed/demo/Report.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/TextConversion.h"
#include "framework/UniqueHandle.h"
#include "testbed/host/ClipboardText.h"

namespace velmora::demo {

std::wstring FullCommandName(const std::wstring& shortName) { return std::wstring(kProgId) + L"." + shortName; }

std::wstring HexCode(HRESULT code) {
    wchar_t text[16];
    swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(code));
    return text;
}

std::wstring Quoted(const std::wstring& text) {
    std::wstring quoted = L"\"";
    for (wchar_t c : text) {
        switch (c) {
            case L'\r': quoted += L"\\r"; break;
            case L'\n': quoted += L"\\n"; break;
            case L'\t': quoted += L"\\t"; break;
            case L'"': quoted += L"\\\""; break;
            case L'\\': quoted += L"\\\\"; break;
            default: quoted += c;
        }
    }
    return quoted + L"\"";
}

Report::Report() {
    // Bytes exactly as written: UTF-8 with "\n" line ends, also into a pipe.
    _setmode(_fileno(stdout), _O_BINARY);
}

void Report::Write(const std::wstring& text) {
    const std::string bytes = ToCodePage(text, CP_UTF8);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void Report::Line(const std::wstring& text) {
    Write(text);
    fputc('\n', stdout);
    fflush(stdout);
}

void Report::Heading(const std::wstring& title) {
    Line();
    Line(L"== " + title + L" ==");
}

void Report::Fail(const std::wstring& what) {
    ++failures_;
    Line(L"!! " + what);
}

void Report::CommandCalls(const host::HostStandIn& host) {
    const auto& calls = host.AddNamedCommandCalls();
    Line(L"AddNamedCommand calls: " + std::to_wstring(calls.size()));
    for (const host::AddNamedCommandCall& call : calls) {
        std::wstring line = L"  " + call.name;
        line += L" | button " + Quoted(call.buttonText);
        line += L" | tooltip " + Quoted(call.tooltip);
        line += L" | MSOButton " + std::to_wstring(call.msoButton);
        line += L" | bitmap " + std::to_wstring(call.bitmap);
        line += L" | context GUIDs " + std::wstring(call.contextGuidsNull ? L"none" : L"given");
        line += L" | disabled flags " + std::to_wstring(call.disabledFlags);
        line += L" | add-in " + std::wstring(call.addInInstanceIsHostAddIn ? L"host AddIn" : L"OTHER OBJECT");
        line += L" | result " + HexCode(call.result);
        Line(line);
    }
    std::wstring existing = L"Commands in the host:";
    for (const host::HostCommand& command : host.Commands()) existing += L" " + command.fullName;
    Line(existing);
}

void Report::Statuses(IDTCommandTarget* target, const host::HostStandIn& host, const std::wstring& label) {
    Line(L"Status, " + label + L":");
    for (const wchar_t* name : kCommandNames) {
        UniqueBstr fullName(SysAllocString(FullCommandName(name).c_str()));
        vsCommandStatus status = vsCommandStatusUnsupported;
        VARIANT commandText;
        VariantInit(&commandText);
        const HRESULT hr = target->QueryStatus(fullName.get(), vsCommandStatusTextWantedNone, &status, &commandText);
        VariantClear(&commandText);
        std::wstring line = L"  " + std::wstring(name) + std::wstring(20 - wcslen(name), L' ');
        line += std::to_wstring(static_cast<long>(status));
        line += status == 3 ? L" (supported, enabled)" : status == 0 ? L" (not offered)" : L"";
        if (hr != S_OK) line += L" result " + HexCode(hr);
        Line(line);
        if (!host.HeldObjects().empty() || !host.OverReleases().empty()) {
            Fail(L"after QueryStatus " + std::wstring(name) + L": " + host.DescribeReferences());
        }
    }
}

void Report::Document(const host::HostStandIn& host) {
    const std::wstring text = host.DocumentText();
    const size_t start = host.SelectionStart();
    const size_t end = start + host.SelectionLength();
    std::wstring marked;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == start) marked += start == end ? L"\u2038" : L"\u00AB";
        if (i == end && start != end) marked += L"\u00BB";
        if (i < text.size()) marked += text[i];
    }
    Line(L"Document, " + std::to_wstring(text.size()) + L" characters, selection at " + std::to_wstring(start) +
         L" length " + std::to_wstring(end - start) + L":");
    size_t lineStart = 0;
    for (;;) {
        const size_t lineEnd = marked.find(L'\n', lineStart);
        std::wstring line = marked.substr(lineStart, lineEnd == std::wstring::npos ? std::wstring::npos
                                                                                    : lineEnd - lineStart);
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        Line(L"  | " + line);
        if (lineEnd == std::wstring::npos) break;
        lineStart = lineEnd + 1;
    }
}

void Report::Pastes(const host::HostStandIn& host) {
    std::wstring line = L"Pastes: " + std::to_wstring(host.Pastes().size());
    for (const host::PasteRecord& paste : host.Pastes()) {
        switch (paste.outcome) {
            case host::PasteOutcome::Pasted: line += L" [pasted " + Quoted(paste.text) + L"]"; break;
            case host::PasteOutcome::NoUnicodeText: line += L" [clipboard had no Unicode text]"; break;
            case host::PasteOutcome::ClipboardBusy: line += L" [clipboard busy]"; break;
            case host::PasteOutcome::ReadOnly: line += L" [refused: read-only]"; break;
            case host::PasteOutcome::Injected: line += L" [injected]"; break;
        }
    }
    Line(line);
}

void Report::Clipboard() {
    const host::ClipboardContents contents = host::ReadClipboard();
    if (!contents.opened) {
        Line(L"Clipboard: busy");
    } else if (!contents.hasUnicodeText) {
        Line(L"Clipboard: no Unicode text");
    } else {
        Line(L"Clipboard: " + Quoted(contents.text) + L" (block of " + std::to_wstring(contents.blockBytes) +
             L" bytes)");
    }
}

void Report::References(const host::HostStandIn& host, const std::wstring& when, ULONG application, ULONG addIn) {
    const bool clean = host.HeldObjects().empty() && host.OverReleases().empty() &&
                       host.ApplicationReferences() == application && host.AddInReferences() == addIn;
    const std::wstring line = L"References " + when + L": " + host.DescribeReferences();
    if (clean) {
        Line(line);
    } else {
        Fail(line + L" (expected Application x" + std::to_wstring(application) + L", AddIn x" +
             std::to_wstring(addIn) + L", nothing else)");
    }
}

}  // namespace velmora::demo
