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
