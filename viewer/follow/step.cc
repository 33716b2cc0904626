#include "follow/step.h"

#include "output/messages.h"
#include "platform/files.h"
#include "platform/output.h"

Step StepAfterWrite(platform::WriteResult result) {
  switch (result) {
    case platform::WriteResult::kWritten:
      return Step::kWait;
    case platform::WriteResult::kOutputGone:
    case platform::WriteResult::kStopped:
      return Step::kStop;
    case platform::WriteResult::kFailed:
      break;
  }
  ReportOutputFailure(platform::LastErrorText());
  return Step::kOutputFailed;
}
