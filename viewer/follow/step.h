#pragma once

#include "platform/output.h"

// How a round of showing a file ends, for the rounds of following. kWait: all caught up, wait for a
// change; kRecheck: look again at once; kEnded: shown to its end and not followed; kStop: the output is
// gone or a stop was asked for; kFail: this file cannot be read on; kOutputFailed: standard output cannot
// be written; kNotReopened: the file the name now stands for could not be opened for want of descriptors,
// so the old one is followed on and the new one tried again, and lines may be missed. kFail,
// kOutputFailed and kNotReopened have been reported.
enum class Step { kWait, kRecheck, kEnded, kStop, kFail, kOutputFailed, kNotReopened };

// Whether a file with this step is still followed.
constexpr bool IsFollowed(Step step) { return step == Step::kWait || step == Step::kRecheck; }

// The step that follows a write to the output, a failure to write reported.
Step StepAfterWrite(platform::WriteResult result);
