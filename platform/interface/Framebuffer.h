#ifndef _FRAMEBUFFER_H
#define _FRAMEBUFFER_H

#include <cairo.h>

#include <mutex>

namespace BPrivate {

// A window's pixels: drawn by the window's thread, shown by the display's.
struct Framebuffer {
	Framebuffer(int width, int height)
	    : surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height))
	{
	}
	~Framebuffer() { cairo_surface_destroy(surface); }

	std::mutex lock;
	cairo_surface_t* surface;

	Framebuffer(const Framebuffer&) = delete;
	Framebuffer& operator=(const Framebuffer&) = delete;
};

} // namespace BPrivate

#endif
