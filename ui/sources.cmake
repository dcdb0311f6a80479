list(APPEND CORE_SOURCES ui/command_line.cpp)
list(APPEND GLUE_SOURCES ui/setup_dlg.cpp ui/install_dir.cpp ui/agreement_dlg.cpp ui/run_jobs.cpp
    ui/quiet_run.cpp ui/setup_run.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/command_line_test.cpp)
list(APPEND WIN_TEST_SOURCES tests/win/ui_test.cpp tests/win/agreement_module.rc)
list(APPEND CORE_SOURCES ui/install_dir_rules.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/install_dir_rules_test.cpp)
