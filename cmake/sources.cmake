# Source lists by layer, collected from each subsystem's sources.cmake.
#   CORE_SOURCES       portable core: never includes <windows.h>
#   GLUE_SOURCES       Win32 glue of the program (everything but the entry)
#   ENTRY_SOURCES      the application object and the resources
#   ARCHIVE_SOURCES    portable code over minizip (its own library: the core links no minizip)
#   CORE_TEST_SOURCES  native unit tests of the core
#   ARCHIVE_TEST_SOURCES  native unit tests of ARCHIVE_SOURCES
#   WIN_TEST_SOURCES   tests that run under Wine against the glue
set(CORE_SOURCES)
set(GLUE_SOURCES)
set(ARCHIVE_SOURCES)
set(ARCHIVE_TEST_SOURCES)
set(CORE_TEST_SOURCES)
set(WIN_TEST_SOURCES tests/win/test_support.cpp)
foreach(subsystem fw app ui download install finish)
    include("${CMAKE_SOURCE_DIR}/${subsystem}/sources.cmake")
endforeach()
set(ENTRY_SOURCES app/setup_app.cpp fw/memory.cpp res/setup.rc)
