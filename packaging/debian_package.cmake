# The Debian package `quillane`, made by `cpack` (scripts/package runs it).
# Its dependencies come from dpkg-shlibdeps; the menu, file-type and icon caches
# are refreshed by the triggers of desktop-file-utils, shared-mime-info and the
# hicolor theme, so the package needs no maintainer scripts.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillane developers")
set(CPACK_PACKAGE_CONTACT "The Quillane developers <quillane@users.noreply.github.com>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/quillane/quillane)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The window's texts are laid out for a face with Arial's metrics.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS fonts-liberation)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "lossless editor and recorder for MP3 and MP2 files
Quillane edits MPEG audio files (MP3 and MP2: MPEG-1, 2 and 2.5, Layers II
and III) frame by frame and never re-encodes what it saves. You mark cuts,
gain changes with fades and cues, and Quillane writes the kept frames byte
for byte, splits files at cues, reads and writes cue sheets and project
files, edits the ID3v1 tag, plays with pre-listening, normalizes, finds
pauses and records from a sound input straight to MP3.
.
The command-line tool quillane-cli runs the same engine for scripts.")

include(CPack)
