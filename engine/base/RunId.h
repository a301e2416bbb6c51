// The run's identity in documents that leave the machine: a random UUID.
#pragma once

#include <string>

namespace tarnwell {

// A random (version 4) UUID in lowercase, "xxxxxxxx-xxxx-4xxx-Yxxx-xxxxxxxxxxxx"
// with Y one of 8, 9, a, b.
std::string NewRunId();

}  // namespace tarnwell
