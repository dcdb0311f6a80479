list(APPEND GLUE_SOURCES download/download_worker.cpp)
