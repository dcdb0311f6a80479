# End-to-end scenarios of the profile the build was made with: every
# tests/e2e/*_test.sh for Velmora, every tests/e2e/<profile>/*_test.sh for
# another profile (their texts, files and variants differ).
if(SETUP_PROFILE STREQUAL "velmora")
    set(scenario_dir "${CMAKE_SOURCE_DIR}/tests/e2e")
    set(name_prefix "")
else()
    set(scenario_dir "${CMAKE_SOURCE_DIR}/tests/e2e/${SETUP_PROFILE}")
    set(name_prefix "${SETUP_PROFILE}.")
endif()
file(GLOB E2E_SCRIPTS CONFIGURE_DEPENDS "${scenario_dir}/*_test.sh")
foreach(script ${E2E_SCRIPTS})
    get_filename_component(name "${script}" NAME_WE)
    string(REGEX REPLACE "_test$" "" name "${name}")
    add_e2e_test("${name_prefix}${name}" "${script}")
endforeach()
