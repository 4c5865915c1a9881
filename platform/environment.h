#pragma once
// Reading and setting the process's environment variables, which the programs
// it starts inherit.

#include <optional>
#include <string>

namespace platform {

// The variable's value, or nothing when it is not set.
std::optional<std::string> environmentVariable(const std::string& name);

// Sets the variable (replacing its value); false when the environment refused.
bool setEnvironmentVariable(const std::string& name, const std::string& value);

}  // namespace platform
