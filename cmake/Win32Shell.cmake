# The Win32 desktop program (hourgate.exe).
enable_language(RC)
# windres reads the resource script as UTF-8 (the script also says so itself).
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# comdlg32 through a delay-load import library: loading it at start also loads
# ole32, combase, rpcrt4, winspool and compstui, which only the open, save and
# print dialogs need.
find_program(HOURGATE_DLLTOOL NAMES ${CMAKE_CXX_COMPILER_TARGET}-dlltool x86_64-w64-mingw32-dlltool
             REQUIRED)
set(comdlg32_delay ${CMAKE_CURRENT_BINARY_DIR}/libcomdlg32_delay.a)
add_custom_command(OUTPUT ${comdlg32_delay}
    COMMAND ${HOURGATE_DLLTOOL} --input-def ${CMAKE_CURRENT_SOURCE_DIR}/src/res/comdlg32.def
            --output-delaylib ${comdlg32_delay}
    DEPENDS src/res/comdlg32.def VERBATIM)
add_custom_target(comdlg32_delay DEPENDS ${comdlg32_delay})
add_library(hourgate_comdlg32 INTERFACE)
add_dependencies(hourgate_comdlg32 comdlg32_delay)
target_link_libraries(hourgate_comdlg32 INTERFACE ${comdlg32_delay} delayimp)

# What the programs use of Windows: the system's queries, the window base,
# dialog placement, the power-off request and the guard's pipe as a client.
add_library(hourgate_os_win32 STATIC
    src/os/DialogPlacement_win32.cpp
    src/os/ForcedPowerOff_win32.cpp
    src/os/GuardPipeClient_win32.cpp
    src/os/System_win32.cpp
    src/os/TextOutput_win32.cpp
    src/os/Window_win32.cpp
)
target_link_libraries(hourgate_os_win32 PUBLIC hourgate_core comctl32 gdi32 user32 advapi32 wtsapi32)
hourgate_apply_flags(hourgate_os_win32)

# The tray program, everything but the entry point, so that tests can link the adapter.
add_library(hourgate_win32 STATIC
    src/tray/AboutDlg_win32.cpp
    src/tray/Console_win32.cpp
    src/tray/GuardClient_win32.cpp
    src/tray/HourgateView_win32.cpp
    src/tray/MainFrame_win32.cpp
    src/tray/PassWordDlg_win32.cpp
    src/tray/Platform_win32.cpp
    src/tray/WarningDlg_win32.cpp
)
target_link_libraries(hourgate_win32 PUBLIC hourgate_os_win32 hourgate_comdlg32 shell32)
hourgate_apply_flags(hourgate_win32)

# Terminate_win32 is linked as an object of the exe, not from a library: only
# so does it take the place of libstdc++'s handler.
add_executable(hourgate WIN32 src/tray/HourgateApp_win32.cpp src/os/Terminate_win32.cpp
                              src/res/hourgate.rc)
target_link_libraries(hourgate PRIVATE hourgate_win32)
hourgate_apply_flags(hourgate)
set_source_files_properties(src/res/hourgate.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/src/res/resource.h;${CMAKE_CURRENT_SOURCE_DIR}/src/res/hourgate.ico;${CMAKE_CURRENT_SOURCE_DIR}/src/res/warning.ico;${CMAKE_CURRENT_SOURCE_DIR}/src/res/toolbar.bmp")
# Every program's version record carries the project's version, from one header
# made here; the guard's and the command's share the rest of the record.
set(HOURGATE_GENERATED_DIR ${CMAKE_CURRENT_BINARY_DIR}/generated)
configure_file(src/res/ReleaseVersion.h.in ${HOURGATE_GENERATED_DIR}/ReleaseVersion.h @ONLY)
set_property(SOURCE src/res/hourgate.rc src/res/hourgated.rc src/res/hourgatectl.rc
             APPEND PROPERTY INCLUDE_DIRECTORIES ${HOURGATE_GENERATED_DIR})
set_property(SOURCE src/res/hourgate.rc src/res/hourgated.rc src/res/hourgatectl.rc
             APPEND PROPERTY OBJECT_DEPENDS ${HOURGATE_GENERATED_DIR}/ReleaseVersion.h)
set_property(SOURCE src/res/hourgated.rc src/res/hourgatectl.rc
             APPEND PROPERTY OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/src/res/VersionInfo.inc)

# The guard service: the core once per user session, as a LocalSystem service.
add_library(hourgate_guard_win32 STATIC
    src/guard/GuardFiles_win32.cpp
    src/guard/GuardPipeServer_win32.cpp
    src/guard/GuardPlatform_win32.cpp
    src/guard/GuardService_win32.cpp
    src/guard/Sessions_win32.cpp
)
target_link_libraries(hourgate_guard_win32 PUBLIC hourgate_os_win32 wtsapi32 advapi32)
hourgate_apply_flags(hourgate_guard_win32)
# The event log's message table, in both exes: the installer registers the
# guard's as the source's message file, and the tray program writes the same IDs.
set(HOURGATE_MESSAGES_DIR ${CMAKE_CURRENT_BINARY_DIR}/messages)
add_custom_command(OUTPUT ${HOURGATE_MESSAGES_DIR}/messages.rc ${HOURGATE_MESSAGES_DIR}/MSG00409.bin
    COMMAND ${CMAKE_COMMAND} -E make_directory ${HOURGATE_MESSAGES_DIR}
    COMMAND x86_64-w64-mingw32-windmc -h ${HOURGATE_MESSAGES_DIR} -r ${HOURGATE_MESSAGES_DIR}
            ${CMAKE_CURRENT_SOURCE_DIR}/src/res/messages.mc
    DEPENDS src/res/messages.mc VERBATIM)
set_source_files_properties(${HOURGATE_MESSAGES_DIR}/messages.rc PROPERTIES
    GENERATED TRUE OBJECT_DEPENDS ${HOURGATE_MESSAGES_DIR}/MSG00409.bin)
target_sources(hourgate PRIVATE ${HOURGATE_MESSAGES_DIR}/messages.rc)
add_executable(hourgated src/guard/GuardApp_win32.cpp src/os/Terminate_win32.cpp
                         ${HOURGATE_MESSAGES_DIR}/messages.rc src/res/hourgated.rc)
target_link_libraries(hourgated PRIVATE hourgate_guard_win32)
hourgate_apply_flags(hourgated)

# The administrators' command, a console program that asks the guard over its pipe.
add_executable(hourgatectl src/ctl/CtlApp_win32.cpp src/os/Terminate_win32.cpp
                           src/res/hourgatectl.rc)
target_link_libraries(hourgatectl PRIVATE hourgate_ctl hourgate_os_win32)
hourgate_apply_flags(hourgatectl)

# The administrator's package: the exe and a sample exemption list, side by side
# as they are installed (cmake --install, or cpack for a zip).
install(TARGETS hourgate RUNTIME DESTINATION .)
install(FILES docs/Hourgate.ini DESTINATION .)
set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME hourgate)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_FILE_NAME hourgate-${PROJECT_VERSION}-win64)
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_STRIP_FILES TRUE)
include(CPack)
include(cmake/WindowsInstaller.cmake)
