// Terminal detection for the standard streams.
#include "platform/Terminal.h"

#include <unistd.h>

namespace tarnwell::platform {

bool IsErrorStreamTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool IsOutputStreamTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareConsole() {}

}  // namespace tarnwell::platform
