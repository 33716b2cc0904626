#include "follow/tail.h"

#include <algorithm>
#include <utility>

namespace vp = viewer_platform;

Tail::Tail(const std::vector<const char*>& files, const OutputSettings& settings, terminal::Session& session)
    : session_(session), shared_(settings.headers) {
  for (const char* name : files) {
    File file;
    file.out = std::make_unique<FileOutput>(
        settings, shared_, name == std::string_view(vp::kStandardInputName) ? "standard input" : name);
    file.out->Begin(settings.encoding);
    file.follower =
        std::make_unique<Follower>(name, vp::ToNativePath(name), settings.encoding, *file.out, waiter_);
    files_.push_back(std::move(file));
  }
}

int Tail::Run(const ShowOptions& options) {
  if (ShowAll(options) && options.follow) {
    Follow();
  }
  return End();
}

bool Tail::ShowAll(const ShowOptions& options) {
  const bool single = files_.size() == 1;
  for (File& file : files_) {
    if (!file.follower->Open()) {
      // A stop while waiting to open is a stop like any other.
      failed_ = failed_ || !vp::StopRequested();
      file.step = Step::kFail;
      continue;
    }
    file.opened = true;
    if (!Continues(file, Follower::Written(file.out->Announce()))) {
      return false;
    }
    if (file.follower->IsStream()) {
      // Followed only when it is the one file; otherwise shown to its end.
      ShowOptions shown = options;
      shown.follow = options.follow && single;
      const Step step = file.follower->ShowStream(shown);
      file.step = Step::kFail;
      failed_ = failed_ || step == Step::kFail;
      if (step == Step::kOutputFailed || vp::StopRequested() || vp::OutputGone()) {
        return Continues(file, step == Step::kOutputFailed ? step : Step::kStop);
      }
      continue;
    }
    if (!Continues(file, file.follower->ShowLastLines(options)) || vp::StopRequested()) {
      return false;
    }
  }
  return true;
}

void Tail::Follow() {
  const auto following = [](const File& file) { return file.step != Step::kFail; };
  while (!ended_ && std::any_of(files_.begin(), files_.end(), following)) {
    ShowTitle();
    for (File& file : files_) {
      if (file.step == Step::kWait && !Continues(file, file.follower->Check())) {
        return;
      }
    }
    if (std::none_of(files_.begin(), files_.end(),
                     [](const File& file) { return file.step == Step::kRecheck; })) {
      WaitForChange();
    }
    if (ended_ || vp::StopRequested() || vp::OutputGone()) {
      return;
    }
    for (File& file : files_) {
      if (following(file) && !Continues(file, file.follower->CatchUp())) {
        return;
      }
    }
  }
}

bool Tail::Continues(File& file, Step step) {
  switch (step) {
    case Step::kWait:
    case Step::kRecheck:
      file.step = step;
      return true;
    case Step::kFail:
      failed_ = true;
      file.step = step;
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
  for (File& file : files_) {
    if (file.step == Step::kFail) {
      continue;
    }
    if (!Continues(file, file.follower->Idle())) {
      return;
    }
    const int own = file.follower->WaitLimit();
    limit = own < 0 ? limit : limit < 0 ? own : std::min(limit, own);
  }
  waiter_.Wait(limit);
}

void Tail::ShowTitle() {
  std::string title;
  for (const File& file : files_) {
    if (file.step != Step::kFail) {
      title += (title.empty() ? "" : ", ") + file.follower->name();
    }
  }
  if (title != title_) {
    title_ = title;
    session_.ShowTitle(title);
  }
}

int Tail::End() {
  for (File& file : files_) {
    // Shows what is still held at the end of the input.
    if (file.opened && !outputFailed_) {
      Continues(file, Follower::Written(file.out->EndOfFile()));
    }
    file.out->CloseColour();
  }
  return failed_ ? 1 : 0;
}
