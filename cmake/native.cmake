# Host build: the portable core and its unit tests.
find_package(GTest REQUIRED)
include(GoogleTest)

if(SETUP_SANITIZE)
    target_compile_options(project_options INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer)
    target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

add_executable(core_tests ${CORE_TEST_SOURCES})
target_link_libraries(core_tests PRIVATE setup_core GTest::gtest_main)
gtest_discover_tests(core_tests DISCOVERY_MODE PRE_TEST)
