list(APPEND CORE_SOURCES app/single_instance.cpp)
list(APPEND GLUE_SOURCES app/profile.cpp app/run_state.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/single_instance_test.cpp)
