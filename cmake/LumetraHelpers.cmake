# Compiler warnings and definitions every target of the project builds with; each target links it
# (lumetra_add_library and the test and bench helpers do that) instead of the whole tree getting them.
add_library(lumetra_settings INTERFACE)
target_compile_options(lumetra_settings INTERFACE -Wall -Wextra -Wshadow -Woverloaded-virtual)
# The diagnostic log names the function of every record, in release builds too.
target_compile_definitions(lumetra_settings INTERFACE QT_DEPRECATED_WARNINGS QT_NO_FOREACH QT_MESSAGELOGCONTEXT)

# lumetra_use_settings(<target>)
# The project's warnings and definitions for a target made without the helpers below.
function(lumetra_use_settings target)
    target_link_libraries(${target} PRIVATE lumetra_settings)
endfunction()

# lumetra_add_library(<name> STATIC|SHARED|OBJECT SOURCES <files...> [PUBLIC <targets...>] [PRIVATE <targets...>])
# A library whose headers are reached from the project root ("device/LumetraController.h").
function(lumetra_add_library name kind)
    cmake_parse_arguments(L "" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
    add_library(${name} ${kind} ${L_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_PUBLIC} PRIVATE ${L_PRIVATE})
    lumetra_use_settings(${name})
endfunction()

# lumetra_add_executable(<name> SOURCES <files...> LIBS <targets...>)
function(lumetra_add_executable name)
    cmake_parse_arguments(E "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${E_SOURCES})
    target_link_libraries(${name} PRIVATE ${E_LIBS})
    lumetra_use_settings(${name})
endfunction()

# lumetra_add_test(<name> SOURCES <files...> LIBS <targets...> LABEL unit|integration|end-to-end
#                  [TIMEOUT <s>] [ENV <VAR=value>...])
# One QtTest executable per call, registered with CTest and run headless. The label says what the test
# needs: unit tests exercise classes in the process; integration tests add real pseudo-terminals,
# files, threads or windows; end-to-end tests run the simulated laser or the program itself.
# `ctest -L unit` runs only the fast ones.
function(lumetra_add_test name)
    cmake_parse_arguments(T "" "TIMEOUT;LABEL" "SOURCES;LIBS;ENV" ${ARGN})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    if(NOT T_LABEL MATCHES "^(unit|integration|end-to-end)$")
        message(FATAL_ERROR "lumetra_add_test(${name}): LABEL must be unit, integration or end-to-end")
    endif()
    find_package(Qt5 5.15 REQUIRED COMPONENTS Test)
    lumetra_add_executable(${name} SOURCES ${T_SOURCES} LIBS Qt5::Test ${T_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        LABELS ${T_LABEL}
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;QT_LOGGING_RULES=*.debug=false;${T_ENV}")
endfunction()

# lumetra_add_bench(<name> SOURCES <files...> LIBS <targets...>)
# Benchmarks are built with the project but never run by CTest: timings belong to a quiet machine.
function(lumetra_add_bench name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    lumetra_add_executable(${name} SOURCES ${B_SOURCES} LIBS ${B_LIBS})
endfunction()

# Adds every direct subfolder of the current folder that has a CMakeLists.txt: a new test or bench
# folder takes part without being named anywhere else.
function(lumetra_add_subfolders)
    file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(IS_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/${child} AND EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()

# lumetra_check_sources_listed()
# Called at the end of a folder's CMakeLists.txt. Source lists are written out by hand, so a file
# added to the folder but to no list would otherwise surface as a link error far away, or not at all;
# here it stops the configuration with the file's name.
function(lumetra_check_sources_listed)
    file(GLOB present RELATIVE ${CMAKE_CURRENT_SOURCE_DIR}
        ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
        ${CMAKE_CURRENT_SOURCE_DIR}/*.ui ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
    get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
    set(listed "")
    foreach(target ${targets})
        get_target_property(sources ${target} SOURCES)
        if(NOT sources)
            continue()
        endif()
        foreach(source ${sources})
            get_filename_component(path ${source} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
            list(APPEND listed ${path})
        endforeach()
    endforeach()
    set(missing "")
    foreach(file ${present})
        if(NOT ${CMAKE_CURRENT_SOURCE_DIR}/${file} IN_LIST listed)
            list(APPEND missing ${file})
        endif()
    endforeach()
    if(missing)
        string(REPLACE ";" ", " missing "${missing}")
        file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
        message(FATAL_ERROR "${folder}: ${missing} belong(s) to no target; add it to a source list in "
                            "${folder}/CMakeLists.txt")
    endif()
endfunction()

# lumetra_add_fuzz_target(<name> SOURCES <files...>)
# A libFuzzer target, built only with LUMETRA_BUILD_FUZZ and clang. The code under test is compiled into
# the executable (not linked from its library) so that the fuzzer's coverage reaches it.
function(lumetra_add_fuzz_target name)
    cmake_parse_arguments(F "" "" "SOURCES" ${ARGN})
    if(NOT LUMETRA_BUILD_FUZZ)
        return()
    endif()
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(STATUS "${name} skipped: it needs clang (configure with CXX=clang++)")
        return()
    endif()
    set(flags -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
    add_executable(${name} ${F_SOURCES})
    target_compile_options(${name} PRIVATE ${flags})
    target_link_options(${name} PRIVATE ${flags})
    target_link_libraries(${name} PRIVATE Qt5::Core)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
    lumetra_use_settings(${name})
endfunction()
