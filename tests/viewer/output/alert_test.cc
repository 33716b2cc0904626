// The alarm's pace and the alert stage's lines, in front of sinks that record what reaches them.
#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "output/alarm.h"
#include "output/alert_stage.h"
#include "output/line_filter.h"
#include "recording_sink.h"
#include "text/patterns.h"

namespace {

using std::chrono_literals::operator""ms;

// However many lines raise alerts, the bell rings at most once in two seconds; every line is counted.
TEST(Alarm, RingsOnceInTwoSecondsAndCountsEveryAlert) {
  Recorder bell;
  Alarm alarm(bell);
  const Alarm::Clock::time_point start;
  std::string rung;
  for (const auto& [lines, after, rings] :
       {std::tuple{3, 0ms, true}, std::tuple{5, 1999ms, false}, std::tuple{1, 2000ms, true},
        std::tuple{1, 3999ms, false}, std::tuple{2, 6000ms, true}}) {
    alarm.Raise(lines, start + after);
    rung += rings ? "\a" : "";
    EXPECT_EQ(bell.text, rung) << after.count() << " ms";
  }
  EXPECT_EQ(alarm.count(), 12U);
}

// An alert stage for "panic" in front of a recorder, its alarm ringing into another.
struct AlertChain {
  const Patterns alerts{{std::string("panic")}, false, true};
  const Patterns none;
  const LineFilter alertLines{alerts, none};
  Recorder bell;
  Alarm alarm{bell};
  Recorder out;
  AlertStage stage{alertLines, nullptr, alarm, out, false, out};
};

// The start's lines raise none; its last line, ended after the start, is judged whole, as is a last line
// ended by the end of the file. The bytes go on unchanged, wherever the writes cut them.
TEST(AlertStage, CountsTheLinesEndingAfterTheStartWhereverTheTextIsCut) {
  const std::string start = "panic at start\nquiet\npa";
  const std::string after = "nic, the start's last line\nno\npanic 1\r\nPANIC\n\npanic panic\nlast panic";
  std::mt19937 random(7);
  for (std::size_t cut = 0; cut <= start.size(); ++cut) {
    AlertChain chain;
    chain.stage.Write(std::string_view(start).substr(0, cut));
    chain.stage.Write(std::string_view(start).substr(cut));
    chain.stage.Arm();
    WriteInRandomPieces(chain.stage, after, random, 9, 3);
    EXPECT_EQ(chain.out.text, start + after) << "cut at " << cut;
    EXPECT_EQ(chain.alarm.count(), 4U) << "cut at " << cut;
  }
}

// A line longer than the part of it kept aside is judged by its start, once, and noted once.
TEST(AlertStage, JudgesALineLongerThanItKeepsByItsStart) {
  AlertChain chain;
  chain.stage.Arm();
  const std::string pad(kLongestAlertLine, 'x');
  for (const std::string& line : {"panic " + pad + pad + "\n", pad + " panic\n", std::string("panic\n")}) {
    for (std::size_t at = 0; at < line.size(); at += 65536) {
      chain.stage.Write(std::string_view(line).substr(at, 65536));
    }
  }
  EXPECT_EQ(chain.alarm.count(), 2U);
  EXPECT_EQ(chain.out.notes,
            std::vector<std::string>{"a line longer than 1 MiB is searched for alerts in its first 1 MiB"});
}

}  // namespace
