#include "midnight_case.h"

#include <gtest/gtest.h>

namespace chrono = std::chrono;

namespace {

chrono::milliseconds Until(chrono::system_clock::time_point moment) {
  return std::max(chrono::ceil<chrono::milliseconds>(moment - chrono::system_clock::now()), 0ms);
}

}  // namespace

MidnightRun::MidnightRun(const ViewerCommand& command, const std::vector<std::string>& options,
                         const std::string& shown, const Prepare& prepare) {
  for (chrono::seconds ahead = 2s; ahead <= 32s; ahead *= 2) {
    directory_ = std::make_unique<TempDirectory>();
    zone_ = ZoneWithMidnightIn(ahead);
    const std::string log = prepare(*directory_, zone_);
    std::vector<std::string> argv{"/usr/bin/env", "TZ=" + zone_.tz};
    argv.insert(argv.end(), command.program.begin(), command.program.end());
    argv.insert(argv.end(), options.begin(), options.end());
    argv.insert(argv.end(), {"-f", command.pathForm(log)});
    viewer_ = std::make_unique<ChildProcess>(argv);
    if (viewer_->WaitForOut(shown, Until(zone_.midnight))) {
      return;
    }
    if (!viewer_->out().empty()) {
      ADD_FAILURE() << "shown at start: " << viewer_->out() << viewer_->err();
      break;
    }
  }
  ADD_FAILURE() << "cmdtail did not show its log before midnight";
  viewer_.reset();
}

void MidnightRun::PassMidnight() { viewer_->ReadFor(Until(zone_.midnight) + 200ms); }

void ExpectRolloverAcrossMidnight(const ViewerCommand& command) {
  std::string oldLog;
  std::string newLog;
  const std::string before = "before midnight\n";
  MidnightRun run(command, {}, before, [&](const TempDirectory& directory, const MidnightZone& zone) {
    oldLog = directory.File("web." + DateStamp(zone.newDay - chrono::days{1}));
    newLog = directory.File("web." + DateStamp(zone.newDay));
    WriteFile(oldLog, before);
    return oldLog;
  });
  ASSERT_TRUE(run.Started());
  ChildProcess& viewer = run.viewer();
  run.PassMidnight();

  const std::string late = "written to the old log after midnight\n";
  AppendFile(oldLog, late);
  ASSERT_TRUE(viewer.WaitForOut(before + late, command.patience)) << viewer.out() << viewer.err();
  const std::string first = "the new day's first line\n";
  WriteFile(newLog, first);
  ASSERT_TRUE(viewer.WaitForOut(before + late + first, command.patience)) << viewer.out() << viewer.err();
  const std::string second = "and its second\n";
  AppendFile(newLog, second);
  EXPECT_TRUE(viewer.WaitForOut(before + late + first + second, command.patience)) << viewer.out();
  EXPECT_TRUE(ShowsNothingMoreThan(viewer, newLog, before + late + first + second, command.patience))
      << viewer.out();
  EXPECT_EQ(viewer.err(), "cmdtail: " + command.pathForm(oldLog) + ": a new day began; following " +
                              command.pathForm(newLog) + command.errorLineEnd);
}
