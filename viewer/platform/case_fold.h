#pragma once

#include <span>

namespace platform {

// Folds one UTF-8 character in place, as the platform's lower case has it, when the result is as long.
void FoldCharacter(std::span<char> character);

}  // namespace platform
