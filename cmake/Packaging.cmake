# The Debian package, made by CPack from what `cmake --install` puts in place:
#   cmake --build --preset release && (cd build/release && cpack)
# or, with an install and removal check on this machine, `bash tools/dev.sh package`.

set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "namorel")
set(CPACK_PACKAGE_VENDOR "The Namorel developers")
set(CPACK_PACKAGE_CONTACT "The Namorel developers <support@namorel.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "baby name chooser")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Namorel helps parents choose a first name for their baby. Enter the family surname, pick the baby's "
    "gender, a length window and any of 41 name origins, and Namorel lists the matching names from its "
    "database of real names, sorted, with a preview of the signature and the baby's initials.")
set(CPACK_RESOURCE_FILE_LICENSE "${PROJECT_SOURCE_DIR}/LICENSE")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.namorel.com/")
# The libraries the program links come from dpkg-shlibdeps. What it loads at run time is added by hand: the
# toolkit's platform plugins (the desktop's window system), the SQLite driver of the shortlist, and the fonts
# that stand in for Arial.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6sql6-sqlite, fonts-liberation")

include(CPack)
