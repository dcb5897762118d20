# Tarnwick's rows say "image/x-psd", an alias in shared-mime-info, while
# g_content_type_guess() answers the canonical name and
# gdk_pixbuf_loader_new_with_mime_type() matches names exactly. The signature
# is "8BPS" and a version, 1 (PSD) or 2 (PSB, which shared-mime-info also
# takes for this type).
desktop_format(Tarnwick
  MIME image/x-psd
  SYSTEM_MIME image/vnd.adobe.photoshop
  EXTENSION psd
  SIGNATURE "8BPS  "
  SIGNATURE_MASK "    zn")
