# Unity builds (CMAKE_UNITY_BUILD=ON, used by CI and the sanitizer and fuzz builds) compile the
# libraries as a few large translation units. Each unit holds at most eight files of one folder,
# so file-local names need only differ within a folder (the layers keep a folder to one feature)
# and a file added elsewhere never regroups them.
set(VORN_UNITY_FILES_PER_GROUP 8)
# Files that compile as a unit of their own: their file-local names repeat those of another
# file of their folder (the speed-test and stats commands both keep a kUsage and an Options).
set(VORN_UNITY_OWN_UNIT src/cli/SpeedtestCommand.cpp)

# vorn_unity_groups(TARGET): TARGET's sources grouped by folder, eight at most per unit.
function(vorn_unity_groups target)
    get_target_property(sources ${target} SOURCES)
    get_target_property(target_dir ${target} SOURCE_DIR)
    foreach(source IN LISTS sources)
        if(NOT source MATCHES "\\.cpp$")
            continue()
        endif()
        cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY ${target_dir} OUTPUT_VARIABLE path)
        cmake_path(RELATIVE_PATH path BASE_DIRECTORY ${PROJECT_SOURCE_DIR} OUTPUT_VARIABLE file)
        if(file IN_LIST VORN_UNITY_OWN_UNIT)
            string(MAKE_C_IDENTIFIER "${file}" key)
            set_property(SOURCE ${source} TARGET_DIRECTORY ${target} PROPERTY UNITY_GROUP "${key}")
            continue()
        endif()
        cmake_path(GET path PARENT_PATH folder)
        cmake_path(RELATIVE_PATH folder BASE_DIRECTORY ${PROJECT_SOURCE_DIR})
        string(MAKE_C_IDENTIFIER "${folder}" key)
        if(NOT DEFINED count_${key})
            set(count_${key} 0)
        endif()
        math(EXPR chunk "${count_${key}} / ${VORN_UNITY_FILES_PER_GROUP}")
        math(EXPR count_${key} "${count_${key}} + 1")
        set_property(SOURCE ${source} TARGET_DIRECTORY ${target}
            PROPERTY UNITY_GROUP "${key}_${chunk}")
    endforeach()
    set_target_properties(${target} PROPERTIES UNITY_BUILD_MODE GROUP)
endfunction()
