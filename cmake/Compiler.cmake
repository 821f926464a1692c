# Warnings and per-build flags. Compiler specifics live here, not in the sources.
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
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(VELMORA_WIDL x86_64-w64-mingw32-widl --win64 -t -I /usr/include/wine/wine/windows
        -L /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
    set(VELMORA_WINE_ARCH win64)
  else()
    set(VELMORA_WIDL i686-w64-mingw32-widl --win32 -t -I /usr/include/wine/wine/windows
        -L /usr/lib/i386-linux-gnu/wine/i386-windows)
    set(VELMORA_WINE_ARCH win32)
  endif()
endif()
