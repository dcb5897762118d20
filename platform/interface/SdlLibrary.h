#ifndef _SDL_LIBRARY_H
#define _SDL_LIBRARY_H

#include <SDL.h>

namespace BPrivate {
namespace display {

// SDL is opened only when a program asks for the display. Linked in, it and
// the audio and window-system libraries it needs would add about 10 ms to
// the start of every program that loads the platform layer.
#define BE_SDL_FUNCTIONS(F)                                                                        \
	F(SDL_CreateRGBSurfaceWithFormatFrom)                                                          \
	F(SDL_CreateWindow)                                                                            \
	F(SDL_DestroyWindow)                                                                           \
	F(SDL_FreeSurface)                                                                             \
	F(SDL_GetDisplayBounds)                                                                        \
	F(SDL_GetGlobalMouseState)                                                                     \
	F(SDL_GetWindowFlags)                                                                          \
	F(SDL_GetWindowFromID)                                                                         \
	F(SDL_GetWindowSurface)                                                                        \
	F(SDL_InitSubSystem)                                                                           \
	F(SDL_PollEvent)                                                                               \
	F(SDL_PushEvent)                                                                               \
	F(SDL_Quit)                                                                                    \
	F(SDL_QuitSubSystem)                                                                           \
	F(SDL_RaiseWindow)                                                                             \
	F(SDL_RegisterEvents)                                                                          \
	F(SDL_SetHint)                                                                                 \
	F(SDL_SetSurfaceBlendMode)                                                                     \
	F(SDL_SetWindowPosition)                                                                       \
	F(SDL_ShowWindow)                                                                              \
	F(SDL_UpdateWindowSurface)                                                                     \
	F(SDL_UpperBlit)                                                                               \
	F(SDL_WaitEvent)

struct SdlLibrary {
#define BE_SDL_MEMBER(name) decltype(&::name) name;
	BE_SDL_FUNCTIONS(BE_SDL_MEMBER)
#undef BE_SDL_MEMBER
};

// SDL's functions, or null when the library or one of them is missing; the
// display then stays closed, as without a window system.
const SdlLibrary* sdl_library();

} // namespace display
} // namespace BPrivate

#endif
