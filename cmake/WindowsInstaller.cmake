# The administrator's installer for guarded mode: hourgate-<version>-x64.msi,
# built with wixl (msitools) from packaging/windows/hourgate.wxs whenever wixl is
# installed; tests (label package) read its tables back and try it under Wine.
find_program(HOURGATE_WIXL wixl)
find_program(HOURGATE_MSIBUILD msibuild)
if(NOT HOURGATE_WIXL OR NOT HOURGATE_MSIBUILD)
    message(STATUS "wixl or msibuild not found: no Windows installer (scripts/install-deps.sh)")
    return()
endif()

# Never to change: Windows Installer knows earlier versions of the product by it.
set(HOURGATE_UPGRADE_CODE "{B4B1073F-39CE-4542-82CD-42BE35477501}")
# Windows Installer compares three parts; the fourth is ignored for upgrades.
set(msi_version ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH})
set(msi ${CMAKE_BINARY_DIR}/hourgate-${PROJECT_VERSION}-x64.msi)
set(stage ${CMAKE_CURRENT_BINARY_DIR}/msi-stage)

# The package carries stripped copies; the build tree keeps the symbols.
add_custom_command(
    OUTPUT ${stage}/hourgate.exe ${stage}/hourgated.exe ${stage}/hourgatectl.exe ${stage}/Hourgate.ini
           ${stage}/LICENSE
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}
    COMMAND ${CMAKE_STRIP} -o ${stage}/hourgate.exe $<TARGET_FILE:hourgate>
    COMMAND ${CMAKE_STRIP} -o ${stage}/hourgated.exe $<TARGET_FILE:hourgated>
    COMMAND ${CMAKE_STRIP} -o ${stage}/hourgatectl.exe $<TARGET_FILE:hourgatectl>
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_CURRENT_SOURCE_DIR}/docs/Hourgate.ini
            ${CMAKE_CURRENT_SOURCE_DIR}/LICENSE ${stage}/
    DEPENDS hourgate hourgated hourgatectl docs/Hourgate.ini LICENSE VERBATIM)

# What wixl 0.101 (Debian 12) ignores or lacks, written into the tables:
# - Hourgate.ini's component Permanent (16) and NeverOverwrite (128), besides
#   64-bit (256): an upgrade or a reinstall keeps the administrator's list, and
#   so does an uninstall;
# - RemoveFile rows for PURGE=1 (records, their temporary files, the list, the
#   limits, grants and history, and the emptied folder), skipped while PURGEDIR
#   is unset; a name that is not 8.3 also needs a short name, as "SHORT|long";
# - the upgrade row's upper version made inclusive, as WiX's
#   AllowSameVersionUpgrades does: two builds that differ in the fourth part of
#   the version replace each other instead of being installed side by side;
# - the programs' versions and languages (as their version records have them,
#   from the project's version), and no hashes for them, which Windows
#   Installer keeps for unversioned files only;
# - the administrator's settings as secure properties, which an installation
#   by Group Policy or by a user under an elevating policy passes on to the
#   installation itself (wixl makes only its upgrade properties so).
# (A list's ';' would split the command: the generator expression gives it.)
string(JOIN "$<SEMICOLON>" secure DRYRUN EXEMPT_USERS INSTALLDIR PURGE TIMEUP_ACTION
       WIX_DOWNGRADE_DETECTED WIX_UPGRADE_DETECTED)
set(purge "INSERT INTO RemoveFile (FileKey, Component_, FileName, DirProperty, InstallMode) VALUES")
set(msi_fixups
    "UPDATE Component SET Attributes = 400 WHERE Component = 'ExemptionList'"
    "${purge} ('PurgeRecords', 'TrayProgram', '*.txt', 'PURGEDIR', 2)"
    "${purge} ('PurgeTemporary', 'TrayProgram', '*.tmp', 'PURGEDIR', 2)"
    "${purge} ('PurgeList', 'TrayProgram', 'Hourgate.ini', 'PURGEDIR', 2)"
    "${purge} ('PurgeGrants', 'TrayProgram', 'grants.dat', 'PURGEDIR', 2)"
    "${purge} ('PurgeHistory', 'TrayProgram', 'history.log', 'PURGEDIR', 2)"
    "${purge} ('PurgeOldHistory', 'TrayProgram', 'HISTOR~1.1|history.log.1', 'PURGEDIR', 2)"
    "${purge} ('PurgeLimits', 'TrayProgram', 'LIMITS~1.CON|limits.conf', 'PURGEDIR', 2)"
    "INSERT INTO RemoveFile (FileKey, Component_, DirProperty, InstallMode) VALUES ('PurgeFolder', 'TrayProgram', 'PURGEDIR', 2)"
    "DELETE FROM Upgrade WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'"
    "INSERT INTO Upgrade (UpgradeCode, VersionMax, Attributes, ActionProperty) VALUES ('${HOURGATE_UPGRADE_CODE}', '${msi_version}', 513, 'WIX_UPGRADE_DETECTED')"
    # One row at a time: msibuild's DELETE with OR deletes rows that do not match.
    "UPDATE File SET Version = '${PROJECT_VERSION}', Language = '1041' WHERE File = 'hourgate.exe'"
    "UPDATE File SET Version = '${PROJECT_VERSION}', Language = '1033' WHERE File = 'hourgated.exe'"
    "UPDATE File SET Version = '${PROJECT_VERSION}', Language = '1033' WHERE File = 'hourgatectl.exe'"
    "DELETE FROM MsiFileHash WHERE File_ = 'hourgate.exe'"
    "DELETE FROM MsiFileHash WHERE File_ = 'hourgated.exe'"
    "DELETE FROM MsiFileHash WHERE File_ = 'hourgatectl.exe'"
    "UPDATE Property SET Value = '${secure}' WHERE Property = 'SecureCustomProperties'")
list(TRANSFORM msi_fixups PREPEND "-q;")

# Built under another name and renamed last, so a failed step leaves no package.
set(wxs ${CMAKE_CURRENT_SOURCE_DIR}/packaging/windows/hourgate.wxs)
add_custom_command(OUTPUT ${msi}
    COMMAND ${HOURGATE_WIXL} -a x64 -D Version=${msi_version} -D UpgradeCode=${HOURGATE_UPGRADE_CODE}
            -o ${msi}.part ${wxs}
    COMMAND ${HOURGATE_MSIBUILD} ${msi}.part ${msi_fixups}
    COMMAND ${CMAKE_COMMAND} -E rename ${msi}.part ${msi}
    DEPENDS ${wxs} ${stage}/hourgate.exe ${stage}/hourgated.exe ${stage}/hourgatectl.exe
            ${stage}/Hourgate.ini ${stage}/LICENSE
    # wixl 0.101 finds sources only relative to the working directory.
    WORKING_DIRECTORY ${stage}
    COMMENT "Building the Windows installer hourgate-${PROJECT_VERSION}-x64.msi" VERBATIM)
add_custom_target(hourgate_msi ALL DEPENDS ${msi})

if(BUILD_TESTING)
    add_test(NAME package.msi_tables
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/tests/packaging/msi_tables.sh ${msi}
                     ${HOURGATE_UPGRADE_CODE} ${PROJECT_VERSION})
    set_tests_properties(package.msi_tables PROPERTIES LABELS package TIMEOUT 60)
    # The package installed, repaired, upgraded and removed under Wine (DRYRUN=1),
    # in a prefix of its own; about half a minute, alone, as Wine's timing wants.
    add_test(NAME package.msi_trial
             COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/scripts/msi-trial-wine.sh ${msi})
    set_tests_properties(package.msi_trial PROPERTIES LABELS package TIMEOUT 600 RUN_SERIAL TRUE)
endif()
