# Build helpers shared by every folder of the project.

add_library(vm_warnings INTERFACE)
add_library(Vellumora::warnings ALIAS vm_warnings)
target_compile_options(vm_warnings INTERFACE -Wall -Wextra -Wshadow -Wpedantic)
if(VELLUMORA_WERROR)
    target_compile_options(vm_warnings INTERFACE -Werror)
endif()

if(VELLUMORA_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# A fuzzing build instruments every library for coverage, so that the fuzzer sees into the code it drives.
if(VELLUMORA_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

# vellumora_check_layers(<target> <own folder> <sources> <declared links>)
# Fails the configuration when the sources include a project layer the target does not link directly,
# or the target links a project library none of its sources includes.
function(vellumora_check_layers target own sources deps)
    set(included "")
    foreach(source IN LISTS sources)
        file(STRINGS ${CMAKE_CURRENT_SOURCE_DIR}/${source} lines REGEX "^#include \"[a-z]+/")
        foreach(line IN LISTS lines)
            string(REGEX REPLACE "^#include \"([a-z]+)/.*" "\\1" layer "${line}")
            if(NOT layer STREQUAL own)
                list(APPEND included ${layer})
            endif()
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES included)
    set(linked "")
    foreach(dep IN LISTS deps)
        if(dep MATCHES "^vm_(.+)$")
            list(APPEND linked ${CMAKE_MATCH_1})
        endif()
    endforeach()
    foreach(layer IN LISTS included)
        if(NOT layer IN_LIST linked)
            message(FATAL_ERROR "${target}: its sources include ${layer}/ but it does not link vm_${layer}")
        endif()
    endforeach()
    foreach(layer IN LISTS linked)
        if(NOT layer IN_LIST included)
            message(FATAL_ERROR "${target}: it links vm_${layer} but none of its sources includes ${layer}/")
        endif()
    endforeach()
endfunction()

# vellumora_library(<name> SOURCES ... [DEPS ...] [QT ...])
# One static library per subsystem folder; sources are listed explicitly.
#
# A library's users see only its own folder's headers and those of the libraries it links: each folder is
# reached through an include folder of its own that holds nothing else, so an include of a layer that is
# not linked (a logic library reaching up into ui/) does not build. The layers a library's sources
# include must be the ones it declares, and it declares none it does not include.
function(vellumora_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;QT" ${ARGN})
    get_filename_component(folder ${CMAKE_CURRENT_SOURCE_DIR} NAME)
    add_library(${name} STATIC ${ARG_SOURCES})
    add_library(Vellumora::${name} ALIAS ${name})
    set(layer_dir ${PROJECT_BINARY_DIR}/layers/${folder})
    file(MAKE_DIRECTORY ${layer_dir})
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR} ${layer_dir}/${folder} SYMBOLIC)
    target_include_directories(${name} PUBLIC ${layer_dir})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE Vellumora::warnings)
    vellumora_check_layers(${name} ${folder} "${ARG_SOURCES}" "${ARG_DEPS}")
    foreach(component IN LISTS ARG_QT)
        target_link_libraries(${name} PUBLIC Qt6::${component})
    endforeach()
endfunction()

# vellumora_test(<name> SOURCES ... [LIBS ...] [WIDGETS])
# A GoogleTest program run by ctest. Widget tests get a QApplication on the offscreen platform,
# the others a QCoreApplication; every test program gets its own private data folder.
function(vellumora_test name)
    cmake_parse_arguments(ARG "WIDGETS" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    if(ARG_WIDGETS)
        target_link_libraries(${name} PRIVATE vm_testmain_widgets)
    else()
        target_link_libraries(${name} PRIVATE vm_testmain_core)
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} vm_testsupport GTest::gtest GTest::gmock Vellumora::warnings)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 600)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;VELLUMORA_PROGRAM_DIR=${VELLUMORA_PROGRAM_DIR};VELLUMORA_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
endfunction()
