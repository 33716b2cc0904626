// Waiting on Windows: notification is not used, and every wait is a short poll.
#include "platform/wait.h"

#include <windows.h>

#include "platform/files.h"

namespace platform {
struct ChangeWaiter::State {
  std::size_t names = 0;
};

ChangeWaiter::ChangeWaiter() : state_(std::make_unique<State>()) {}

ChangeWaiter::~ChangeWaiter() = default;

std::size_t ChangeWaiter::Add() { return state_->names++; }

void ChangeWaiter::Watch(std::size_t /*key*/, const std::string& /*path*/,
                         std::span<const FileHandle> /*openFiles*/) {}

// A member on every platform; only Linux keeps state for it.
void ChangeWaiter::Wait(int limitMilliseconds) {  // NOLINT(readability-convert-member-functions-to-static)
  Sleep(static_cast<DWORD>(EarlierLimit(kPollMilliseconds, limitMilliseconds)));
}

}  // namespace platform
