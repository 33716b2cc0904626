#include "follow/tail.h"

#include <utility>

#include "platform/descriptor_reserve.h"
#include "platform/stop.h"
#include "platform/terminal.h"
#include "text/visible_text.h"

Tail::Tail(const std::vector<const char*>& files, const OutputSettings& settings, Alarm* alarm,
           platform::Session& session)
    : alarm_(alarm),
      session_(session),
      shared_(settings.headers, settings.visible),
      run_{settings, alarm, shared_} {
  // Before the files take the descriptors, so that one is left for a followed name to be opened again.
  platform::HoldReserve();
  for (const char* given : files) {
    // cppcheck-suppress useStlAlgorithm ; a followed file is made in its place, never copied or moved
    files_.emplace_back(given, run_, waiter_);
  }
}

int Tail::Run(const ShowOptions& options) {
  if (ShowAll(options) && options.follow) {
    Follow();
  }
  return End();
}

bool Tail::ShowAll(const ShowOptions& options) {
  // A stream is followed only when it is the one file; otherwise shown to its end.
  const bool followStream = options.follow && files_.size() == 1;
  for (FollowedFile& file : files_) {
    if (!GoesOn(file.Show(options, followStream)) || platform::StopRequested()) {
      return false;
    }
  }
  return true;
}

// Each round looks at what the names stand for, waits for a change unless a file is to be looked at
// again at once, and shows what was appended, until no file is followed or the run ends.
void Tail::Follow() {
  for (Round round = CheckNames(); round != Round::kEnds; round = CheckNames()) {
    RetitleWindow();
    if (round == Round::kWaits && !WaitForChange()) {
      return;
    }
    if (platform::StopRequested() || waiter_.OutputGone() || !CatchUpAll()) {
      return;
    }
  }
}

Tail::Round Tail::CheckNames() {
  bool followed = false;
  bool recheck = false;
  for (FollowedFile& file : files_) {
    if (!file.IsFollowed()) {
      continue;
    }
    if (!file.WantsRecheck() && !GoesOn(file.Check())) {
      return Round::kEnds;
    }
    followed = followed || file.IsFollowed();
    recheck = recheck || file.WantsRecheck();
  }
  return !followed ? Round::kEnds : recheck ? Round::kRechecks : Round::kWaits;
}

bool Tail::WaitForChange() {
  int limit = -1;
  for (FollowedFile& file : files_) {
    if (!file.IsFollowed()) {
      continue;
    }
    if (!GoesOn(file.Idle())) {
      return false;
    }
    file.WakeAtMidnight();
    limit = platform::EarlierLimit(limit, file.WaitLimit());
  }
  waiter_.Wait(limit);
  return true;
}

bool Tail::CatchUpAll() {
  for (FollowedFile& file : files_) {
    if (file.IsFollowed() && !GoesOn(file.CatchUp())) {
      return false;
    }
  }
  return true;
}

bool Tail::GoesOn(Step step) {
  titleStale_ = titleStale_ || step != Step::kWait;
  failed_ = failed_ || step == Step::kFail || step == Step::kNotReopened || step == Step::kOutputFailed;
  outputFailed_ = outputFailed_ || step == Step::kOutputFailed;
  return step != Step::kStop && step != Step::kOutputFailed;
}

// "web.20261209, app.log", then " - 3 alerts" (" - 1 alert") once alerts have been raised. Built only
// when a file's step said something other than waiting, which any change of the names followed takes,
// or the count changed.
void Tail::RetitleWindow() {
  const std::size_t alerts = alarm_ != nullptr ? alarm_->count() : 0;
  if (!std::exchange(titleStale_, false) && alerts == titledAlerts_) {
    return;
  }
  titledAlerts_ = alerts;
  std::string title;
  for (const FollowedFile& file : files_) {
    if (file.IsFollowed()) {
      title += (title.empty() ? "" : ", ") + file.name();
    }
  }
  if (alerts > 0) {
    title += " - " + std::to_string(alerts) + (alerts == 1 ? " alert" : " alerts");
  }
  if (title != title_) {
    title_ = title;
    // A console's title shows the names' control characters visibly, as the text is shown.
    session_.SetTitle(VisibleText(title, platform::ReadsUtf8(true)));
  }
}

int Tail::End() {
  for (FollowedFile& file : files_) {
    GoesOn(file.End(outputFailed_));
  }
  return failed_ ? 1 : 0;
}
