// Whole programs on a virtual X screen of their own, for C++ tests: the
// shell helper tests/support/x_screen.sh (which says why it starts the
// server the way it does), called through the shell.
#pragma once

#include <string>

// The shell command's exit status after running it with `sh -c` in folder
// `directory` on a new screen of `size` ("WxH"); 125 when no X server could
// be started, -1 when the shell did not exit normally.
int run_on_x_screen(const std::string& directory, const std::string& shell_command,
                    const std::string& size = "1024x768");

// Text as one single-quoted shell word.
std::string shell_quoted(const std::string& text);
