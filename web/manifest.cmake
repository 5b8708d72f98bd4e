# Writes OUTPUT from TEMPLATE, the page's manifest, with the window's colour
# from WINDOW (written by the first board's tool) and the names and version
# given.
#
#   cmake -DWINDOW=window.cmake -DTEMPLATE=manifest.webmanifest.in -DOUTPUT=file -DZENTRIK_NAME=... -P manifest.cmake
include(${WINDOW})
configure_file(${TEMPLATE} ${OUTPUT} @ONLY)
# configure_file leaves an unchanged file as it was: the build takes it as made.
file(TOUCH ${OUTPUT})
