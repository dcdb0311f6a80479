list(APPEND GLUE_SOURCES finish/completion.cpp finish/shortcuts.cpp)
list(APPEND CORE_SOURCES finish/finish_rules.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/finish_rules_test.cpp)
list(APPEND WIN_TEST_SOURCES tests/win/finish_fixture.cpp tests/win/shortcuts_test.cpp
    tests/win/completion_test.cpp)
