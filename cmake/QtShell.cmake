# The Qt 6 desktop program (hourgate), its installation and the .deb package.
find_package(Qt6 REQUIRED COMPONENTS Widgets DBus PrintSupport)

# The print command's module, loaded at the first Ctrl+P (see FilePrint_qt.h);
# it sits beside the program, in the build tree as when installed.
add_library(hourgate_print MODULE src/tray/FilePrint_qt.cpp)
set_target_properties(hourgate_print PROPERTIES PREFIX "" OUTPUT_NAME hourgate-print
                                                LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_include_directories(hourgate_print PRIVATE src)
target_link_libraries(hourgate_print PRIVATE Qt6::Widgets Qt6::PrintSupport)
# It calls into Qt only, so --as-needed would drop libc; a shared object that
# does not name the libc it was built against can bind to the wrong versions.
target_link_options(hourgate_print PRIVATE LINKER:--push-state,--no-as-needed,-lc,--pop-state)
hourgate_apply_flags(hourgate_print)

# Everything but the entry point, so that tests can link the adapter.
add_library(hourgate_qt STATIC
    src/os/ForcedPowerOff_qt.cpp
    src/tray/AboutDlg_qt.cpp
    src/tray/GuardClient_qt.cpp
    src/tray/HourgateView_qt.cpp
    src/tray/MainFrame_qt.cpp
    src/tray/PassWordDlg_qt.cpp
    src/tray/Platform_qt.cpp
    src/tray/WarningDlg_qt.cpp
)
set_target_properties(hourgate_qt PROPERTIES AUTOMOC ON)
target_link_libraries(hourgate_qt PUBLIC hourgate_core Qt6::Widgets Qt6::DBus)
# Built with the program, so that Ctrl+P finds it.
add_dependencies(hourgate_qt hourgate_print)
hourgate_apply_flags(hourgate_qt)

add_executable(hourgate src/tray/HourgateApp_qt.cpp src/res/hourgate.qrc)
set_target_properties(hourgate PROPERTIES AUTORCC ON)
target_link_libraries(hourgate PRIVATE hourgate_qt)
hourgate_apply_flags(hourgate)

# The guard service: the core once per user, on the system bus (QtCore and
# QtDBus only: no display, no widgets).
add_executable(hourgated
    src/guard/GuardApp_qt.cpp
    src/guard/GuardPlatform_qt.cpp
    src/guard/GuardService_qt.cpp
    src/guard/Sessions_qt.cpp
)
set_target_properties(hourgated PROPERTIES AUTOMOC ON)
target_link_libraries(hourgated PRIVATE hourgate_core Qt6::DBus)
# Root's process: its relocations resolved at start and then read-only.
target_link_options(hourgated PRIVATE LINKER:-z,now)
hourgate_apply_flags(hourgated)

# The administrators' command (QtCore and QtDBus only).
add_executable(hourgatectl src/ctl/CtlApp_qt.cpp)
target_link_libraries(hourgatectl PRIVATE hourgate_ctl Qt6::DBus)
hourgate_apply_flags(hourgatectl)

# The package's layout: the programs under /usr (the tray program in bin, the
# guard and hourgatectl in sbin, the print module in lib/hourgate), the
# administrator's files in /etc/hourgate and the records in /var/lib/hourgate,
# where the programs look when they run from there (HOURGATE_PACKAGED_*). A
# program built and run anywhere else keeps its files beside itself.
set(HOURGATE_SYSTEMD_UNITDIR /lib/systemd/system CACHE PATH "Where systemd finds the guard's unit")
install(TARGETS hourgate RUNTIME DESTINATION bin)
install(TARGETS hourgated hourgatectl RUNTIME DESTINATION sbin)
install(TARGETS hourgate_print LIBRARY DESTINATION lib/hourgate)
install(FILES src/res/hourgate-32.png DESTINATION share/icons/hicolor/32x32/apps RENAME hourgate.png)
install(FILES packaging/hourgate.desktop DESTINATION /etc/xdg/autostart)
install(FILES packaging/hourgated.service DESTINATION ${HOURGATE_SYSTEMD_UNITDIR})
install(FILES packaging/org.hourgate.Guard1.conf DESTINATION share/dbus-1/system.d)
install(FILES packaging/org.hourgate.Guard1.policy DESTINATION share/polkit-1/actions)

# The manual pages, from scdoc sources, compressed as Debian wants them.
set(HOURGATE_MAN_PAGES hourgate.1 hourgated.8 hourgatectl.8)
foreach(page IN LISTS HOURGATE_MAN_PAGES)
    string(REGEX REPLACE ".*\\." "" section ${page})
    add_custom_command(OUTPUT man/${page}.gz
        COMMAND ${CMAKE_COMMAND} -E make_directory man
        COMMAND sh -c "scdoc < ${CMAKE_CURRENT_SOURCE_DIR}/docs/man/${page}.scd | gzip -9n > man/${page}.gz"
        DEPENDS docs/man/${page}.scd VERBATIM)
    list(APPEND HOURGATE_MAN_OUTPUTS ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/man/${page}.gz DESTINATION share/man/man${section})
endforeach()
add_custom_target(hourgate_man ALL DEPENDS ${HOURGATE_MAN_OUTPUTS})

# What only the package carries: Debian's copyright and changelog files, the
# administrator's notes (the unit's documentation) with their pictures, and an
# example limits file.
# The changelog's first entry is the package's version.
file(STRINGS packaging/changelog changelog_head LIMIT_COUNT 1)
if(NOT changelog_head MATCHES "^hourgate \\(${PROJECT_VERSION}\\) ")
    message(FATAL_ERROR "packaging/changelog: the first entry is not version ${PROJECT_VERSION}")
endif()
add_custom_command(OUTPUT changelog.gz
                   COMMAND gzip -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/packaging/changelog > changelog.gz
                   DEPENDS packaging/changelog)
add_custom_target(hourgate_changelog ALL DEPENDS changelog.gz)
install(FILES packaging/copyright ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz docs/linux.md
              docs/linux-window.png docs/linux-tray-menu.png docs/linux-notice.png
              docs/linux-password.png
        DESTINATION share/doc/hourgate COMPONENT deb EXCLUDE_FROM_ALL)
install(FILES docs/limits.conf DESTINATION share/doc/hourgate/examples COMPONENT deb EXCLUDE_FROM_ALL)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hourgate)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Hourgate")
set(CPACK_PACKAGE_CONTACT "Hourgate maintainers <hourgate@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "limits daily PC use: quota, allowed hours, power-off")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION [[
Hourgate counts how many minutes each user spends on a shared PC a day and
powers the machine off when the day's quota is used up or, for users not on
the administrator's list, outside the allowed hours. It warns with short
notices in Japanese before that.
.
A system service (hourgated) keeps the count for every local user, in
records users can neither read nor write; each user's tray program shows the
figures. Without the service the tray program counts and enforces on its own.]])
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# The installation above plus the package-only files, in one package.
set(CPACK_COMPONENTS_ALL Unspecified deb)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The guard needs the system bus; the X11 platform plugin is a package of its
# own, without which the tray program cannot start; notices need a Japanese font.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "dbus, qt6-qpa-plugins, fonts-ipafont-gothic | fonts-noto-cjk")
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/conffiles ${CMAKE_CURRENT_SOURCE_DIR}/packaging/postinst
    ${CMAKE_CURRENT_SOURCE_DIR}/packaging/prerm ${CMAKE_CURRENT_SOURCE_DIR}/packaging/postrm)
include(CPack)
