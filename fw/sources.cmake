list(APPEND CORE_SOURCES fw/cstring.cpp)
list(APPEND GLUE_SOURCES fw/app.cpp fw/dialog.cpp fw/internet.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/cstring_test.cpp)
list(APPEND WIN_TEST_SOURCES tests/win/internet_test.cpp)
