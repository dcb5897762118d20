#include "SdlLibrary.h"

#include <dlfcn.h>

#include <mutex>

namespace BPrivate {
namespace display {

namespace {

bool load(SdlLibrary& library)
{
	// Never closed: SDL keeps threads and handlers of its own once started.
	void* handle = dlopen("libSDL2-2.0.so.0", RTLD_NOW | RTLD_LOCAL);
	if (handle == nullptr)
		return false;
	bool complete = true;
#define BE_SDL_RESOLVE(name)                                                                       \
	library.name = reinterpret_cast<decltype(library.name)>(dlsym(handle, #name));                 \
	complete = complete && library.name != nullptr;
	BE_SDL_FUNCTIONS(BE_SDL_RESOLVE)
#undef BE_SDL_RESOLVE
	return complete;
}

} // namespace

const SdlLibrary* sdl_library()
{
	static SdlLibrary library;
	static bool loaded = false;
	static std::once_flag once;
	std::call_once(once, [] { loaded = load(library); });
	return loaded ? &library : nullptr;
}

} // namespace display
} // namespace BPrivate
