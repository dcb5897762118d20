# SCREEN$ files have no signature and no type in shared-mime-info: the
# package here gives them one, by extension.
desktop_format(Wendral
  MIME image/x-zx
  SYSTEM_MIME image/x-zx-screen
  EXTENSION scr
  MIME_PACKAGE zx-spectrum-screen.xml)
