# Authenticode signatures on the programs the build makes for users (velmora_setup.exe and the
# sample package's programs), made with osslsigncode when a certificate and its key are given.
# The keys stay outside the repository: the build only names them. See README, "Signing".
set(SETUP_SIGN_CERT "" CACHE FILEPATH
    "Code-signing certificate (PEM or DER; a chain file may follow it) for the built programs")
set(SETUP_SIGN_KEY "" CACHE FILEPATH "The certificate's private key (PEM or DER, no passphrase)")
set(SETUP_SIGN_TIMESTAMP_URL "" CACHE STRING
    "RFC 3161 time-stamp server, so signatures stay valid after the certificate expires")

set(CODE_SIGNING OFF)
if(SETUP_SIGN_CERT OR SETUP_SIGN_KEY)
    if(NOT SETUP_SIGN_CERT OR NOT SETUP_SIGN_KEY)
        message(FATAL_ERROR "Code signing needs both SETUP_SIGN_CERT and SETUP_SIGN_KEY")
    endif()
    foreach(file "${SETUP_SIGN_CERT}" "${SETUP_SIGN_KEY}")
        if(NOT EXISTS "${file}")
            message(FATAL_ERROR "Code signing: no file at ${file}")
        endif()
    endforeach()
    find_program(OSSLSIGNCODE osslsigncode REQUIRED)
    set(CODE_SIGNING ON)
    message(STATUS "Signing the programs with ${SETUP_SIGN_CERT}")
endif()

# sign_program(TARGET): after each link, the target's file is replaced by its signed copy.
function(sign_program target)
    if(NOT CODE_SIGNING)
        return()
    endif()
    set(timestamp)
    if(SETUP_SIGN_TIMESTAMP_URL)
        set(timestamp -ts "${SETUP_SIGN_TIMESTAMP_URL}")
    endif()
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND "${OSSLSIGNCODE}" sign -certs "${SETUP_SIGN_CERT}" -key "${SETUP_SIGN_KEY}" -h sha256
                ${timestamp} -in "$<TARGET_FILE:${target}>" -out "$<TARGET_FILE:${target}>.signed"
        COMMAND "${CMAKE_COMMAND}" -E rename "$<TARGET_FILE:${target}>.signed" "$<TARGET_FILE:${target}>"
        COMMENT "Signing ${target}"
        VERBATIM)
endfunction()
