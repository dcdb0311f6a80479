list(APPEND GLUE_SOURCES install/extract_worker.cpp install/data_copy.cpp)
