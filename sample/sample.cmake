# The sample product that the package carries, built with the profile's file
# names, and the package itself: build/windows/package/update/<archive name>,
# so nginx can serve build/windows/package as its document root. A build with a
# throwaway package key (cmake/package_key.cmake) signs it too: <archive name>.sig
# beside it, as a publisher's server holds them.

# A quoted text value of profile_values.h, e.g. PROFILE_PRODUCT_EXE.
function(read_profile_text name out)
    file(STRINGS "${PROFILE_DIR}/profile_values.h" line REGEX "^#define ${name} ")
    string(REGEX REPLACE "^#define ${name} +\"([^\"]*)\".*$" "\\1" value "${line}")
    set(${out} "${value}" PARENT_SCOPE)
endfunction()

read_profile_text(PROFILE_PRODUCT_EXE SAMPLE_PRODUCT_EXE)
read_profile_text(PROFILE_UNINST_EXE SAMPLE_UNINST_EXE)
read_profile_text(PROFILE_HELP_EXE SAMPLE_HELP_EXE)
read_profile_text(PROFILE_ARCHIVE_NAME SAMPLE_ARCHIVE_NAME)
if(NOT SAMPLE_PRODUCT_EXE OR NOT SAMPLE_UNINST_EXE OR NOT SAMPLE_ARCHIVE_NAME)
    message(FATAL_ERROR "profile_values.h lacks the program, uninstaller or archive name")
endif()

set(SAMPLE_DIR "${CMAKE_BINARY_DIR}/sample")
set(PACKAGE_FILE "${CMAKE_BINARY_DIR}/package/update/${SAMPLE_ARCHIVE_NAME}")

# sample_program(TARGET SOURCE FILE_NAME): a window program named FILE_NAME.
function(sample_program target source file_name)
    add_executable(${target} WIN32 ${source})
    target_include_directories(${target} PRIVATE "${PROFILE_DIR}")
    target_link_libraries(${target} PRIVATE project_options program_options user32 gdi32)
    get_filename_component(stem "${file_name}" NAME_WE)
    get_filename_component(extension "${file_name}" EXT)
    set_target_properties(${target} PROPERTIES OUTPUT_NAME "${stem}" SUFFIX "${extension}"
                          RUNTIME_OUTPUT_DIRECTORY "${SAMPLE_DIR}")
    target_link_options(${target} PRIVATE -s)
    sign_program(${target})
endfunction()

sample_program(sample_product sample/velmora_app.cpp "${SAMPLE_PRODUCT_EXE}")
sample_program(sample_uninstaller sample/uninstaller.cpp "${SAMPLE_UNINST_EXE}")
target_link_libraries(sample_uninstaller PRIVATE shell32 advapi32)

set(package_files "${SAMPLE_DIR}/${SAMPLE_PRODUCT_EXE}" "${SAMPLE_DIR}/${SAMPLE_UNINST_EXE}")
set(package_depends sample_product sample_uninstaller)
# A profile with a help program gets the sample program under that name too.
if(SAMPLE_HELP_EXE)
    add_custom_command(
        OUTPUT "${SAMPLE_DIR}/${SAMPLE_HELP_EXE}"
        COMMAND "${CMAKE_COMMAND}" -E copy "$<TARGET_FILE:sample_product>"
                "${SAMPLE_DIR}/${SAMPLE_HELP_EXE}"
        DEPENDS sample_product)
    list(APPEND package_files "${SAMPLE_DIR}/${SAMPLE_HELP_EXE}")
endif()

# The publisher's own tool packs it: the sample folder holds exactly the package's files.
find_program(ZIP_TOOL zip REQUIRED)
set(package_outputs "${PACKAGE_FILE}")
set(package_key_option)
if(PACKAGE_SIGNING_KEY)
    list(APPEND package_outputs "${PACKAGE_FILE}.sig")
    set(package_key_option --key "${PACKAGE_SIGNING_KEY}")
endif()
add_custom_command(
    OUTPUT ${package_outputs}
    COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/make-package.sh" "${SAMPLE_DIR}" "${PACKAGE_FILE}"
            ${package_key_option}
    DEPENDS ${package_depends} ${package_files} "${CMAKE_SOURCE_DIR}/scripts/make-package.sh"
            ${PACKAGE_SIGNING_KEY}
    COMMENT "Packing the sample product into ${SAMPLE_ARCHIVE_NAME}")
add_custom_target(sample_package ALL DEPENDS ${package_outputs})

# The Windows-side tests start the sample program; the full install needs the package.
if(TARGET win_tests)
    add_dependencies(win_tests sample_package)
endif()

