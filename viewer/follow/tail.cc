#include "follow/tail.h"

#include <algorithm>
#include <utility>

#include "follow/shown_file.h"
#include "follow/stream.h"
#include "output/messages.h"
#include "platform/descriptor_reserve.h"
#include "platform/files.h"
#include "platform/output.h"
#include "platform/stop.h"
#include "platform/terminal.h"
#include "text/visible_text.h"

namespace vp = viewer_platform;

Tail::File::File(const char* given, const OutputSettings& settings, SharedOutput& shared)
    : name(given == std::string_view(vp::kStandardInputName) ? kStandardInputShownName : given),
      path(vp::ToNativePath(given)),
      out(settings, shared, name) {}

Tail::Tail(const std::vector<const char*>& files, const OutputSettings& settings, terminal::Session& session)
    : encoding_(settings.encoding),
      alarm_(settings.alarm),
      session_(session),
      shared_(settings.headers, settings.visible) {
  // Before the files take the descriptors, so that one is left for a followed name to be opened again.
  vp::HoldReserve();
  for (const char* given : files) {
    files_.push_back(std::make_unique<File>(given, settings, shared_));
    files_.back()->out.Begin(settings.encoding);
  }
}

int Tail::Run(const ShowOptions& options) {
  if (ShowAll(options) && options.follow) {
    Follow();
  }
  return End();
}

bool Tail::ShowAll(const ShowOptions& options) {
  return std::all_of(files_.begin(), files_.end(), [&](const auto& file) { return Show(*file, options); });
}

bool Tail::Show(File& file, const ShowOptions& options) {
  vp::FileId id;
  const vp::FileHandle opened = OpenToShow(file.path, file.name, id);
  if (opened == vp::kNoFile) {
    // A stop while waiting to open is a stop like any other.
    failed_ = failed_ || !vp::StopRequested();
    file.step = Step::kFail;
    return true;
  }
  file.opened = true;
  if (vp::CanSeek(opened)) {
    file.follower =
        std::make_unique<Follower>(file.name, file.path, encoding_, file.out, waiter_, opened, id);
    return Continues(file, StepAfterWrite(file.out.Announce())) &&
           Continues(file, file.follower->ShowLastLines(options)) && (options.follow || EndShowing(file)) &&
           !vp::StopRequested();
  }
  // Followed only when it is the one file; otherwise shown to its end.
  ShowOptions shown = options;
  shown.follow = options.follow && files_.size() == 1;
  Step step = StepAfterWrite(file.out.Announce());
  if (step == Step::kWait) {
    step = ShowStream(opened, shown, encoding_, file.out, file.name);
  }
  vp::Close(opened);
  const bool stopped = step != Step::kOutputFailed && (vp::StopRequested() || vp::OutputGone());
  return Continues(file, stopped ? Step::kStop : step) && (shown.follow || EndShowing(file));
}

bool Tail::EndShowing(File& file) {
  if (file.step == Step::kFail) {
    return true;
  }
  const Step ended = StepAfterWrite(file.out.EndOfFile());
  return ended == Step::kWait || Continues(file, ended);
}

void Tail::Follow() {
  const auto followed = [](const auto& file) { return IsFollowed(file->step); };
  // Each round stops at the first file whose step ends the run.
  const auto checked = [this](const auto& file) {
    return file->step != Step::kWait || Continues(*file, file->follower->Check());
  };
  const auto caughtUp = [&](const auto& file) {
    return !followed(file) || Continues(*file, file->follower->CatchUp());
  };
  while (!ended_ && std::any_of(files_.begin(), files_.end(), followed)) {
    ShowTitle();
    if (!std::all_of(files_.begin(), files_.end(), checked)) {
      return;
    }
    if (std::none_of(files_.begin(), files_.end(),
                     [](const auto& file) { return file->step == Step::kRecheck; })) {
      WaitForChange();
    }
    if (ended_ || vp::StopRequested() || vp::OutputGone() ||
        !std::all_of(files_.begin(), files_.end(), caughtUp)) {
      return;
    }
  }
}

bool Tail::Continues(File& file, Step step) {
  switch (step) {
    case Step::kWait:
    case Step::kRecheck:
    case Step::kEnded:
      file.step = step;
      return true;
    case Step::kFail:
      failed_ = true;
      file.step = step;
      return true;
    case Step::kNotReopened:
      failed_ = true;
      file.step = Step::kWait;
      return true;
    case Step::kOutputFailed:
      failed_ = true;
      outputFailed_ = true;
      break;
    case Step::kStop:
      break;
  }
  ended_ = true;
  return false;
}

void Tail::WaitForChange() {
  int limit = -1;
  for (const auto& file : files_) {
    if (!IsFollowed(file->step)) {
      continue;
    }
    if (!Continues(*file, file->follower->Idle())) {
      return;
    }
    const int own = file->follower->WaitLimit();
    limit = own < 0 ? limit : limit < 0 ? own : std::min(limit, own);
  }
  waiter_.Wait(limit);
}

// "web.20261209, app.log", then " - 3 alerts" (" - 1 alert") once alerts have been raised.
void Tail::ShowTitle() {
  std::string title;
  for (const auto& file : files_) {
    if (IsFollowed(file->step)) {
      title += (title.empty() ? "" : ", ") + file->name;
    }
  }
  if (const std::size_t alerts = alarm_ != nullptr ? alarm_->count() : 0; alerts > 0) {
    title += " - " + std::to_string(alerts) + (alerts == 1 ? " alert" : " alerts");
  }
  if (title != title_) {
    title_ = title;
    // A console's title shows the names' control characters visibly, as the text is shown.
    session_.ShowTitle(VisibleText(title, terminal::ReadsUtf8(true)));
  }
}

int Tail::End() {
  for (const auto& file : files_) {
    // Shows what is still held at the end of the input.
    if (file->opened && !outputFailed_) {
      Continues(*file, StepAfterWrite(file->out.EndOfFile()));
    }
    file->out.CloseColour();
  }
  return failed_ ? 1 : 0;
}
