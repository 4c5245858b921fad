// The GL, GLU and GL extension headers, for every platform.
//
// On Windows the system's <GL/gl.h> pulls in all of <windows.h> unless the
// calling-convention macros are already defined, and <windows.h>'s macros
// would then rewrite the platform layer's own names (WM_SIZE, IDI_WINLOGO,
// MB_OK, ...) in every file that uses both. Defining the three macros here
// keeps <windows.h> out of shared code; only platform/win32 includes it.
#pragma once

#ifdef _WIN32
#ifndef APIENTRY
#define APIENTRY __stdcall
#endif
#ifndef WINGDIAPI
#define WINGDIAPI __declspec(dllimport)
#endif
#ifndef CALLBACK
#define CALLBACK __stdcall
#endif
#endif

#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glext.h>

#ifdef __EMSCRIPTEN__
// The browser's GL lacks sphere-map texture generation; platform/web makes
// up for it behind the same calls.
#include "platform/web/gl_gaps_web.h"
#endif
