# Source lists by layer. The portable core never includes <windows.h>; the
# glue holds the Win32 calls; the entry object stays out of the library so
# that the Windows-side tests can link the glue without it.

set(CORE_SOURCES
    fw/cstring.cpp
    app/single_instance.cpp
    ui/command_line.cpp
)

set(GLUE_SOURCES
    fw/app.cpp
    fw/dialog.cpp
    app/profile.cpp
    app/run_state.cpp
    ui/setup_dlg.cpp
    ui/install_dir.cpp
    ui/agreement_dlg.cpp
    download/download_worker.cpp
    install/extract_worker.cpp
    install/data_copy.cpp
    finish/completion.cpp
)

set(ENTRY_SOURCES
    app/setup_app.cpp
    res/setup.rc
)

set(CORE_TEST_SOURCES
    tests/unit/cstring_test.cpp
    tests/unit/command_line_test.cpp
    tests/unit/single_instance_test.cpp
)

set(WIN_TEST_SOURCES
    tests/win/test_support.cpp
    tests/win/resources_test.cpp
)
