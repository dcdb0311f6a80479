# Fuzz build: libFuzzer targets over the portable core, with AddressSanitizer
# and UndefinedBehaviorSanitizer. Clang only, and clang has no
# -fexec-charset=CP949: every source is converted to CP949 here instead, so
# the core's Korean literals hold the same bytes as in the shipped program.
if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SETUP_FUZZ needs clang (libFuzzer); use the \"fuzz\" preset")
endif()
find_program(ICONV iconv REQUIRED)
set(FUZZ_RUNS 30000 CACHE STRING "libFuzzer runs of each target under ctest")

# Our code: warnings are errors. The CP949 bytes in literals are meant.
set(FUZZ_COMPILE_OPTIONS -Wall -Wextra -Werror -Wno-invalid-source-encoding -g
    -fno-omit-frame-pointer -fno-sanitize-recover=all)

# Copies |source| (relative to the source tree) as CP949 into the build tree
# and appends the copy's path to the list named |out_list|.
function(fuzz_cp949_copy source out_list)
    set(copy "${CMAKE_BINARY_DIR}/cp949/${source}")
    get_filename_component(copy_dir "${copy}" DIRECTORY)
    add_custom_command(OUTPUT "${copy}"
        COMMAND "${CMAKE_COMMAND}" -E make_directory "${copy_dir}"
        COMMAND "${ICONV}" -f UTF-8 -t CP949 -o "${copy}" "${CMAKE_SOURCE_DIR}/${source}"
        DEPENDS "${CMAKE_SOURCE_DIR}/${source}"
        COMMENT "CP949 copy of ${source}" VERBATIM)
    set(${out_list} ${${out_list}} "${copy}" PARENT_SCOPE)
endfunction()

set(fuzz_core_sources)
foreach(source ${CORE_SOURCES})
    fuzz_cp949_copy("${source}" fuzz_core_sources)
endforeach()
# The core is instrumented for coverage; the targets add libFuzzer's main.
add_library(fuzz_core STATIC ${fuzz_core_sources})
target_include_directories(fuzz_core PUBLIC "${CMAKE_SOURCE_DIR}")
target_compile_options(fuzz_core PUBLIC ${FUZZ_COMPILE_OPTIONS}
    PRIVATE -fsanitize=fuzzer-no-link,address,undefined)

set(FUZZ_ARTIFACTS "${CMAKE_BINARY_DIR}/artifacts")
file(MAKE_DIRECTORY "${FUZZ_ARTIFACTS}")

# One target per area of the core: tests/fuzz/<name>_fuzz.cpp with its seeds in
# tests/fuzz/corpus/<name>/. The short ctest run reads the seeds and writes no
# new corpus; a finding lands in build/fuzz/artifacts/.
function(add_fuzz_target name)
    set(target "${name}_fuzz")
    set(sources)
    fuzz_cp949_copy("tests/fuzz/${target}.cpp" sources)
    add_executable(${target} ${sources})
    target_include_directories(${target} PRIVATE "${CMAKE_SOURCE_DIR}/tests/fuzz")
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_options(${target} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${target} PRIVATE fuzz_core)

    file(GLOB seeds CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name}/*")
    if(NOT seeds)
        message(FATAL_ERROR "No seed corpus in tests/fuzz/corpus/${name}/")
    endif()
    list(JOIN seeds "," seed_list)
    add_test(NAME fuzz_${name}
        COMMAND ${target} -runs=${FUZZ_RUNS} -max_len=1024 -seed_inputs=${seed_list}
                -artifact_prefix=${FUZZ_ARTIFACTS}/${name}-)
    set_tests_properties(fuzz_${name} PROPERTIES TIMEOUT 300)
endfunction()

foreach(name command_line install_dir download transport entry_name progress finish signature)
    add_fuzz_target(${name})
endforeach()
