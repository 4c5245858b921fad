// The demo's entry point on Windows: a GUI program, so the runtime calls
// WinMain. Its four arguments go to app_main unchanged. The process-wide
// objects are built beforehand by app/process_objects.cpp.
#include <windows.h>

#include "app/app_main.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous_instance, LPSTR command_line, int show_command) {
  return app_main(instance, previous_instance, command_line, show_command);
}
