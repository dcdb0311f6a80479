list(APPEND GLUE_SOURCES install/progress.cpp install/extract_worker.cpp install/data_copy.cpp)
list(APPEND CORE_SOURCES install/progress_rules.cpp install/entry_name_rules.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/progress_rules_test.cpp tests/unit/entry_name_rules_test.cpp)
