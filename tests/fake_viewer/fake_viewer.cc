// Stands in for the project's tail viewer in tests: records how it was started into
// "viewer-args.txt" beside its own executable, then ends. On Windows it records the raw command line
// exactly as the launcher handed it over; elsewhere each argument followed by a NUL byte. The record is
// written to a temporary name first and renamed, so a reader never sees half of it.
#include <cstdio>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

std::string OwnDirectory() {
  char path[4096] = {};
#ifdef _WIN32
  GetModuleFileNameA(nullptr, path, sizeof path - 1);
  const char* separator = std::strrchr(path, '\\');
#else
  if (readlink("/proc/self/exe", path, sizeof path - 1) < 0) {
    return ".";
  }
  const char* separator = std::strrchr(path, '/');
#endif
  return separator == nullptr ? std::string(".")
                              : std::string(path, static_cast<std::size_t>(separator - path));
}

std::string Record(int argc, char* argv[]) {
#ifdef _WIN32
  (void)argc;
  (void)argv;
  return GetCommandLineA();
#else
  std::string record;
  for (int i = 0; i < argc; ++i) {
    record.append(argv[i]).push_back('\0');
  }
  return record;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
  const std::string directory = OwnDirectory();
  const std::string partial = directory + "/viewer-args.tmp";
  const std::string record = Record(argc, argv);
  std::FILE* file = std::fopen(partial.c_str(), "wb");
  if (file == nullptr) {
    return 1;
  }
  const bool written = std::fwrite(record.data(), 1, record.size(), file) == record.size();
  if (std::fclose(file) != 0 || !written) {
    return 1;
  }
  return std::rename(partial.c_str(), (directory + "/viewer-args.txt").c_str()) == 0 ? 0 : 1;
}
