// cmdtail [OPTIONS] [FILE]: shows the last lines of FILE and, with -f, everything appended to it until
// stopped; --help lists the options.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "arguments.h"
#include "charset_converter.h"
#include "colour_stage.h"
#include "decode_stage.h"
#include "follower.h"
#include "output_sink.h"
#include "terminal.h"
#include "viewer_platform.h"

namespace {

// The stages between the follower and standard output: raw -> decode -> colour -> write. Without
// either stage the follower writes straight to standard output.
class OutputChain {
 public:
  // False, after saying so on standard error, when the encoding is unknown.
  bool Build(const char* encoding, bool colour) {
    OutputSink* next = &standard_;
    std::unique_ptr<CharsetConverter> converter;
    if (encoding != nullptr) {
      const std::string charset = OutputCharset();
      converter = OpenConverter(encoding, charset.c_str());
      if (converter == nullptr) {
        std::fprintf(stderr, "cmdtail: unknown encoding %s\n", encoding);
        return false;
      }
      console_ = terminal::OpenConsoleText();
      if (console_ != nullptr) {
        next = console_.get();
      } else if (CanonicalCharsetName(encoding) == CanonicalCharsetName(charset)) {
        converter.reset();
      }
    }
    if (colour) {
      colour_ = std::make_unique<ColourStage>(*next);
      next = colour_.get();
    }
    if (converter != nullptr) {
      decode_ = std::make_unique<DecodeStage>(std::move(converter), *next);
      next = decode_.get();
    }
    head_ = next;
    return true;
  }

  OutputSink& head() { return *head_; }

 private:
  StandardOutput standard_;
  std::unique_ptr<OutputSink> console_;
  std::unique_ptr<ColourStage> colour_;
  std::unique_ptr<DecodeStage> decode_;
  OutputSink* head_ = &standard_;
};

// The option's value, else the environment's CMDTAIL_ENCODING, else none.
const char* EncodingOf(const Arguments& arguments) {
  if (arguments.encoding != nullptr) {
    return arguments.encoding;
  }
  const char* fromEnvironment = std::getenv("CMDTAIL_ENCODING");
  return fromEnvironment != nullptr && *fromEnvironment != '\0' ? fromEnvironment : nullptr;
}

bool WantsColour(ColourMode mode) {
  if (mode == ColourMode::kNever) {
    return false;
  }
  if (mode == ColourMode::kAuto) {
    const char* noColour = std::getenv("NO_COLOR");
    if (!terminal::OutputIsTerminal() || (noColour != nullptr && *noColour != '\0')) {
      return false;
    }
  }
  return terminal::EnableColour();
}

// The status after text written through the C library's standard output: 1, said on standard error,
// when it could not all be written.
int EndOfText() {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) {
    return 0;
  }
  std::fprintf(stderr, "cmdtail: cannot write standard output: %s\n", std::strerror(errno));
  return 1;
}

}  // namespace

int main(int argc, char* argv[]) {
  const Arguments arguments = ParseArguments(argc, argv);
  if (!arguments.error.empty()) {
    std::fprintf(stderr, "cmdtail: %s (usage: cmdtail [OPTIONS] [FILE]; see cmdtail --help)\n",
                 arguments.error.c_str());
    return 2;
  }
  if (arguments.action == Arguments::Action::kHelp) {
    std::fputs(kUsageText, stdout);
    return EndOfText();
  }
  if (arguments.action == Arguments::Action::kVersion) {
    std::printf("cmdtail %s\n", CMDTAIL_VERSION);
    return EndOfText();
  }
  OutputChain output;
  if (!output.Build(EncodingOf(arguments), WantsColour(arguments.colour))) {
    return 2;
  }
  if (!viewer_platform::PrepareProcess()) {
    std::fprintf(stderr, "cmdtail: cannot prepare the process: %s\n",
                 viewer_platform::LastErrorText().c_str());
    return 1;
  }
  Follower follower(arguments.file, viewer_platform::ToNativePath(arguments.file), output.head());
  const int status = follower.Run({.lineCount = arguments.lineCount,
                                   .fromLine = arguments.fromLine,
                                   .follow = arguments.follow,
                                   .rollover = arguments.rollover});
  // Shows what is still held at the end of the input.
  output.head().EndOfFile();
  return status;
}
