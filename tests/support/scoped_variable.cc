#include "scoped_variable.h"

#include <stdlib.h>

#include <cstdlib>

namespace {

// Sets the variable, or removes it when there is no value. The Windows C runtime has no setenv, and
// removes a variable set to nothing.
void SetVariable(const char* name, const std::optional<std::string>& value) {
#ifdef _WIN32
  _putenv_s(name, value ? value->c_str() : "");
#else
  if (value) {
    setenv(name, value->c_str(), 1);
  } else {
    unsetenv(name);
  }
#endif
}

}  // namespace

ScopedVariable::ScopedVariable(const char* name, const std::string& value) : name_(name) {
  if (const char* before = std::getenv(name)) {
    before_ = before;
  }
  SetVariable(name, value);
}

ScopedVariable::~ScopedVariable() { SetVariable(name_.c_str(), before_); }
