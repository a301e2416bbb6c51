// Terminal detection for the standard streams.
#include "platform/Terminal.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace tarnwell::platform {

bool IsErrorStreamTerminal() { return ::isatty(STDERR_FILENO) == 1; }

bool IsOutputStreamTerminal() { return ::isatty(STDOUT_FILENO) == 1; }

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void PrepareConsole() {}

Status FlushStandardOutput() {
  if (std::fflush(stdout) != 0) return Status::Failure(errno);
  return std::ferror(stdout) ? Status::Failure(0) : Status{};
}

}  // namespace tarnwell::platform
