// Over any bytes in any of a few character sets, cut anywhere, the decode stage (which lets runs of ASCII
// pass its converter by, where the converter keeps them) gives what a plain conversion of all the bytes at
// once gives.
#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "output/decode_stage.h"
#include "platform/charset_converter.h"
#include "recording_sink.h"

namespace {

constexpr std::array<const char*, 16> kCharsets{
    "CP949", "EUC-KR", "SHIFT_JIS", "GB18030",    "BIG5",         "EUC-JP",      "ISO-8859-1", "CP1252",
    "UTF-8", "CP1258", "TSCII",     "BIG5-HKSCS", "EUC-JISX0213", "ISO-2022-KR", "UTF-16LE",   "UTF-7"};
// The longest incomplete character the decode stage holds for the next write.
constexpr std::size_t kHeldLimit = 16;

// Every byte through the converter in one piece: an invalid byte, and an incomplete character at the end,
// as the replacement; then what the converter still holds back, as at the end of a text.
std::string PlainConversion(platform::CharsetConverter& converter, std::string_view bytes) {
  std::string converted;
  // Room for the most any set here gives for a byte (TSCII: three characters of three bytes).
  std::string block(16 * bytes.size() + 64, '\0');
  while (!bytes.empty()) {
    const platform::CharsetConverter::Progress progress = converter.Convert(bytes, block);
    converted.append(block.data(), progress.written);
    bytes.remove_prefix(progress.read);
    if (progress.stop == platform::CharsetConverter::Stop::kIncomplete && bytes.size() < kHeldLimit) {
      converted.append(block.data(), converter.Finish(block));
      return converted + std::string(converter.Replacement());
    }
    if (progress.stop != platform::CharsetConverter::Stop::kDone) {
      converted += converter.Replacement();
      bytes.remove_prefix(std::min(converter.UnitSize(), bytes.size()));
    }
  }
  converted.append(block.data(), converter.Finish(block));
  return converted;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) {
    return 0;
  }
  const char* charset = kCharsets[data[0] % kCharsets.size()];
  const std::size_t longestPiece = 1 + data[1] % 40;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
  const std::unique_ptr<platform::CharsetConverter> plain = platform::OpenConverter(charset, "UTF-8");
  std::unique_ptr<platform::CharsetConverter> converter = platform::OpenConverter(charset, "UTF-8");
  if (plain == nullptr || converter == nullptr) {
    return 0;
  }
  Recorder recorder;
  DecodeStage stage(std::move(converter), recorder);
  for (std::size_t at = 0, piece = 0; at < bytes.size(); at += piece) {
    piece = std::min(1 + (at * 13 + bytes.size()) % longestPiece, bytes.size() - at);
    stage.Write(bytes.substr(at, piece));
  }
  stage.EndOfFile();
  FUZZ_CHECK(recorder.text == PlainConversion(*plain, bytes));
  return 0;
}
