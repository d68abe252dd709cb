# The Debian package: "cpack -G DEB" in a build tree, or scripts/package.sh.
# The programs, desktop entry, icon and AppStream record install from where
# they are built; this adds the manual page, the shell completion and the
# Debian documents, and describes the package.
if(APPLE)
    return()
endif()

include(GNUInstallDirs)

set(QUOTIX_PACKAGE_MAINTAINER "The Quotix developers <quotix@users.noreply.invalid>"
    CACHE STRING "Maintainer field of the Debian package: a name and an address")

# Debian wants manual pages and changelogs compressed with gzip -9n: no name
# and no time stamp in the header, so the package is reproducible.
find_program(QUOTIX_GZIP gzip REQUIRED)
set(quotix_package_dir ${PROJECT_BINARY_DIR}/package)
# The manual page names the version being built.
configure_file(${PROJECT_SOURCE_DIR}/resources/man/quotix.1 ${quotix_package_dir}/quotix.1 @ONLY)
set(quotix_compressed)
foreach(document ${quotix_package_dir}/quotix.1 ${PROJECT_SOURCE_DIR}/resources/debian/changelog)
    get_filename_component(name ${document} NAME)
    set(output ${quotix_package_dir}/${name}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${QUOTIX_GZIP} ${document} ${output}
        DEPENDS ${document}
        COMMENT "Compressing ${name}"
        VERBATIM)
    list(APPEND quotix_compressed ${output})
endforeach()
add_custom_target(quotix_package_documents ALL DEPENDS ${quotix_compressed})

set(quotix_docdir ${CMAKE_INSTALL_DATADIR}/doc/quotix)
install(FILES ${quotix_package_dir}/quotix.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${PROJECT_SOURCE_DIR}/resources/completion/quotix.bash
    DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME quotix)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright DESTINATION ${quotix_docdir})
# A version without a Debian revision makes this a native package, whose
# changelog lintian expects as changelog.gz.
install(FILES ${quotix_package_dir}/changelog.gz DESTINATION ${quotix_docdir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quotix)
set(CPACK_PACKAGE_VENDOR "The Quotix developers")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUOTIX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY ${PROJECT_DESCRIPTION})
# Wrapped by hand: Debian wants the lines of the long description under 80
# characters, and CPack keeps the line breaks as they are.
set(CPACK_PACKAGE_DESCRIPTION [=[
Quotix lives in the system tray and shows how much of the Claude (Claude
Code) and ChatGPT (Codex) subscription limits you have used: one coloured
percentage per provider, a panel with every limit, its progress and reset
time, and a desktop notification at 80 and 90 percent.

It has no login of its own: it reads the tokens the two command-line tools
already stored and only ever sends them to the two usage services. The
quotix status command prints the same figures in a terminal.]=])
# A package always installs under /usr, whatever prefix the build tree has;
# every install rule uses relative destinations.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_PACKAGE_NAME quotix)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUOTIX_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The library packages come from dpkg-shlibdeps, at the versions the binaries
# need; SQLite is loaded only while the history is open, so it is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libsqlite3-0 (>= 3.28)")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)

include(CPack)
