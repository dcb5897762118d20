# Tarnwick's rows say "image/x-psd", an alias in shared-mime-info, while
# g_content_type_guess() answers the canonical name and
# gdk_pixbuf_loader_new_with_mime_type() matches names exactly. The signature
# is "8BPS" and version 1.
desktop_format(Tarnwick
  MIME image/x-psd
  SYSTEM_MIME image/vnd.adobe.photoshop
  EXTENSION psd
  SIGNATURE "8BPS \\x01"
  SIGNATURE_MASK "    z ")
