# The add-in's COM identity, written once. The code (Identity.h), the
# registration script and the type library's source are made from it in the
# build's generated/ folder.
set(VELMORA_CLSID_CONNECT 96B79E67-A8A4-4B68-9BB5-7572B98C12E8)
set(VELMORA_LIBID 1A4FDA34-CB3B-4835-9258-559A99D31FF8)
set(VELMORA_LIB_MAJOR 1)
set(VELMORA_LIB_MINOR 0)

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

velmora_guid_initializer(${VELMORA_CLSID_CONNECT} VELMORA_CLSID_CONNECT_INITIALIZER)
velmora_guid_initializer(${VELMORA_LIBID} VELMORA_LIBID_INITIALIZER)
set(VELMORA_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
configure_file(${CMAKE_SOURCE_DIR}/resources/Identity.h.in ${VELMORA_GENERATED_DIR}/Identity.h @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/Connect.rgs.in ${VELMORA_GENERATED_DIR}/Connect.rgs @ONLY)
configure_file(${CMAKE_SOURCE_DIR}/resources/velmora.idl.in ${VELMORA_GENERATED_DIR}/velmora.idl @ONLY)
