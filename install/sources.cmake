list(APPEND GLUE_SOURCES install/progress.cpp install/block_copy.cpp install/extract_worker.cpp
     install/archive_stream.cpp install/data_copy.cpp)
list(APPEND CORE_SOURCES install/progress_rules.cpp install/entry_name_rules.cpp install/data_copy_rules.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/progress_rules_test.cpp tests/unit/entry_name_rules_test.cpp
     tests/unit/data_copy_rules_test.cpp)
list(APPEND WIN_TEST_SOURCES tests/win/install_support.cpp tests/win/progress_test.cpp
     tests/win/extract_worker_test.cpp tests/win/hostile_archive_test.cpp tests/win/data_copy_test.cpp)
# Portable, but over minizip: the Windows build links its own minizip, the native tests Debian's.
list(APPEND ARCHIVE_SOURCES install/archive_entry.cpp)
list(APPEND ARCHIVE_TEST_SOURCES tests/unit/archive_entry_test.cpp)
