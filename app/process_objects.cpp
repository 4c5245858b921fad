// The process-wide objects, constructed in this order before the entry point
// runs: the mesh is read first (no window exists yet), then the frame timer
// asks for the counter frequency, then the Scene notes its start time. One
// translation unit keeps that order; both entry points (main on Linux,
// WinMain on Windows) link this file.
#include "app/app_main.h"
#include "assets/mesh.h"
#include "demo/scene.h"

Mesh* demo_mesh = new Mesh("data/obj.b3df");
FrameTimer frame_timer;
Scene scene;
