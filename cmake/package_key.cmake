# The publisher's package key. With one, the program accepts a package only with a signature
# made by its private half (download/package_signature.h); without one it checks nothing.
# Which key, first match:
#   SETUP_PACKAGE_KEY_THROWAWAY=ON  a key pair made once in <build>/package-key/ (test builds;
#                                   its private half also signs the sample package)
#   SETUP_PACKAGE_KEY=<file>        that public key (PEM), in place of the profile's
#   profile/<name>/package_key.pub  the profile's own
# Sets PACKAGE_KEY_FILE (the public key or ""), PACKAGE_SIGNING_KEY (the private key that signs
# the sample package, or "") and PACKAGE_KEY_PRESENT (1 or 0), and PACKAGE_KEY_SOURCE, the
# generated C++ source that defines g_abPackageKey and g_nPackageKeyBytes (app/profile.h).
set(SETUP_PACKAGE_KEY "" CACHE FILEPATH
    "Public key (PEM) that packages must be signed with; overrides profile/<name>/package_key.pub")
option(SETUP_PACKAGE_KEY_THROWAWAY
       "Make a throwaway package key pair in the build folder and build with it (test builds)" OFF)

set(PACKAGE_KEY_FILE "")
set(PACKAGE_SIGNING_KEY "")
if(SETUP_PACKAGE_KEY_THROWAWAY)
    if(SETUP_PACKAGE_KEY)
        message(FATAL_ERROR "Give SETUP_PACKAGE_KEY or SETUP_PACKAGE_KEY_THROWAWAY, not both")
    endif()
    find_program(OPENSSL openssl REQUIRED)
    set(throwaway_dir "${CMAKE_BINARY_DIR}/package-key")
    if(NOT EXISTS "${throwaway_dir}/package_key.pub")
        execute_process(COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/make-package-key.sh" "${throwaway_dir}"
                        RESULT_VARIABLE key_result OUTPUT_QUIET)
        if(NOT key_result EQUAL 0)
            message(FATAL_ERROR "Could not make the throwaway package key (scripts/make-package-key.sh)")
        endif()
    endif()
    set(PACKAGE_KEY_FILE "${throwaway_dir}/package_key.pub")
    set(PACKAGE_SIGNING_KEY "${throwaway_dir}/package_key.pem")
elseif(SETUP_PACKAGE_KEY)
    if(NOT EXISTS "${SETUP_PACKAGE_KEY}")
        message(FATAL_ERROR "SETUP_PACKAGE_KEY: no file at ${SETUP_PACKAGE_KEY}")
    endif()
    get_filename_component(PACKAGE_KEY_FILE "${SETUP_PACKAGE_KEY}" ABSOLUTE)
elseif(EXISTS "${PROFILE_DIR}/package_key.pub")
    set(PACKAGE_KEY_FILE "${PROFILE_DIR}/package_key.pub")
endif()
# The choice is made here, at configure time: a key copied into the profile (or removed) after
# configuring must configure again, or the build would go on without it and check nothing. A
# folder's time changes when a file appears in it or goes; the key file's when it is rewritten.
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PROFILE_DIR}")
if(PACKAGE_KEY_FILE)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${PACKAGE_KEY_FILE}")
endif()
if(PACKAGE_KEY_FILE)
    set(PACKAGE_KEY_PRESENT 1)
    message(STATUS "Packages must be signed: key ${PACKAGE_KEY_FILE}")
else()
    set(PACKAGE_KEY_PRESENT 0)
endif()

# The key goes into the program as a blob made by a host tool over the core's own key rules.
find_program(HOST_CXX NAMES c++ g++ REQUIRED)
set(PACKAGE_KEY_TOOL "${CMAKE_BINARY_DIR}/host/package_key_source")
set(package_key_tool_sources download/package_key_source.cpp download/signature_rules.cpp)
list(TRANSFORM package_key_tool_sources PREPEND "${CMAKE_SOURCE_DIR}/")
add_custom_command(
    OUTPUT "${PACKAGE_KEY_TOOL}"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${CMAKE_BINARY_DIR}/host"
    COMMAND "${HOST_CXX}" -std=c++17 -O1 -Wall -Wextra -Werror -I "${CMAKE_SOURCE_DIR}"
            ${package_key_tool_sources} -o "${PACKAGE_KEY_TOOL}"
    DEPENDS ${package_key_tool_sources} "${CMAKE_SOURCE_DIR}/download/signature_rules.h"
    COMMENT "Building the package key tool (host)")

# The choice is a file of its own, rewritten only when it changes, so another key (or none)
# remakes the source even where the build tool does not follow command lines.
set(PACKAGE_KEY_CHOICE "${CMAKE_BINARY_DIR}/generated/package_key_choice.txt")
file(CONFIGURE OUTPUT "${PACKAGE_KEY_CHOICE}" CONTENT "${PACKAGE_KEY_FILE}\n")
set(PACKAGE_KEY_SOURCE "${CMAKE_BINARY_DIR}/generated/package_key.cpp")
add_custom_command(
    OUTPUT "${PACKAGE_KEY_SOURCE}"
    COMMAND "${PACKAGE_KEY_TOOL}" "${PACKAGE_KEY_SOURCE}" ${PACKAGE_KEY_FILE}
    DEPENDS "${PACKAGE_KEY_TOOL}" "${PACKAGE_KEY_CHOICE}" ${PACKAGE_KEY_FILE}
    COMMENT "Building the package key into the program")
