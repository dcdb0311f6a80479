# Tests of the Windows build: they run under Wine (the test command prepares
# the prefix, the display and the servers before ctest starts).
# The UI driver: a console program in the same Wine prefix as the setup.
add_executable(uidriver tests/e2e/uidriver.cpp)
target_link_libraries(uidriver PRIVATE project_options user32 gdi32 psapi)
target_link_options(uidriver PRIVATE -municode)  # wmain: the arguments in UTF-16
# The hook its "record" command loads into the program under test, from beside uidriver.exe;
# it writes the texts as the program's CP949 with the program's own conversion.
add_library(text_recorder SHARED tests/e2e/text_recorder.cpp fw/code_page.cpp)
target_link_libraries(text_recorder PRIVATE project_options user32)
set_target_properties(text_recorder PROPERTIES PREFIX "")
target_link_options(text_recorder PRIVATE -Wl,--kill-at)
add_dependencies(uidriver text_recorder)

# Host tools for the end-to-end tests, built with the host compiler.
find_program(HOST_CXX NAMES c++ g++ REQUIRED)
set(FAULT_SERVER "${CMAKE_BINARY_DIR}/host/fault_server")
add_custom_command(
    OUTPUT "${FAULT_SERVER}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host"
    COMMAND "${HOST_CXX}" -std=c++17 -O2 -pthread -Wall -Wextra -Werror
            "${CMAKE_SOURCE_DIR}/tests/servers/fault_server.cpp" -o "${FAULT_SERVER}"
    DEPENDS "${CMAKE_SOURCE_DIR}/tests/servers/fault_server.cpp"
    COMMENT "Building the fault server (host)")
# The profile's values, the program's texts and the control ids as shell variables for the
# end-to-end scripts and the bench (tests/e2e/lib.sh), made from the headers the program is built
# from.
set(PROFILE_VALUES_SH "${CMAKE_BINARY_DIR}/profile_values.sh")
set(PROFILE_VALUES_TOOL "${CMAKE_BINARY_DIR}/host/profile_values_sh")
add_custom_command(
    OUTPUT "${PROFILE_VALUES_SH}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host"
    COMMAND "${HOST_CXX}" -std=c++17 -O1 -Wall -Wextra -Werror -I "${CMAKE_SOURCE_DIR}"
            -I "${PROFILE_DIR}" "${CMAKE_SOURCE_DIR}/tests/e2e/profile_values_sh.cpp"
            -o "${PROFILE_VALUES_TOOL}"
    COMMAND "${PROFILE_VALUES_TOOL}" "${PROFILE_VALUES_SH}"
    DEPENDS "${CMAKE_SOURCE_DIR}/tests/e2e/profile_values_sh.cpp" "${CMAKE_SOURCE_DIR}/app/texts.h"
            "${CMAKE_SOURCE_DIR}/app/profile_fields.h" "${CMAKE_SOURCE_DIR}/res/resource.h"
            "${PROFILE_DIR}/profile_values.h"
    COMMENT "Writing the profile's values for the end-to-end scripts")
add_custom_target(host_tools ALL DEPENDS "${FAULT_SERVER}" "${PROFILE_VALUES_SH}")
# The fault server's ranges, cuts and package replacement, asked with curl on the host; once,
# in the build that runs the Windows-side tests.
if(SETUP_WIN_TESTS)
    add_test(NAME host.fault_server
             COMMAND bash "${CMAKE_SOURCE_DIR}/tests/servers/fault_server_test.sh")
    set_tests_properties(host.fault_server PROPERTIES
                         ENVIRONMENT "FAULT_SERVER=${FAULT_SERVER}" TIMEOUT 120 LABELS host)
endif()

# A stand-in sensapi.dll that reports no network, for the scenario that checks the network
# question. It takes the place of Wine's own in the prefix's system folder for that scenario: the
# setup loads sensapi.dll from there alone.
add_library(offline_sensapi SHARED tests/e2e/offline_sensapi.c)
set_target_properties(offline_sensapi PROPERTIES OUTPUT_NAME sensapi PREFIX ""
                      RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/offline")
target_link_options(offline_sensapi PRIVATE -Wl,--kill-at -static)

# A DLL that writes a marker when loaded, planted beside a copy of the setup under the names of
# system DLLs: none may be loaded from there.
add_library(planted_dll SHARED tests/e2e/planted_dll.c)
set_target_properties(planted_dll PROPERTIES PREFIX "" RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/planted")
target_link_libraries(planted_dll PRIVATE project_options)
target_link_options(planted_dll PRIVATE -Wl,--kill-at -static)

# The same program with a cut download taken up again three times, whatever the profile says
# (app/profile.cpp compiled once more, with SETUP_RESUME_RETRIES; its object comes before the
# library's, so the library's copy is never linked): the resume scenarios drive it, while
# velmora_setup keeps the profile's value.
add_executable(velmora_setup_resuming WIN32 ${ENTRY_SOURCES} app/profile.cpp)
target_compile_definitions(velmora_setup_resuming PRIVATE SETUP_RESUME_RETRIES=3)
target_link_libraries(velmora_setup_resuming PRIVATE setup_glue program_options)
link_for_size(velmora_setup_resuming)
target_include_directories(velmora_setup_resuming PRIVATE "${CMAKE_SOURCE_DIR}/res" "${RES_BUILD_DIR}")
add_dependencies(velmora_setup_resuming contract_text)

# End-to-end scenarios: bash scripts that start the real program under Wine, with the Wine
# loader of this build (SETUP_WINE_BITS).
set(E2E_ENV
    "SETUP_WINE_BITS=${SETUP_BITS}"
    "OFFLINE_SENSAPI=$<TARGET_FILE:offline_sensapi>"
    "PLANTED_DLL=$<TARGET_FILE:planted_dll>"
    "SETUP_EXE=$<TARGET_FILE:velmora_setup>"
    "RESUMING_SETUP_EXE=$<TARGET_FILE:velmora_setup_resuming>"
    "UIDRIVER=$<TARGET_FILE:uidriver>"
    "FAULT_SERVER=${FAULT_SERVER}"
    "SOURCE_DIR=${CMAKE_SOURCE_DIR}"
    "BUILD_DIR=${CMAKE_BINARY_DIR}"
    "SETUP_PROFILE=${SETUP_PROFILE}")
function(add_e2e_test name script)
    add_test(NAME "e2e.${name}" COMMAND bash "${script}")
    # The fault matrix runs some thirty rows, about four minutes on an idle machine.
    set(timeout 300)
    if(name STREQUAL "fault_matrix")
        set(timeout 900)
    endif()
    set_tests_properties("e2e.${name}" PROPERTIES ENVIRONMENT "${E2E_ENV}" TIMEOUT ${timeout}
                         RUN_SERIAL TRUE LABELS e2e)
endfunction()

include(tests/e2e/scenarios.cmake)

# The executable's own facts, read from the file by host programs, so they hold on every host:
# tests/build, a directory of its own that ctest can run alone (ctest --test-dir ...).
add_subdirectory(tests/build)

# Windows-side tests: gtest programs run through the Wine emulator. A build for
# another profile runs only its end-to-end scenarios and may leave them out.
if(NOT SETUP_WIN_TESTS)
    return()
endif()
include(GoogleTest)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
# The tests write the archives they read: zlib's deflate, from the program's own zlib sources.
add_library(zlib_deflate STATIC "${ZLIB_DIR}/deflate.c" "${ZLIB_DIR}/trees.c")
target_link_libraries(zlib_deflate PUBLIC zlib_inflate)
target_compile_options(zlib_deflate PRIVATE -w)
add_executable(win_tests ${WIN_TEST_SOURCES})
target_link_libraries(win_tests PRIVATE setup_glue zlib_deflate gtest_main version)
# The tests find velmora_setup.exe beside themselves.
add_dependencies(win_tests velmora_setup)
gtest_discover_tests(win_tests DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60 PROPERTIES LABELS win)

# Modules the tests load in place of the program's own, beside win_tests.exe. agreement_long.dll:
# the agreement dialog with a text longer than it shows (100 numbered lines of 64 bytes with
# CR LF); the test program itself holds the dialog without a text.
string(REPEAT "-" 53 filler)
set(long_text "")
foreach(line RANGE 100 199)
    string(APPEND long_text "line ${line} ${filler}\n")
endforeach()
file(CONFIGURE OUTPUT "${CMAKE_BINARY_DIR}/tests/agreement_long.txt" CONTENT "${long_text}"
     NEWLINE_STYLE CRLF)
add_library(agreement_long SHARED tests/win/agreement_module.rc)
set_source_files_properties(tests/win/agreement_module.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_SOURCE_DIR}/res/agreement_dialog.rc2;${CMAKE_BINARY_DIR}/tests/agreement_long.txt")
target_compile_definitions(agreement_long PRIVATE AGREEMENT_LONG_TEXT)
target_include_directories(agreement_long PRIVATE
    "${CMAKE_SOURCE_DIR}" "${PROFILE_DIR}" "${CMAKE_BINARY_DIR}/tests")
set_target_properties(agreement_long PROPERTIES PREFIX "" LINKER_LANGUAGE C)
target_link_options(agreement_long PRIVATE -static)
# known_folder_fails.dll: a shell32 whose SHGetKnownFolderPath fails.
add_library(known_folder_fails SHARED tests/win/known_folder_fails.c)
set_target_properties(known_folder_fails PROPERTIES PREFIX "")
target_link_options(known_folder_fails PRIVATE -Wl,--kill-at -static)
add_dependencies(win_tests agreement_long known_folder_fails)
# Keys, packages and signatures for the signature check's tests, made fresh by openssl and the
# publisher's scripts into signature_test/ beside the tests (private keys never leave the build).
set(SIGNATURE_FIXTURES "${CMAKE_BINARY_DIR}/signature_test")
set(signature_fixture_scripts tests/win/make_signature_fixtures.sh scripts/make-package.sh
    scripts/make-package-key.sh)
list(TRANSFORM signature_fixture_scripts PREPEND "${CMAKE_SOURCE_DIR}/")
add_custom_command(
    OUTPUT "${SIGNATURE_FIXTURES}/package.zip.sig"
    COMMAND bash "${CMAKE_SOURCE_DIR}/tests/win/make_signature_fixtures.sh" "${SIGNATURE_FIXTURES}"
    DEPENDS ${signature_fixture_scripts}
    COMMENT "Making the key pairs and signed files of the signature tests")
add_custom_target(signature_fixtures DEPENDS "${SIGNATURE_FIXTURES}/package.zip.sig")
add_dependencies(win_tests signature_fixtures)
