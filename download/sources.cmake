list(APPEND GLUE_SOURCES download/download_worker.cpp download/temp_archive.cpp)
list(APPEND CORE_SOURCES download/download_rules.cpp download/transport_rules.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/download_rules_test.cpp tests/unit/transport_rules_test.cpp)
