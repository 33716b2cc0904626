// Waiting on Windows: notification is not used, and every wait is a short poll, which a waitable timer
// ends at the moment to wake at.
#include "platform/wait.h"

#include <windows.h>

#include "platform/files.h"
#include "platform/output.h"

namespace platform {
namespace {

namespace chrono = std::chrono;

// FILETIME counts 100-nanosecond ticks from 1601, 11,644,473,600 seconds before the system clock's epoch.
constexpr chrono::seconds kFileTimeEpochOffset{11644473600LL};
using FileTimeTicks = chrono::duration<long long, std::ratio<1, 10000000>>;

// How far the system's clock is ahead of the steady clock, which a clock set moves and nothing else.
chrono::system_clock::duration ClockOffset() {
  return chrono::system_clock::now().time_since_epoch() -
         chrono::duration_cast<chrono::system_clock::duration>(
             chrono::steady_clock::now().time_since_epoch());
}

}  // namespace

struct ChangeWaiter::State {
  std::size_t names = 0;
  // Manual-reset: stays signalled, once its moment has come, until it is set again. A timer set for
  // an absolute time follows the clock when it is set.
  HANDLE timer = CreateWaitableTimerW(nullptr, TRUE, nullptr);
  chrono::system_clock::duration offset = ClockOffset();
  bool timeChanged = true;

  State() = default;
  State(const State&) = delete;
  State& operator=(const State&) = delete;
  ~State() {
    if (timer != nullptr) {
      CloseHandle(timer);
    }
  }
};

ChangeWaiter::ChangeWaiter() : state_(std::make_unique<State>()) {}

ChangeWaiter::~ChangeWaiter() = default;

std::size_t ChangeWaiter::Add() { return state_->names++; }

void ChangeWaiter::Watch(std::size_t /*key*/, const std::string& /*path*/,
                         std::span<const FileHandle> /*openFiles*/) {}

void ChangeWaiter::WakeAt(chrono::system_clock::time_point moment) {
  LARGE_INTEGER due{};
  due.QuadPart =
      chrono::duration_cast<FileTimeTicks>(moment.time_since_epoch() + kFileTimeEpochOffset).count();
  if (state_->timer != nullptr) {
    SetWaitableTimer(state_->timer, &due, 0, nullptr, nullptr, FALSE);
  }
}

// A clock set more than a second away from where the steady clock puts it counts as a change of time.
void ChangeWaiter::Wait(int limitMilliseconds) {
  State& state = *state_;
  const auto limit = static_cast<DWORD>(EarlierLimit(kPollMilliseconds, limitMilliseconds));
  bool expired = false;
  if (state.timer != nullptr) {
    expired = WaitForSingleObject(state.timer, limit) == WAIT_OBJECT_0;
  } else {
    Sleep(limit);
  }
  const chrono::system_clock::duration offset = ClockOffset();
  state.timeChanged =
      expired || state.timer == nullptr || chrono::abs(offset - state.offset) > chrono::seconds{1};
  state.offset = offset;
}

// Every wait is a poll, after which any name may stand for another file. Members on every platform;
// only Linux keeps state for these two.
// NOLINTNEXTLINE(readability-convert-member-functions-to-static)
bool ChangeWaiter::NameMayHaveChanged(std::size_t /*key*/) const { return true; }

bool ChangeWaiter::TimeMayHaveChanged() const { return state_->timeChanged; }

bool ChangeWaiter::OutputGone() const {  // NOLINT(readability-convert-member-functions-to-static)
  return platform::OutputGone();
}

}  // namespace platform
