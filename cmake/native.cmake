# Host build: the portable core and its unit tests.
find_package(GTest REQUIRED)
include(GoogleTest)

if(SETUP_SANITIZE)
    target_compile_options(project_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

# The portable code over minizip, with Debian's minizip.
find_package(PkgConfig REQUIRED)
pkg_check_modules(MINIZIP REQUIRED IMPORTED_TARGET minizip)
add_library(setup_archive STATIC ${ARCHIVE_SOURCES})
target_link_libraries(setup_archive PUBLIC setup_core PkgConfig::MINIZIP)

add_executable(core_tests ${CORE_TEST_SOURCES} ${ARCHIVE_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE setup_core setup_archive GTest::gtest_main)
gtest_discover_tests(core_tests DISCOVERY_MODE PRE_TEST)
