list(APPEND GLUE_SOURCES download/download_worker.cpp download/package_request.cpp download/temp_archive.cpp
     download/package_signature.cpp)
list(APPEND CORE_SOURCES download/download_rules.cpp download/url_rules.cpp
     download/signature_rules.cpp)
list(APPEND CORE_TEST_SOURCES tests/unit/download_rules_test.cpp tests/unit/url_rules_test.cpp
     tests/unit/signature_rules_test.cpp)
list(APPEND WIN_TEST_SOURCES tests/win/package_signature_test.cpp tests/win/temp_archive_test.cpp)
