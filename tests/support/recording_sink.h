#pragma once

#include <algorithm>
#include <cstddef>
#include <random>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "output/note_sink.h"
#include "platform/output.h"
#include "platform/output_sink.h"

// The end of an output chain in a test: records what reaches it, and the notes of its stages.
class Recorder final : public platform::OutputSink, public NoteSink {
 public:
  platform::WriteResult Write(std::span<const char> bytes) override {
    text.append(bytes.data(), bytes.size());
    largestWrite = std::max(largestWrite, bytes.size());
    return platform::WriteResult::kWritten;
  }
  void Note(const char* note) override { notes.emplace_back(note); }
  std::string text;
  std::size_t largestWrite = 0;
  std::vector<std::string> notes;
};

// Writes `text` to `stage` in pieces of 1 to `longest` bytes, as reads may cut it, with a wait for the
// writer after about one piece in `waitOneIn`, and then ends the file.
inline void WriteInRandomPieces(platform::OutputSink& stage, std::string_view text, std::mt19937& random,
                                std::size_t longest, unsigned waitOneIn) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length = std::min<std::size_t>(1 + random() % longest, text.size() - at);
    stage.Write(text.substr(at, length));
    if (random() % waitOneIn == 0) {
      stage.Idle();
    }
    at += length;
  }
  stage.EndOfFile();
}
