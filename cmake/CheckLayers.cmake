# The layer line, checked when the build is configured: the core library links nothing but QtCore
# (no Gui, no Widgets, no libcurl) and is made of the core folders' sources only, and the GUI
# library of the ui folder's. A folder that fed both, or a core target that linked a widget
# library, fails the configuration here instead of blurring the layers.
function(lomarind_check_layers)
    cmake_parse_arguments(ARG "" "CORE_TARGET;GUI_TARGET" "CORE_FOLDERS;GUI_FOLDERS" ${ARGN})
    set(allowed lomarind_options Qt6::Core)
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
        get_target_property(links ${ARG_CORE_TARGET} ${property})
        foreach(link IN LISTS links)
            if(NOT link IN_LIST allowed)
                message(FATAL_ERROR
                    "${ARG_CORE_TARGET} links ${link}: the core links only ${allowed}")
            endif()
        endforeach()
    endforeach()

    foreach(side CORE GUI)
        get_target_property(sources ${ARG_${side}_TARGET} SOURCES)
        foreach(source IN LISTS sources)
            cmake_path(RELATIVE_PATH source BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}
                       OUTPUT_VARIABLE relative)
            string(REGEX REPLACE "/.*" "" folder "${relative}")
            if(NOT folder IN_LIST ARG_${side}_FOLDERS)
                message(FATAL_ERROR "${ARG_${side}_TARGET} has ${relative}, which is not in one "
                                    "of its folders (${ARG_${side}_FOLDERS})")
            endif()
        endforeach()
    endforeach()
endfunction()
