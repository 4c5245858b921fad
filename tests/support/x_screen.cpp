#include "tests/support/x_screen.h"

#include <sys/wait.h>

#include <cstdlib>

int run_on_x_screen(const std::string& directory, const std::string& shell_command, const std::string& size) {
  const std::string command = "cd " + shell_quoted(directory) + " && bash " + shell_quoted(ZARNIC_X_SCREEN_SCRIPT) +
                              " " + shell_quoted(size) + " sh -c " + shell_quoted(shell_command);
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string shell_quoted(const std::string& text) {
  std::string quoted = "'";
  for (const char c : text) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}
