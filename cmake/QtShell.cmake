# The Qt 6 desktop program (hourgate), its installation and the .deb package.
find_package(Qt6 REQUIRED COMPONENTS Widgets DBus PrintSupport)

# The print command's module, loaded at the first Ctrl+P (see FilePrint_qt.h);
# it sits beside the program, in the build tree as when installed.
add_library(hourgate_print MODULE src/frame/FilePrint_qt.cpp)
set_target_properties(hourgate_print PROPERTIES PREFIX "" OUTPUT_NAME hourgate-print
                                                LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(hourgate_print PRIVATE src)
target_link_libraries(hourgate_print PRIVATE Qt6::Widgets Qt6::PrintSupport)
hourgate_apply_flags(hourgate_print)

# Everything but the entry point, so that tests can link the adapter.
add_library(hourgate_qt STATIC
    src/app/AboutDlg_qt.cpp
    src/app/Platform_qt.cpp
    src/frame/MainFrame_qt.cpp
    src/frame/PassWordDlg_qt.cpp
    src/guard/GuardClient_qt.cpp
    src/notify/ForcedPowerOff_qt.cpp
    src/notify/WarningDlg_qt.cpp
    src/usage/HourgateView_qt.cpp
)
set_target_properties(hourgate_qt PROPERTIES AUTOMOC ON)
target_link_libraries(hourgate_qt PUBLIC hourgate_core Qt6::Widgets Qt6::DBus)
# Built with the program, so that Ctrl+P finds it.
add_dependencies(hourgate_qt hourgate_print)
hourgate_apply_flags(hourgate_qt)

add_executable(hourgate src/app/HourgateApp_qt.cpp src/res/hourgate.qrc)
set_target_properties(hourgate PROPERTIES AUTORCC ON)
target_link_libraries(hourgate PRIVATE hourgate_qt)
hourgate_apply_flags(hourgate)

# The guard service: the core once per user, on the system bus (QtCore and
# QtDBus only: no display, no widgets).
add_executable(hourgated
    src/guard/GuardApp_qt.cpp
    src/guard/GuardPlatform_qt.cpp
    src/guard/GuardService_qt.cpp
    src/guard/LogindSessions_qt.cpp
)
set_target_properties(hourgated PROPERTIES AUTOMOC ON)
target_link_libraries(hourgated PRIVATE hourgate_core Qt6::DBus)
hourgate_apply_flags(hourgated)

# Self-contained: the data files live beside the executable, so the program
# sits at the top of its own directory (cmake --install ... --prefix /opt/hourgate).
install(TARGETS hourgate hourgated RUNTIME DESTINATION .)
install(TARGETS hourgate_print LIBRARY DESTINATION .)
install(FILES src/res/hourgate-32.png DESTINATION . RENAME hourgate.png)
install(FILES packaging/hourgate.desktop DESTINATION ${CMAKE_INSTALL_SYSCONFDIR}/xdg/autostart)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hourgate)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Hourgate")
set(CPACK_PACKAGE_CONTACT "Hourgate administrators <root@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Limits daily PC use: quota, allowed hours, power-off")
set(CPACK_PACKAGING_INSTALL_PREFIX /opt/hourgate)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The X11 platform plugin is a package of its own; without it Qt cannot start.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA "${CMAKE_CURRENT_SOURCE_DIR}/packaging/postinst")
include(CPack)
