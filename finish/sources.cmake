list(APPEND GLUE_SOURCES finish/completion.cpp)
