# Helpers shared by every part of the build: type libraries, COM servers
# registered in the project's Wine prefix, and tests that run in its session.

set(WIDL_INCLUDE_DIR /usr/include/wine/wine/windows CACHE PATH "IDL files of the platform (libwine-dev)")
if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(WIDL_TARGET --win64 -DAMBRELLE_WIN64)
    set(WIDL_STDOLE_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Folder of stdole2.tlb")
    set(AMBRELLE_WINE_ARCH win64)
else()
    set(WIDL_TARGET --win32)
    # The 32-bit Wine's stdole2.tlb; where only the 64-bit Wine is installed,
    # its own copy describes the same OLE Automation types, and the type
    # libraries widl writes with it are the same, byte for byte.
    if(EXISTS /usr/lib/i386-linux-gnu/wine/i386-windows/stdole2.tlb)
        set(WIDL_STDOLE_DIR /usr/lib/i386-linux-gnu/wine/i386-windows CACHE PATH "Folder of stdole2.tlb")
    else()
        set(WIDL_STDOLE_DIR /usr/lib/x86_64-linux-gnu/wine/x86_64-windows CACHE PATH "Folder of stdole2.tlb")
    endif()
    set(AMBRELLE_WINE_ARCH win32)
endif()
# The Wine prefix of this build tree matches the build's target (tools/wine-env.sh).
file(WRITE ${CMAKE_BINARY_DIR}/wine-arch "${AMBRELLE_WINE_ARCH}\n")

# ambrelle_idl(<idl> TLB <var> HEADER <var> [IID <var>] [OUTPUT_DIR <dir>] [DEFINES <name...>])
# Compiles an IDL file with widl into a type library, a C/C++ header and,
# with IID, a source file defining the GUIDs, all in the current binary dir
# (or OUTPUT_DIR), with the preprocessor names DEFINES defined.
function(ambrelle_idl idl)
    cmake_parse_arguments(ARG "" "TLB;HEADER;IID;OUTPUT_DIR" "DEFINES" ${ARGN})
    get_filename_component(name ${idl} NAME_WE)
    get_filename_component(idl_path ${idl} ABSOLUTE)
    set(out_dir ${CMAKE_CURRENT_BINARY_DIR})
    if(ARG_OUTPUT_DIR)
        set(out_dir ${ARG_OUTPUT_DIR})
        file(MAKE_DIRECTORY ${out_dir})
    endif()
    set(widl ${WIDL_EXECUTABLE} ${WIDL_TARGET})
    foreach(define IN LISTS ARG_DEFINES)
        list(APPEND widl -D${define})
    endforeach()
    set(outputs)
    set(commands)
    if(ARG_TLB)
        list(APPEND outputs ${out_dir}/${name}.tlb)
        list(APPEND commands COMMAND ${widl} -t -I${WIDL_INCLUDE_DIR} -L${WIDL_STDOLE_DIR}
             -o ${out_dir}/${name}.tlb ${idl_path})
        set(${ARG_TLB} ${out_dir}/${name}.tlb PARENT_SCOPE)
    endif()
    if(ARG_HEADER)
        list(APPEND outputs ${out_dir}/${name}.h)
        list(APPEND commands COMMAND ${widl} -h -I${WIDL_INCLUDE_DIR} -o ${out_dir}/${name}.h ${idl_path})
        set(${ARG_HEADER} ${out_dir}/${name}.h PARENT_SCOPE)
    endif()
    if(ARG_IID)
        list(APPEND outputs ${out_dir}/${name}_i.c)
        list(APPEND commands COMMAND ${widl} -u -I${WIDL_INCLUDE_DIR} -o ${out_dir}/${name}_i.c ${idl_path})
        set(${ARG_IID} ${out_dir}/${name}_i.c PARENT_SCOPE)
    endif()
    add_custom_command(OUTPUT ${outputs} ${commands} DEPENDS ${idl_path} VERBATIM
                       COMMENT "widl ${name}.idl")
endfunction()

# ambrelle_com_server(<target> [UNLISTED]): the DLL exports the entry points
# of an in-process server (common/server_exports.cpp), serving the
# kThisServer it defines, gives back its C++ runtime's buffers when unloaded
# (common/runtime_buffers.cpp), and is registered with regsvr32 when the Wine
# session of the tests or the demo starts (UNLISTED: only by the tests that
# use it).
function(ambrelle_com_server target)
    cmake_parse_arguments(ARG "UNLISTED" "" "" ${ARGN})
    target_sources(${target} PRIVATE ${CMAKE_SOURCE_DIR}/common/server_exports.cpp
                                     ${CMAKE_SOURCE_DIR}/common/runtime_buffers.cpp)
    if(NOT ARG_UNLISTED)
        set_property(GLOBAL APPEND PROPERTY AMBRELLE_COM_SERVERS "$<TARGET_FILE:${target}>")
        set_property(GLOBAL APPEND PROPERTY AMBRELLE_COM_SERVER_TARGETS ${target})
    endif()
endfunction()

# ambrelle_standin_server(<name> SOURCES <src...> RC <script> RC_DEPENDS <file...>
#                         [RC_INCLUDES <dir...>] [LIBS <lib...>])
# A stand-in's COM server, <name>.dll: its sources and module definition, the
# resource script that embeds its type library (RC_DEPENDS: what the script
# embeds, built first; RC_INCLUDES: where it finds them), and the entry points
# every server exports.
function(ambrelle_standin_server name)
    cmake_parse_arguments(ARG "" "RC" "SOURCES;RC_DEPENDS;RC_INCLUDES;LIBS" ${ARGN})
    add_library(${name} SHARED ${ARG_SOURCES} ${ARG_RC})
    set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
    set_source_files_properties(${ARG_RC} PROPERTIES OBJECT_DEPENDS "${ARG_RC_DEPENDS}")
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    foreach(dir IN LISTS ARG_RC_INCLUDES)
        target_compile_options(${name} PRIVATE $<$<COMPILE_LANGUAGE:RC>:-I${dir}>)
    endforeach()
    ambrelle_com_server(${name})
endfunction()

# ambrelle_add_test(NAME <name> COMMAND <cmd...> [WORKING_DIRECTORY <dir>])
# A test that runs inside the Wine session (display, prefix, registered servers).
function(ambrelle_add_test)
    cmake_parse_arguments(ARG "" "NAME;WORKING_DIRECTORY;TIMEOUT" "COMMAND" ${ARGN})
    if(NOT ARG_WORKING_DIRECTORY)
        set(ARG_WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    add_test(NAME ${ARG_NAME} COMMAND ${ARG_COMMAND} WORKING_DIRECTORY ${ARG_WORKING_DIRECTORY})
    set_tests_properties(${ARG_NAME} PROPERTIES FIXTURES_REQUIRED wine_session TIMEOUT ${ARG_TIMEOUT})
endfunction()

# ambrelle_add_gtest(<name> SOURCES <src...> [LIBS <lib...>])
# A GoogleTest program for Windows, run under Wine as one CTest test. A test
# during which the process saw a hardware exception fails (tests/support).
function(ambrelle_add_gtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE gtest gtest_main hardware_fault_listener ambrelle_common ${ARG_LIBS})
    ambrelle_add_test(NAME ${name} COMMAND ${name} --gtest_color=no)
endfunction()

# ambrelle_add_comma168_test(<name> <target> [<arg>...])
# Runs the GoogleTest program <target> once more in the second configuration
# (tools/wine-env.sh): a decimal-comma locale and 168 DPI, in its own prefix.
# AMBRELLE_EXPECT_DPI and AMBRELLE_EXPECT_DECIMAL tell the program which
# configuration it must find itself in.
function(ambrelle_add_comma168_test name target)
    add_test(NAME ${name} COMMAND ${target} --gtest_color=no ${ARGN} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session_comma168 TIMEOUT 300
        ENVIRONMENT "AMBRELLE_WINE_CONFIG=comma168;AMBRELLE_EXPECT_DPI=168;AMBRELLE_EXPECT_DECIMAL=,")
endfunction()

# ambrelle_add_vbs_test(<name> <script>): a VBScript client run by cscript
# after the checks every client shares (tests/support/checks.vbs).
# The script reports with WScript.Quit: 0 is success.
function(ambrelle_add_vbs_test name script)
    get_filename_component(script_path ${script} ABSOLUTE)
    ambrelle_add_test(NAME ${name}
        COMMAND ${CMAKE_SOURCE_DIR}/tests/support/run_script_client.sh ${CMAKE_SOURCE_DIR} ${CMAKE_BINARY_DIR}
                ${script_path})
endfunction()

# Writes the list of COM servers and adds the session's setup and cleanup.
function(ambrelle_finish_session)
    get_property(servers GLOBAL PROPERTY AMBRELLE_COM_SERVERS)
    list(JOIN servers "\n" content)
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/com-servers.txt CONTENT "${content}\n")
    add_test(NAME wine_session_start
             COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session.sh start ${CMAKE_BINARY_DIR})
    add_test(NAME wine_session_stop
             COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session.sh stop ${CMAKE_BINARY_DIR})
    set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session TIMEOUT 300)
    set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)
    # The second configuration's session, for the tests that run in it too.
    add_test(NAME wine_session_comma168_start
             COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session.sh start ${CMAKE_BINARY_DIR})
    add_test(NAME wine_session_comma168_stop
             COMMAND ${CMAKE_SOURCE_DIR}/tools/wine-session.sh stop ${CMAKE_BINARY_DIR})
    set_tests_properties(wine_session_comma168_start PROPERTIES FIXTURES_SETUP wine_session_comma168 TIMEOUT 300
                         ENVIRONMENT AMBRELLE_WINE_CONFIG=comma168)
    set_tests_properties(wine_session_comma168_stop PROPERTIES FIXTURES_CLEANUP wine_session_comma168
                         ENVIRONMENT AMBRELLE_WINE_CONFIG=comma168)
endfunction()
