list(APPEND CORE_SOURCES app/single_instance.cpp)
list(APPEND CORE_SOURCES app/stage_result.cpp app/run_log_rules.cpp)
list(APPEND GLUE_SOURCES app/profile.cpp app/stage_reporter.cpp app/run_flags.cpp app/stage_thread.cpp
    app/run_log.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/single_instance_test.cpp tests/unit/stage_result_test.cpp
    tests/unit/run_log_rules_test.cpp)
list(APPEND WIN_TEST_SOURCES tests/win/run_log_test.cpp)
