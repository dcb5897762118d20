// A thumbnail the way the desktop loader made them before it read images
// reduced: the whole image loaded at its own size, scaled down by
// gdk-pixbuf (bilinear, as a loader asked for a size scales) and saved as
// PNG. The peer of gdk-pixbuf-thumbnailer in bench/thumbnail_compare.py.
//   pixbuf_full_thumbnail IN SIZE OUT
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
	if (argc != 4 || atoi(argv[2]) < 1) {
		fprintf(stderr, "usage: pixbuf_full_thumbnail IN SIZE OUT\n");
		return 2;
	}
	const int size = atoi(argv[2]);
	GError* error = NULL;
	GdkPixbuf* full = gdk_pixbuf_new_from_file(argv[1], &error);
	if (full == NULL) {
		fprintf(stderr, "%s: %s\n", argv[1], error->message);
		return 1;
	}
	const int width = gdk_pixbuf_get_width(full), height = gdk_pixbuf_get_height(full);
	int thumbWidth = size, thumbHeight = size;
	if (width > height)
		thumbHeight = MAX(1, (int)((gint64)height * size / width));
	else
		thumbWidth = MAX(1, (int)((gint64)width * size / height));
	GdkPixbuf* thumb = gdk_pixbuf_scale_simple(full, thumbWidth, thumbHeight, GDK_INTERP_BILINEAR);
	if (thumb == NULL || !gdk_pixbuf_save(thumb, argv[3], "png", &error, NULL)) {
		fprintf(stderr, "%s: %s\n", argv[3], error != NULL ? error->message : "no memory");
		return 1;
	}
	g_object_unref(thumb);
	g_object_unref(full);
	return 0;
}
