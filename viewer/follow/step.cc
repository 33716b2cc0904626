#include "follow/step.h"

#include "output/messages.h"
#include "platform/files.h"
#include "platform/output.h"

namespace vp = viewer_platform;

Step StepAfterWrite(vp::WriteResult result) {
  switch (result) {
    case vp::WriteResult::kWritten:
      return Step::kWait;
    case vp::WriteResult::kOutputGone:
    case vp::WriteResult::kStopped:
      return Step::kStop;
    case vp::WriteResult::kFailed:
      break;
  }
  ReportOutputFailure(vp::LastErrorText());
  return Step::kOutputFailed;
}
