# The add-in's identity, written once: its COM class and type library, its
# version and the installer package's identity. The code (Identity.h), the
# registration script, the type library's source, each binary's version
# resource and the package source are made from it in the build's generated/
# folder.
set(VELMORA_CLSID_CONNECT 96B79E67-A8A4-4B68-9BB5-7572B98C12E8)
set(VELMORA_LIBID 1A4FDA34-CB3B-4835-9258-559A99D31FF8)
set(VELMORA_LIB_MAJOR 1)
set(VELMORA_LIB_MINOR 0)

# The product's version, major.minor.patch: the package's ProductVersion and
# both numbers of each binary's version resource (with a fourth part, 0).
# Raise it for every release; a package of a higher version replaces a lower
# one. A test build may set another one (-DVELMORA_VERSION=1.0.1).
if(NOT DEFINED VELMORA_VERSION)
  set(VELMORA_VERSION 1.1.0)
endif()
if(NOT VELMORA_VERSION MATCHES "^([0-9]+)\\.([0-9]+)\\.([0-9]+)$")
  message(FATAL_ERROR "VELMORA_VERSION must be major.minor.patch, not '${VELMORA_VERSION}'")
endif()
# Windows Installer compares versions of at most 255.255.65535.
if(CMAKE_MATCH_1 GREATER 255 OR CMAKE_MATCH_2 GREATER 255 OR CMAKE_MATCH_3 GREATER 65535)
  message(FATAL_ERROR "VELMORA_VERSION ${VELMORA_VERSION} is beyond 255.255.65535")
endif()
set(VELMORA_VERSION_MAJOR ${CMAKE_MATCH_1})
set(VELMORA_VERSION_MINOR ${CMAKE_MATCH_2})
set(VELMORA_VERSION_PATCH ${CMAKE_MATCH_3})
set(VELMORA_FILE_VERSION ${VELMORA_VERSION}.0)
set(VELMORA_FILE_VERSION_COMMAS ${VELMORA_VERSION_MAJOR},${VELMORA_VERSION_MINOR},${VELMORA_VERSION_PATCH},0)
set(VELMORA_COMPANY Orinth)
set(VELMORA_PRODUCT Velmora)
set(VELMORA_COPYRIGHT "Copyright (C) 2026 Orinth")
# The installer package's UpgradeCode: the same for every version, so that
# Windows Installer knows each newer package as the same product's.
set(VELMORA_UPGRADE_CODE 3603DD0C-673F-4BC7-8BAB-4CD56FB30401)
# The package's Active Setup entry, under which Windows runs velmora-config
# --setup once for each user at logon (see installer/velmora.wxs.in).
set(VELMORA_ACTIVE_SETUP_ID 15A505E8-47E2-432D-9F86-D2D37032C50B)

# "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" as a C initializer of a GUID.
function(velmora_guid_initializer text out)
  string(SUBSTRING ${text} 0 8 data1)
  string(SUBSTRING ${text} 9 4 data2)
  string(SUBSTRING ${text} 14 4 data3)
  set(bytes)
  foreach(at 19 21 24 26 28 30 32 34)
    string(SUBSTRING ${text} ${at} 2 byte)
    list(APPEND bytes "0x${byte}")
  endforeach()
  list(JOIN bytes ", " data4)
  set(${out} "{0x${data1}, 0x${data2}, 0x${data3}, {${data4}}}" PARENT_SCOPE)
endfunction()

# How the IDE finds the add-in: each version below loads it at start-up from
# <root>\${VELMORA_IDE_KEY_PARENT}\<version>\AddIns\${VELMORA_PROGID}, under
# HKLM for every user (the package) or HKCU for one (install.cmd), with the
# four values that follow. One version a line; the package, install.cmd,
# uninstall.cmd, velmora-config and the tests all take them from here.
set(VELMORA_IDE_VERSIONS
  7.0   # 2002
  7.1   # 2003
  8.0   # 2005
  9.0   # 2008
  10.0  # 2010
  11.0  # 2012
  12.0  # 2013
)
set(VELMORA_PROGID Velmora.Connect)
set(VELMORA_IDE_KEY_PARENT "Software\\Microsoft\\VisualStudio")
set(VELMORA_ADDIN_FRIENDLY_NAME "Velmora")
set(VELMORA_ADDIN_DESCRIPTION "Code templates, GUID insertion and folder shortcuts for the editor")
set(VELMORA_ADDIN_LOAD_BEHAVIOR 1)     # 1 loads at start-up
set(VELMORA_ADDIN_COMMAND_LINE_SAFE 0)  # shows UI: not for devenv's command-line builds

# The versions as C++ wide strings, the key's parent with C++ escapes, and
# the versions separated by spaces, for a batch file's for loop.
set(VELMORA_IDE_VERSIONS_WIDE "")
foreach(version ${VELMORA_IDE_VERSIONS})
  list(APPEND VELMORA_IDE_VERSIONS_WIDE "L\"${version}\"")
endforeach()
list(JOIN VELMORA_IDE_VERSIONS_WIDE ", " VELMORA_IDE_VERSIONS_WIDE)
list(JOIN VELMORA_IDE_VERSIONS " " VELMORA_IDE_VERSIONS_SPACED)
string(REPLACE "\\" "\\\\" VELMORA_IDE_KEY_PARENT_ESCAPED "${VELMORA_IDE_KEY_PARENT}")

velmora_guid_initializer(${VELMORA_CLSID_CONNECT} VELMORA_CLSID_CONNECT_INITIALIZER)
velmora_guid_initializer(${VELMORA_LIBID} VELMORA_LIBID_INITIALIZER)
set(VELMORA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/Identity.h.in ${VELMORA_GENERATED_DIR}/Identity.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/AddInKey.h.in ${VELMORA_GENERATED_DIR}/AddInKey.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/Connect.rgs.in ${VELMORA_GENERATED_DIR}/Connect.rgs @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/velmora.idl.in ${VELMORA_GENERATED_DIR}/velmora.idl @ONLY)

# A VERSIONINFO resource for a shipped binary `target` (velmora.dll or
# velmora-config.exe): the version and names above, in one Japanese (0x0411),
# Unicode (1200) string block. `type` is VFT_DLL or VFT_APP.
function(velmora_version_resource target type description)
  set(VELMORA_FILE_TYPE ${type})
  set(VELMORA_FILE_DESCRIPTION "${description}")
  get_target_property(name ${target} OUTPUT_NAME)
  if(NOT name)
    set(name ${target})
  endif()
  set(VELMORA_INTERNAL_NAME ${name})
  if(type STREQUAL "VFT_DLL")
    set(VELMORA_FILE_NAME ${name}.dll)
  else()
    set(VELMORA_FILE_NAME ${name}.exe)
  endif()
  set(rc ${VELMORA_GENERATED_DIR}/${name}.version.rc)
  configure_file(${CMAKE_SOURCE_DIR}/resources/version.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
  # Linked again when the commit's time, its PE time stamp, changes.
  if(VELMORA_SOURCE_DATE_EPOCH_FILE)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${VELMORA_SOURCE_DATE_EPOCH_FILE})
  endif()
endfunction()
