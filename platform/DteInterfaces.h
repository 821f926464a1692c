#pragma once
// The host's published add-in interfaces, declared from their slot order, and
// the identifiers of the host objects the add-in asks for. The host's own
// headers and type libraries are not part of this build.
#include <windows.h>
#include <oaidl.h>

#include "Identity.h"  // CLSID_Connect and LIBID_VelmoraLib, made from cmake/Identity.cmake

namespace velmora {

// IDTExtensibility2 enumerations (32-bit on the wire).
enum ext_ConnectMode : long {
    ext_cm_AfterStartup = 0,
    ext_cm_Startup = 1,
    ext_cm_External = 2,
    ext_cm_CommandLine = 3,
    ext_cm_Solution = 4,
    ext_cm_UISetup = 5,
};
enum ext_DisconnectMode : long {
    ext_dm_HostShutdown = 0,
    ext_dm_UserClosed = 1,
    ext_dm_UISetupComplete = 2,
    ext_dm_SolutionClosed = 3,
};

// IDTCommandTarget enumerations.
enum vsCommandStatusTextWanted : long {
    vsCommandStatusTextWantedNone = 0,
    vsCommandStatusTextWantedName = 1,
    vsCommandStatusTextWantedStatus = 2,
};
enum vsCommandStatus : long {
    vsCommandStatusUnsupported = 0,
    vsCommandStatusSupported = 1,
    vsCommandStatusEnabled = 2,
    vsCommandStatusLatched = 4,
    vsCommandStatusNinched = 8,
    vsCommandStatusInvisible = 16,
};
enum vsCommandExecOption : long {
    vsCommandExecOptionDoDefault = 0,
    vsCommandExecOptionPromptUser = 1,
    vsCommandExecOptionDoPromptUser = 1,
    vsCommandExecOptionDoNotPromptUser = 2,
    vsCommandExecOptionShowHelp = 3,
};
enum dbgDebugMode : long {
    dbgDesignMode = 1,
    dbgBreakMode = 2,
    dbgRunMode = 3,
};

// {B65AD801-ABAF-11D0-BB8B-00A0C90F2744}, add-in designer library 1.0
MIDL_INTERFACE("B65AD801-ABAF-11D0-BB8B-00A0C90F2744") IDTExtensibility2 : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE OnConnection(IDispatch* Application, ext_ConnectMode ConnectMode,
                                                   IDispatch* AddInInst, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnDisconnection(ext_DisconnectMode RemoveMode, SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnAddInsUpdate(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnStartupComplete(SAFEARRAY** custom) = 0;
    virtual HRESULT STDMETHODCALLTYPE OnBeginShutdown(SAFEARRAY** custom) = 0;
};

// {7EF39A3E-590D-4879-88D4-C9BE5BCFD92E}, host automation library 7.0
MIDL_INTERFACE("7EF39A3E-590D-4879-88D4-C9BE5BCFD92E") IDTCommandTarget : public IDispatch {
    virtual HRESULT STDMETHODCALLTYPE QueryStatus(BSTR CmdName, vsCommandStatusTextWanted NeededText,
                                                  vsCommandStatus* StatusOption, VARIANT* CommandText) = 0;
    virtual HRESULT STDMETHODCALLTYPE Exec(BSTR CmdName, vsCommandExecOption ExecuteOption, VARIANT* VariantIn,
                                           VARIANT* VariantOut, VARIANT_BOOL* Handled) = 0;
};

inline constexpr IID IID_IDTExtensibility2 =
    {0xB65AD801, 0xABAF, 0x11D0, {0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44}};
inline constexpr IID IID_IDTCommandTarget =
    {0x7EF39A3E, 0x590D, 0x4879, {0x88, 0xD4, 0xC9, 0xBE, 0x5B, 0xCF, 0xD9, 0x2E}};
inline constexpr IID IID_DTE =
    {0x04A72314, 0x32E9, 0x48E2, {0x9B, 0x87, 0xA6, 0x36, 0x03, 0x45, 0x4F, 0x3E}};
inline constexpr IID IID_AddIn =
    {0x53A87FA1, 0xCE93, 0x48BF, {0x95, 0x8B, 0xC6, 0xDA, 0x79, 0x3C, 0x50, 0x28}};

// Type libraries that describe the two interfaces above on the host's machine.
inline constexpr GUID LIBID_AddInDesignerObjects =
    {0xAC0714F2, 0x3D04, 0x11D1, {0xAE, 0x7D, 0x00, 0xA0, 0xC9, 0x0F, 0x26, 0xF4}};
inline constexpr WORD AddInDesignerObjectsMajor = 1, AddInDesignerObjectsMinor = 0;
inline constexpr GUID LIBID_EnvDTE =
    {0x80CC9F66, 0xE7D8, 0x4DDD, {0x85, 0xB6, 0xD9, 0xE6, 0xCD, 0x0E, 0x93, 0xE2}};
inline constexpr WORD EnvDTEMajor = 7, EnvDTEMinor = 0;

}  // namespace velmora

// __uuidof for the two interfaces (MSVC takes it from MIDL_INTERFACE above).
#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(velmora::IDTExtensibility2, 0xB65AD801, 0xABAF, 0x11D0, 0xBB, 0x8B, 0x00, 0xA0, 0xC9, 0x0F, 0x27, 0x44)
__CRT_UUID_DECL(velmora::IDTCommandTarget, 0x7EF39A3E, 0x590D, 0x4879, 0x88, 0xD4, 0xC9, 0xBE, 0x5B, 0xCF, 0xD9, 0x2E)
#endif
