list(APPEND CORE_SOURCES ui/command_line.cpp)
list(APPEND GLUE_SOURCES ui/setup_dlg.cpp ui/install_dir.cpp ui/agreement_dlg.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/command_line_test.cpp)
