# Tools of the benchmark (bench/run.sh), built with everything else: the test suite smoke-runs it.

# The setup with its status and percentage writes counted (bench/control_writes.cpp), and two
# switches that tell what the percentage writes and the 4096-byte reads cost
# (bench/control_writes.cpp, bench/read_ahead.cpp).
add_executable(velmora_setup_counting WIN32 ${ENTRY_SOURCES} bench/control_writes.cpp bench/read_ahead.cpp)
# Linked without LTO: the counter takes the place of user32's import pointer, which a link-time
# optimised link takes from the import library instead.
target_link_libraries(velmora_setup_counting PRIVATE setup_glue program_options)
target_include_directories(velmora_setup_counting PRIVATE "${CMAKE_SOURCE_DIR}/res" "${RES_BUILD_DIR}")
add_dependencies(velmora_setup_counting contract_text)

# The extraction stage alone over a given archive, run by hand (bench/extract_throughput.cpp).
add_executable(bench_extract bench/extract_throughput.cpp)
target_link_libraries(bench_extract PRIVATE setup_glue project_options)

# The deterministic benchmark archives, made on the host.
set(BENCH_MAKE_PACKAGE "${CMAKE_BINARY_DIR}/host/bench_make_package")
add_custom_command(
    OUTPUT "${BENCH_MAKE_PACKAGE}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host"
    COMMAND "${HOST_CXX}" -std=c++17 -O2 -Wall -Wextra -Werror
            "${CMAKE_SOURCE_DIR}/bench/make_package.cpp" -lz -o "${BENCH_MAKE_PACKAGE}"
    DEPENDS "${CMAKE_SOURCE_DIR}/bench/make_package.cpp"
    COMMENT "Building the benchmark's archive maker (host)")
add_custom_target(bench_tools ALL DEPENDS "${BENCH_MAKE_PACKAGE}" velmora_setup_counting bench_extract)

# The setup's own SHA-256 over a file (the package signature check's hashing), timed in the
# process, for the comparison with sha256sum.
add_executable(bench_sha256 bench/hash_file.cpp)
target_link_libraries(bench_sha256 PRIVATE setup_glue program_options)
add_dependencies(bench_tools bench_sha256)

# The same program with a publisher key, for row K (a keyed install against an unkeyed one of
# the same package): a throwaway key pair made once in <build>/bench-key/, whose private half
# signs the benchmark's package. The program's own key source comes before the library's, so
# the library's (the profile's, none for Velmora) is never linked into it.
set(BENCH_KEY_DIR "${CMAKE_BINARY_DIR}/bench-key")
set(BENCH_KEY_SOURCE "${CMAKE_BINARY_DIR}/generated/bench_package_key.cpp")
add_custom_command(
    OUTPUT "${BENCH_KEY_DIR}/package_key.pub"
    COMMAND "${CMAKE_COMMAND}" -E rm -rf "${BENCH_KEY_DIR}"
    COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/make-package-key.sh" "${BENCH_KEY_DIR}" >/dev/null
    DEPENDS "${CMAKE_SOURCE_DIR}/scripts/make-package-key.sh"
    COMMENT "Making the benchmark's throwaway package key")
add_custom_command(
    OUTPUT "${BENCH_KEY_SOURCE}"
    COMMAND "${PACKAGE_KEY_TOOL}" "${BENCH_KEY_SOURCE}" "${BENCH_KEY_DIR}/package_key.pub"
    DEPENDS "${PACKAGE_KEY_TOOL}" "${BENCH_KEY_DIR}/package_key.pub"
    COMMENT "Building the benchmark's key into the keyed program")
add_executable(velmora_setup_keyed WIN32 ${ENTRY_SOURCES} "${BENCH_KEY_SOURCE}")
target_link_libraries(velmora_setup_keyed PRIVATE setup_glue program_options)
target_link_options(velmora_setup_keyed PRIVATE -s)  # as the shipped program
target_include_directories(velmora_setup_keyed PRIVATE "${CMAKE_SOURCE_DIR}/res" "${RES_BUILD_DIR}")
add_dependencies(velmora_setup_keyed contract_text)
add_dependencies(bench_tools velmora_setup_keyed)
