# The Debian package, made with `cpack -G DEB` (or plain `cpack`) in the build folder after
# the build: tandel_<version>_<arch>.deb, installed under /usr from the project's install
# rules, with its library dependencies worked out from the binary by dpkg-shlibdeps.
set(CPACK_GENERATOR DEB)
# CPack packages what the build made: installing must not first build every test (the
# install rules never needed that either; `cmake --install` builds nothing).
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
set(CPACK_PACKAGE_NAME tandel)
set(CPACK_PACKAGE_VENDOR "The Tandel Zurozurov Irod developers")
set(CPACK_PACKAGE_CONTACT "The Tandel Zurozurov Irod developers <tandel@tandel.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write a small business's marketing plan from a guided template")
set(CPACK_PACKAGE_DESCRIPTION
"Tandel Zurozurov Irod helps the owner of a small business write a marketing
plan. The plan is one long document made from a template: a navigator leads
through its sections, each with guidance on what to write, and blue prompts
in the text show where the user's own words go.

Four analyses (competitors, strengths and weaknesses, impact and probability,
SWOT) write their tables into the plan, a budget spreadsheet is kept beside
the text, spelling is checked in British English, and the plan prints,
previews and exports to PDF, ODT, RTF and text (the budget to XLSX, XLS and
tab-separated text), also from the command line without a display.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION editors)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://www.tandel.example/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Read at run time, not linked: the British English dictionary of the speller, and the
# metric-compatible Liberation fonts that the Arial of the plan text and the budget
# resolves to, so that lines and pages break alike on every machine.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "hunspell-en-gb, fonts-liberation2")
# Debian wants manual pages and changelogs compressed (`cmake --install` keeps them plain)
# and no folder writable by others, whatever the umask of whoever packs it.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/PackageStaging.cmake)
include(CPack)
