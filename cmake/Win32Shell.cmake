# The Win32 desktop program (hourgate.exe).
enable_language(RC)
# windres reads the resource script as UTF-8 (the script also says so itself).
set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -c 65001")

# Everything but the entry point, so that tests can link the adapter.
add_library(hourgate_win32 STATIC
    src/app/AboutDlg_win32.cpp
    src/app/Platform_win32.cpp
    src/app/Window_win32.cpp
    src/frame/DialogPlacement_win32.cpp
    src/frame/MainFrame_win32.cpp
    src/frame/PassWordDlg_win32.cpp
    src/notify/ForcedPowerOff_win32.cpp
    src/notify/WarningDlg_win32.cpp
    src/usage/HourgateView_win32.cpp
)
target_link_libraries(hourgate_win32 PUBLIC hourgate_core comctl32 comdlg32 shell32 gdi32 user32
                                            advapi32)
hourgate_apply_flags(hourgate_win32)

# Terminate_win32 is linked as an object of the exe, not from a library: only
# so does it take the place of libstdc++'s handler.
add_executable(hourgate WIN32 src/app/HourgateApp_win32.cpp src/app/Terminate_win32.cpp
                              src/res/hourgate.rc)
target_link_libraries(hourgate PRIVATE hourgate_win32)
hourgate_apply_flags(hourgate)
set_source_files_properties(src/res/hourgate.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_SOURCE_DIR}/src/res/resource.h;${CMAKE_CURRENT_SOURCE_DIR}/src/res/hourgate.ico;${CMAKE_CURRENT_SOURCE_DIR}/src/res/warning.ico;${CMAKE_CURRENT_SOURCE_DIR}/src/res/toolbar.bmp")

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
