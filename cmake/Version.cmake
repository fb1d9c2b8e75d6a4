# Version.h for every target that links `version`: the project version and the
# text the windows show, minor and patch with two digits each.
foreach(part MINOR PATCH)
    set(number ${PROJECT_VERSION_${part}})
    if(number LESS 10)
        set(number "0${number}")
    endif()
    set(tm80_version_${part} ${number})
endforeach()
set(TM80_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${tm80_version_MINOR}.${tm80_version_PATCH}")

configure_file(${CMAKE_CURRENT_LIST_DIR}/Version.h.in ${PROJECT_BINARY_DIR}/version/Version.h @ONLY)
add_library(version INTERFACE)
target_include_directories(version INTERFACE ${PROJECT_BINARY_DIR}/version)
