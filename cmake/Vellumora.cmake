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

# vellumora_library(<name> SOURCES ... [DEPS ...] [QT ...])
# One static library per subsystem folder; sources are listed explicitly.
function(vellumora_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;QT" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    add_library(Vellumora::${name} ALIAS ${name})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE Vellumora::warnings)
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
