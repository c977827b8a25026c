# The include rules of the tree (ARCHITECTURE.md), checked when the build is configured.
# TESSARAN_LAYERS lists the product's folders bottom-up; TESSARAN_PLUGIN_DIRS the plug-in's.

# The folders FOLDER may include: itself and, by the order rule, every folder before it;
# the host no plug-in folder; the probe only itself.
function(tessaran_allowed_includes folder out)
    if(folder STREQUAL "probe")
        set(${out} probe PARENT_SCOPE)
        return()
    endif()
    list(FIND TESSARAN_LAYERS ${folder} position)
    list(SUBLIST TESSARAN_LAYERS 0 ${position} allowed)
    list(APPEND allowed ${folder})
    if(folder STREQUAL "host")
        list(REMOVE_ITEM allowed ${TESSARAN_PLUGIN_DIRS})
    endif()
    set(${out} ${allowed} PARENT_SCOPE)
endfunction()

# Fails the configure step on the first include that breaks a rule.
function(tessaran_check_folder_rules)
    foreach(folder ${TESSARAN_LAYERS})
        tessaran_allowed_includes(${folder} allowed)
        file(GLOB_RECURSE sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${folder}/*.h
             ${CMAKE_SOURCE_DIR}/${folder}/*.cpp)
        foreach(source ${sources})
            file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
            foreach(line ${includes})
                if(line MATCHES "[<\"](Q|qt)" AND NOT folder MATCHES "^(platform|host)$")
                    message(FATAL_ERROR "${source}: ${line}: only platform/ and host/ may include Qt")
                endif()
                if(line MATCHES "\"([a-z_]+)/" AND CMAKE_MATCH_1 IN_LIST TESSARAN_LAYERS
                   AND NOT CMAKE_MATCH_1 IN_LIST allowed)
                    message(FATAL_ERROR "${source}: ${line}: ${folder}/ may include only ${allowed}")
                endif()
            endforeach()
        endforeach()
    endforeach()
    tessaran_check_platform_layers()
endfunction()

# Inside platform/: the window system (core/, gdi/) and the Qt glue (toolkit/) lie beneath the
# class framework (framework/) and include nothing from it (docs/platform.md).
function(tessaran_check_platform_layers)
    foreach(part core gdi toolkit)
        file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/${part}/*.h
             ${CMAKE_SOURCE_DIR}/platform/${part}/*.cpp)
        foreach(source ${sources})
            file(STRINGS ${source} includes
                 REGEX "^[ \t]*#[ \t]*include[ \t]*\"platform/framework/")
            foreach(line ${includes})
                message(FATAL_ERROR
                        "${source}: ${line}: platform/${part}/ may not include platform/framework/")
            endforeach()
        endforeach()
    endforeach()
endfunction()
