#include "follow/shown_file.h"

#include <algorithm>

#include "output/messages.h"
#include "platform/files.h"
#include "platform/stop.h"

namespace {

// The bytes up to the last line end among the first `count` of the block, read at `offset`; all of
// them when the block is full, as a line longer than the block is shown in pieces anyway.
std::size_t WholeLinesIn(std::span<const char> block, std::size_t count, std::uint64_t offset,
                         LineEnds ends) {
  if (count == block.size()) {
    return count;
  }
  // Line ends lie at offsets that are multiples of their width from the file's start.
  const std::size_t skew = std::min<std::size_t>((ends.width - offset % ends.width) % ends.width, count);
  const std::size_t whole = ends.WholeLines(block.subspan(skew, count - skew));
  return whole == 0 ? 0 : skew + whole;
}

}  // namespace

platform::FileHandle OpenToShow(const std::string& path, const std::string& name, platform::FileId& id) {
  const platform::FileHandle file = platform::OpenForReading(path);
  // The reason is read before any other call on the handle, which would replace it.
  if (file == platform::kNoFile || (path != platform::kStandardInputName && platform::CanSeek(file) &&
                                    !platform::IdentifyOpen(file, id))) {
    if (!platform::StopRequested()) {
      Report(name, "cannot open", platform::LastErrorText());
    }
    if (file != platform::kNoFile) {
      platform::Close(file);
    }
    return platform::kNoFile;
  }
  return file;
}

Step ShowToEnd(ShownFile& shown, bool wholeLinesOnly, std::span<char> block, platform::OutputSink& out,
               const std::string& name, std::uint64_t until) {
  while (!platform::StopRequested()) {
    if (shown.offset >= until) {
      return Step::kWait;
    }
    block =
        block.first(static_cast<std::size_t>(std::min<std::uint64_t>(block.size(), until - shown.offset)));
    const std::ptrdiff_t count = platform::ReadAt(shown.file, shown.offset, block);
    if (count < 0) {
      Report(name, "cannot read", platform::LastErrorText());
      return Step::kFail;
    }
    const auto length = static_cast<std::size_t>(count);
    const std::size_t shownLength =
        wholeLinesOnly ? WholeLinesIn(block, length, shown.offset, shown.lineEnds) : length;
    if (shownLength == 0) {
      return Step::kWait;
    }
    const Step written = StepAfterWrite(out.Write(block.first(shownLength)));
    if (written != Step::kWait) {
      return written;
    }
    shown.offset += shownLength;
    // A read that did not fill the block reached the end as it was: what comes after is waited for,
    // not read again at once.
    if (length < block.size()) {
      return Step::kWait;
    }
  }
  return Step::kStop;
}
