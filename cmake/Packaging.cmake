# `cpack -G DEB` in a build folder makes a Debian package of everything the install
# rules put in place: both programs, the codec modules, the intro project, the
# metronome samples, the manual, the icon, the desktop entry and the project MIME type.
# The package system's triggers refresh the MIME and desktop databases on install.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME trackwright)
set(CPACK_PACKAGE_VENDOR Sonavel)
set(CPACK_PACKAGE_CONTACT "Sonavel <support@sonavel.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Eight-track desktop recorder")
set(CPACK_PACKAGE_DESCRIPTION
    "Records from the audio input into an armed track while the other tracks play, edits the
current track with undo and redo, and mixes the project down to WAV, MP3 or a track.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
# The libraries' packages are found from what the programs and modules link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# PortAudio reaches the sound server through ALSA's pulse plugin.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libasound2-plugins")
set(CPACK_STRIP_FILES ON)
include(CPack)
