#pragma once

#include <span>

namespace platform {

// Folds one UTF-8 character in place, as the platform's lower case has it, when the result is as long.
void FoldCharacter(std::span<char> character);
// Whether one UTF-8 character has another case: its lower or its upper case, as the platform has them,
// is another character.
bool HasOtherCase(std::span<const char> character);

}  // namespace platform
