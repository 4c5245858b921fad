// The reference for start-up time: the least a program needs to show a GL
// frame the way the demo does. It initialises SDL's video, timer and audio,
// opens a 1024x768 fullscreen GL window with a depth buffer, clears it and
// presents once, then prints the time from process start (ZARNIC_T0_NS,
// CLOCK_REALTIME nanoseconds taken by the launcher) to that present, and the
// process's CPU time by then.
#include <GL/gl.h>
#include <SDL2/SDL.h>

#include <cstdio>

#include "bench/app/probe_clock.h"
#include "platform/demo_screen.h"

namespace {

// What the demo asks for: 8 bits per colour channel, a 32-bit depth buffer.
constexpr int colour_bits = 8;
constexpr int depth_bits = 32;

}  // namespace

int main(int, char**) {
  const double main_ms = now_ms();
  const double start_ms = launch_ms(main_ms);

  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_TIMER | SDL_INIT_AUDIO) != 0) {
    std::fprintf(stderr, "SDL_Init: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, colour_bits);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, colour_bits);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, colour_bits);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth_bits);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_Window* window = SDL_CreateWindow("bare", SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, demo_screen_width,
                                        demo_screen_height, SDL_WINDOW_OPENGL | SDL_WINDOW_FULLSCREEN);
  if (window == nullptr) {
    std::fprintf(stderr, "SDL_CreateWindow: %s\n", SDL_GetError());
    return 1;
  }
  SDL_GLContext context = SDL_GL_CreateContext(window);
  if (context == nullptr) {
    std::fprintf(stderr, "SDL_GL_CreateContext: %s\n", SDL_GetError());
    return 1;
  }
  const double window_ms = now_ms();

  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  SDL_GL_SwapWindow(window);
  const double first_ms = now_ms();
  // CPU time of the whole process from its start.
  const double cpu_ms = clock_ms(CLOCK_PROCESS_CPUTIME_ID);
  std::printf("bare first_frame %.1f before_main %.1f window %.1f frame %.1f cpu %.1f\n", first_ms - start_ms,
              main_ms - start_ms, window_ms - main_ms, first_ms - window_ms, cpu_ms);
  std::fflush(stdout);

  SDL_GL_DeleteContext(context);
  SDL_DestroyWindow(window);
  SDL_Quit();
  return 0;
}
