# Windows build: velmora_setup.exe, the tests that run under Wine, and the
# end-to-end scenarios that drive the real program.

# The shipped program is 32-bit; a 64-bit build of the same sources runs the Windows-side tests
# on hosts that run no 32-bit code. Scripts and tests start each with its own Wine loader.
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(SETUP_BITS 64)
    set(SETUP_MANIFEST_ARCH amd64)  # Windows refuses an x64 program whose manifest says X86
else()
    set(SETUP_BITS 32)
    set(SETUP_MANIFEST_ARCH X86)
endif()

# Every Windows program we build runs on a bare Windows: statically linked.
target_compile_definitions(project_options INTERFACE
    WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)
target_link_options(project_options INTERFACE -static)

# The shipped program is built for size: one small executable.
# Without exceptions nothing unwinds, so no unwind tables either.
target_compile_options(program_options INTERFACE
    -Os -ffunction-sections -fdata-sections -fno-asynchronous-unwind-tables -fno-unwind-tables
    $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-rtti>)
target_compile_definitions(program_options INTERFACE __USE_MINGW_ANSI_STDIO=0)
target_link_options(program_options INTERFACE -Wl,--gc-sections)
# The program's own links (link_for_size) are made for size:
# - link-time optimisation. Its objects are fat: they also hold plain code, which every other
#   program links without LTO (GCC 12's LTO stops with an internal compiler error on win_tests).
#   A program's -flto comes after the default -fno-lto on its link line, and the last one counts;
# - without the libraries' unwind tables (cmake/no_unwind_tables.ld).
set(LTO_COMPILE_OPTIONS -flto -ffat-lto-objects)
target_compile_options(program_options INTERFACE ${LTO_COMPILE_OPTIONS})
string(APPEND CMAKE_EXE_LINKER_FLAGS " -fno-lto")
function(link_for_size target)
    set(script "${CMAKE_SOURCE_DIR}/cmake/no_unwind_tables.ld")
    target_link_options(${target} PRIVATE -flto "-Wl,-T,${script}")
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS "${script}")
endfunction()

# fetch_sources(NAME FILE): NAME's sources into <build>/third_party/NAME by scripts/fetch-NAME.sh,
# once (FILE is one of them, there when the fetch was done). Sets NAME_DIR, upper-cased.
function(fetch_sources name file)
    set(dir "${CMAKE_BINARY_DIR}/third_party/${name}")
    if(NOT EXISTS "${dir}/${file}")
        execute_process(COMMAND "${CMAKE_SOURCE_DIR}/scripts/fetch-${name}.sh" "${dir}"
                        RESULT_VARIABLE fetch_result)
        if(NOT fetch_result EQUAL 0)
            message(FATAL_ERROR "Could not fetch ${name}'s sources (scripts/fetch-${name}.sh)")
        endif()
    endif()
    string(TOUPPER "${name}_DIR" variable)
    set(${variable} "${dir}" PARENT_SCOPE)
endfunction()

# zlib's inflate and checksums, built here from Debian's zlib source, fetched at configure time:
# for size, -Os (Debian's mingw build is -O2) and the CRC-32 tables made at their first use into
# zeroed memory, not carried in the file (DYNAMIC_CRC_TABLE). The program only reads archives.
fetch_sources(zlib inflate.c)
set(zlib_sources inflate.c inftrees.c inffast.c adler32.c crc32.c zutil.c)
list(TRANSFORM zlib_sources PREPEND "${ZLIB_DIR}/")
add_library(zlib_inflate STATIC ${zlib_sources})
target_include_directories(zlib_inflate SYSTEM PUBLIC "${ZLIB_DIR}")
target_compile_definitions(zlib_inflate PRIVATE DYNAMIC_CRC_TABLE)
# No -fdata-sections: with it, the zeroed tables would take room in the file as initialised data.
target_compile_options(zlib_inflate PRIVATE -Os -ffunction-sections -fno-asynchronous-unwind-tables
    -fno-unwind-tables -w)

# minizip's unzip sources come from Debian's source package at configure time.
fetch_sources(minizip unzip.c)
add_library(minizip STATIC "${MINIZIP_DIR}/unzip.c" "${MINIZIP_DIR}/ioapi.c")
target_include_directories(minizip SYSTEM PUBLIC "${MINIZIP_DIR}")
target_compile_options(minizip PRIVATE -Os -ffunction-sections -fdata-sections
    -fno-asynchronous-unwind-tables -fno-unwind-tables ${LTO_COMPILE_OPTIONS} -w)
target_link_libraries(minizip PUBLIC zlib_inflate)

include(cmake/package_key.cmake)
include(cmake/code_signing.cmake)

# The glue: everything but the entry, so the Windows-side tests can link it. The package key is
# the profile's, built into a source of its own.
add_library(setup_glue STATIC ${GLUE_SOURCES} ${ARCHIVE_SOURCES} "${PACKAGE_KEY_SOURCE}")
target_include_directories(setup_glue PUBLIC "${PROFILE_DIR}")
target_compile_definitions(setup_glue PUBLIC PROFILE_PACKAGE_KEY=${PACKAGE_KEY_PRESENT})
# No wininet: it is loaded from the system folder at run time (fw/wininet_functions.h).
target_link_libraries(setup_glue PUBLIC setup_core minizip
    shell32 ole32 uuid advapi32 user32 gdi32 kernel32 PRIVATE program_options)

# The agreement text: UTF-8 in the profile, CP949 with CR LF in the program.
set(RES_BUILD_DIR "${CMAKE_BINARY_DIR}/res")
file(MAKE_DIRECTORY "${RES_BUILD_DIR}")
add_custom_command(
    OUTPUT "${RES_BUILD_DIR}/contract.cp949.txt"
    COMMAND "${CMAKE_SOURCE_DIR}/scripts/convert-contract.sh"
            "${PROFILE_DIR}/contract.txt" "${RES_BUILD_DIR}/contract.cp949.txt"
    DEPENDS "${PROFILE_DIR}/contract.txt" "${CMAKE_SOURCE_DIR}/scripts/convert-contract.sh"
    COMMENT "Converting the agreement text to CP949")
add_custom_target(contract_text DEPENDS "${RES_BUILD_DIR}/contract.cp949.txt")
configure_file(res/app.manifest.in "${RES_BUILD_DIR}/app.manifest" @ONLY)

add_executable(velmora_setup WIN32 ${ENTRY_SOURCES})
target_link_libraries(velmora_setup PRIVATE setup_glue program_options)
link_for_size(velmora_setup)
target_link_options(velmora_setup PRIVATE -s -Wl,-Map=${CMAKE_BINARY_DIR}/velmora_setup.map)
sign_program(velmora_setup)
target_include_directories(velmora_setup PRIVATE "${CMAKE_SOURCE_DIR}/res" "${RES_BUILD_DIR}")
add_dependencies(velmora_setup contract_text)
set_source_files_properties(res/setup.rc PROPERTIES OBJECT_DEPENDS
    "${PROFILE_DIR}/banner.bmp;${PROFILE_DIR}/app.ico;${PROFILE_DIR}/profile_values.h;${RES_BUILD_DIR}/contract.cp949.txt;${RES_BUILD_DIR}/app.manifest;${CMAKE_SOURCE_DIR}/res/resource.h;${CMAKE_SOURCE_DIR}/res/agreement_dialog.rc2")

include(cmake/windows_tests.cmake)
include(sample/sample.cmake)
include(bench/bench.cmake)
