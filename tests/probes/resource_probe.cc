// resource_probe EXE VERSION: reads EXE's resources back through the calls Explorer's Properties and
// the program loader use, and checks that its version resource gives VERSION as file and product
// version (the strings, in the language its translation table names, and the numbers), that its
// original file name is EXE's own, and that its application manifest runs it asInvoker and declares
// it longPathAware. Prints each check that fails; the exit status is 1 when one does.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

int g_failures = 0;

void Expect(bool holds, const char* what, const std::string& found) {
  if (!holds) {
    std::printf("%s, found: %s\n", what, found.c_str());
    ++g_failures;
  }
}

void ExpectEqual(const char* what, const std::string& expected, const std::string& found) {
  Expect(found == expected, what, found);
}

class VersionInfo {
 public:
  explicit VersionInfo(const char* path) {
    DWORD ignored = 0;
    data_.resize(GetFileVersionInfoSizeA(path, &ignored));
    if (data_.empty() || !GetFileVersionInfoA(path, 0, static_cast<DWORD>(data_.size()), data_.data())) {
      data_.clear();
    }
  }

  bool present() const { return !data_.empty(); }

  // The string NAME in the first language of the translation table, as Explorer shows it.
  std::string String(const char* name) const {
    WORD* translation = nullptr;
    if (!Query("\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation))) {
      return "(no translation table)";
    }
    char path[64];
    std::snprintf(path, sizeof path, "\\StringFileInfo\\%04X%04X\\%s", translation[0], translation[1], name);
    char* value = nullptr;
    return Query(path, reinterpret_cast<void**>(&value)) ? value : "(missing)";
  }

  std::string FileVersionNumbers() const {
    VS_FIXEDFILEINFO* fixed = nullptr;
    if (!Query("\\", reinterpret_cast<void**>(&fixed)) || fixed->dwSignature != VS_FFI_SIGNATURE) {
      return "(no fixed file information)";
    }
    char text[64];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS));
    return text;
  }

 private:
  bool Query(const char* path, void** value) const {
    UINT length = 0;
    return VerQueryValueA(data_.data(), path, value, &length) != 0 && length != 0;
  }

  std::vector<char> data_;
};

// The manifest the loader reads for an executable: resource 1 of type RT_MANIFEST.
std::string Manifest(const char* path) {
  HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (module == nullptr) {
    return "";
  }
  std::string text;
  if (HRSRC found = FindResourceA(module, CREATEPROCESS_MANIFEST_RESOURCE_ID, RT_MANIFEST)) {
    if (HGLOBAL loaded = LoadResource(module, found)) {
      text.assign(static_cast<const char*>(LockResource(loaded)), SizeofResource(module, found));
    }
  }
  FreeLibrary(module);
  return text;
}

std::string BaseName(const std::string& path) { return path.substr(path.find_last_of("/\\:") + 1); }

}  // namespace

int main(int argc, char* argv[]) {
  if (argc != 3) {
    std::printf("usage: resource_probe EXE VERSION\n");
    return 2;
  }
  const char* exe = argv[1];
  const std::string version = argv[2];
  VersionInfo info(exe);
  Expect(info.present(), "a version resource", "none");
  if (info.present()) {
    ExpectEqual("FileVersion: the project's version", version, info.String("FileVersion"));
    ExpectEqual("ProductVersion: the project's version", version, info.String("ProductVersion"));
    ExpectEqual("OriginalFilename: the executable's name", BaseName(exe), info.String("OriginalFilename"));
    // The numbers have four parts; the project's version may have fewer.
    std::string numbers = version;
    for (auto dots = std::count(numbers.begin(), numbers.end(), '.'); dots < 3; ++dots) {
      numbers += ".0";
    }
    ExpectEqual("the file version numbers: the project's version", numbers, info.FileVersionNumbers());
  }
  const std::string manifest = Manifest(exe);
  Expect(!manifest.empty(), "an application manifest", "none");
  if (!manifest.empty()) {
    Expect(manifest.find("<requestedExecutionLevel level=\"asInvoker\"") != std::string::npos,
           "a manifest running the program asInvoker", manifest);
    Expect(manifest.find(">true</longPathAware>") != std::string::npos, "a manifest declaring longPathAware",
           manifest);
  }
  return g_failures == 0 ? 0 : 1;
}
