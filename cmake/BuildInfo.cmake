# The build identifier shown in the about box: the source revision at configure time.
set(KESTROVA_BUILD_ID "0000000000000000000000000000000000000000")
find_package(Git QUIET)
if(GIT_FOUND AND EXISTS ${CMAKE_SOURCE_DIR}/.git)
    execute_process(COMMAND ${GIT_EXECUTABLE} rev-parse HEAD
                    WORKING_DIRECTORY ${CMAKE_SOURCE_DIR}
                    OUTPUT_VARIABLE _rev OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE _rc ERROR_QUIET)
    if(_rc EQUAL 0 AND _rev MATCHES "^[0-9a-f]+$")
        string(LENGTH "${_rev}" _len)
        if(_len EQUAL 40)
            set(KESTROVA_BUILD_ID "${_rev}")
        endif()
    endif()
endif()
configure_file(${CMAKE_SOURCE_DIR}/cmake/buildinfo.h.in ${CMAKE_BINARY_DIR}/generated/buildinfo.h @ONLY)
