#pragma once
// The host automation operations the add-in relies on, reached from the host
// root (_DTE). Each returns the host's result code; an object property that
// succeeds without an object is reported as E_POINTER so that callers can treat
// "failed" and "empty" alike.
#include <string>

#include "platform/DebugLog.h"
#include "platform/Dispatch.h"

namespace velmora::hostops {

using Microsoft::WRL::ComPtr;

HRESULT GetCommands(IDispatch* dte, ComPtr<IDispatch>& commands);

// Commands.AddNamedCommand with the host's parameter order; `command` receives
// the new Command object, if any.
HRESULT AddNamedCommand(IDispatch* commands, IDispatch* addInInstance, BSTR name, BSTR buttonText,
                        BSTR tooltip, bool msoButton, long bitmap,
                        long disabledFlags, ComPtr<IDispatch>& command);

// _DTE.Debugger, then Debugger.CurrentMode compared with break mode.
HRESULT IsInBreakMode(IDispatch* dte, bool& inBreakMode);
// Passes when there is a host root and the debugger mode can be read and is
// not break mode: the first check of the commands that do not run in break
// mode. When it fails, `whyNot` (if given) receives the reason.
bool IsNotInBreakMode(IDispatch* dte, debuglog::Reason* whyNot = nullptr);

HRESULT GetSolution(IDispatch* dte, ComPtr<IDispatch>& solution);
// _Solution.IsOpen and _Solution.FullName.
HRESULT GetSolutionIsOpen(IDispatch* solution, bool& open);
HRESULT GetSolutionFullName(IDispatch* solution, UniqueBstr& fullName);
// _DTE.Solution, then _Solution.IsOpen.
bool IsSolutionOpen(IDispatch* dte);

// Document.Name.
HRESULT GetDocumentName(IDispatch* document, UniqueBstr& name);

// The active document whose selection can take a paste: _DTE.ActiveWindow,
// Window.Document, Document.ReadOnly (must be false), Document.Selection, and
// the selection must know the member Paste (only a text selection does).
// When it fails, `whyNot` (if given) receives the step that failed.
struct EditableSelection {
    ComPtr<IDispatch> document;
    ComPtr<IDispatch> selection;
};
bool FindEditableSelection(IDispatch* dte, EditableSelection& found, debuglog::Reason* whyNot = nullptr);

// TextSelection.AnchorPoint, then VirtualPoint.DisplayColumn (1-based).
HRESULT GetAnchorDisplayColumn(IDispatch* selection, long& column);
// TextSelection.Paste.
HRESULT Paste(IDispatch* selection);

}  // namespace velmora::hostops
