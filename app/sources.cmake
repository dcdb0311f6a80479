list(APPEND CORE_SOURCES app/single_instance.cpp)
list(APPEND CORE_SOURCES app/stage_result.cpp)
list(APPEND GLUE_SOURCES app/profile.cpp app/stage_reporter.cpp app/run_flags.cpp app/stage_thread.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/single_instance_test.cpp tests/unit/stage_result_test.cpp)
