# The Debian package, made by scripts/package from the install into /usr.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME okulyk)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Okulyk developers <developers@okulyk.kz>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "electronic textbook for one course, Kazakh interface")
set(CPACK_PACKAGE_DESCRIPTION "Students and teachers sign in, read the course's lectures and laboratory
works, watch its videos, take a 30-question test drawn from the question
bank and see their results; the administrator edits the question bank, the
materials and the users. The demo course is an introduction to computer
science. okulyk-admin imports and exports question banks (text, Word and
Moodle XML files), exports results, analyses which questions work, prints
paper variants, brings over an old Microsoft Access database, and sets a
computer lab up on one PostgreSQL server that every lab computer shares;
okulyk-teacher does the same in a window.")
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION education)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite, libqt6sql6-psql, qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-translations-l10n, fonts-liberation2, fonts-urw-base35, gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly, gstreamer1.0-libav, libreoffice-writer-nogui | libreoffice-writer, libreoffice-impress-nogui | libreoffice-impress")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
