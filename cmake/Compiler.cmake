# Warnings and per-build flags. Compiler specifics live here, not in the sources.

# The time every shipped file carries: SOURCE_DATE_EPOCH when set, else the
# time of the checkout's commit, so that two builds of one commit are the
# same bytes. Kept in generated/source-date-epoch, rewritten only when it
# changes, so that what depends on it (LINK_DEPENDS, the package) is remade.
function(velmora_source_date_epoch out)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
  else()
    execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status ERROR_QUIET)
    if(NOT status EQUAL 0)
      set(epoch "")
    endif()
  endif()
  if(NOT epoch MATCHES "^[0-9]+$")
    message(FATAL_ERROR "No commit time: set SOURCE_DATE_EPOCH (seconds since 1970) or build from a git checkout")
  endif()
  set(file ${CMAKE_BINARY_DIR}/generated/source-date-epoch)
  if(EXISTS ${file})
    file(READ ${file} old)
  endif()
  if(NOT old STREQUAL "${epoch}\n")
    file(WRITE ${file} "${epoch}\n")
  endif()
  set(VELMORA_SOURCE_DATE_EPOCH_FILE ${file} PARENT_SCOPE)
  set(${out} ${epoch} PARENT_SCOPE)
endfunction()
if(MSVC)
  add_compile_options(/W4 /utf-8)
else()
  add_compile_options(-Wall -Wextra)
endif()

if(WIN32)
  add_compile_definitions(UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601 _WIN32_IE=0x0600)
  if(NOT MSVC)
    # Self-contained binaries: libstdc++, libgcc and winpthread linked in.
    add_link_options(-static -static-libgcc -static-libstdc++)
    # Sections the linker can drop when unused.
    add_compile_options(-ffunction-sections -fdata-sections)
    add_link_options(-Wl,--gc-sections)
    # Reproducible binaries: no folder of this checkout in them (file names
    # in assertions and line tables are relative to it), and the linker's
    # PE time stamp is the commit's time (ld takes it from SOURCE_DATE_EPOCH).
    add_compile_options(-ffile-prefix-map=${CMAKE_BINARY_DIR}/=
                        -ffile-prefix-map=${CMAKE_SOURCE_DIR}/=)
    velmora_source_date_epoch(VELMORA_SOURCE_DATE_EPOCH)
    set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK
                 "${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${VELMORA_SOURCE_DATE_EPOCH}")
  endif()
else()
  option(VELMORA_SANITIZE "Build the native tests with ASan and UBSan" ON)
  if(VELMORA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
endif()

if(WIN32 AND NOT MSVC)
  # Type libraries are made with the target's widl; stdole2.tlb comes from
  # Wine's Windows-side libraries of the same architecture. The Wine prefix
  # that runs this build's programs has the same architecture too.
  velmora_package_file(wine_oaidl libwine-dev /windows/oaidl.idl)
  get_filename_component(wine_idl_dir ${wine_oaidl} DIRECTORY)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    velmora_package_file(wine_stdole libwine:amd64 /x86_64-windows/stdole2.tlb)
    get_filename_component(wine_tlb_dir ${wine_stdole} DIRECTORY)
    set(VELMORA_WIDL x86_64-w64-mingw32-widl --win64 -t -I ${wine_idl_dir} -L ${wine_tlb_dir})
    set(VELMORA_WINE_ARCH win64)
  else()
    velmora_package_file(wine_stdole libwine:i386 /i386-windows/stdole2.tlb)
    get_filename_component(wine_tlb_dir ${wine_stdole} DIRECTORY)
    set(VELMORA_WIDL i686-w64-mingw32-widl --win32 -t -I ${wine_idl_dir} -L ${wine_tlb_dir})
    set(VELMORA_WINE_ARCH win32)
  endif()
endif()
