// brindle-skin-check: checks skin containers (".uir") as the setup program will read them.
//
//   brindle-skin-check FILE...
//
// For each file prints "FILE: ok (...)" or one line per problem. Exit code 0 when every file is
// sound, 1 when any has a problem or cannot be read, 2 on wrong usage.
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/skin/skin_check.h"
#include "tools/skin/skin_container.h"

namespace {

bool ReadWholeFile(const char* path, std::string& bytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return false;
  }
  bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return !file.bad();
}

// Checks one file and prints the outcome; true when it is sound.
bool CheckFile(const char* path) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) {
    std::fprintf(stderr, "%s: cannot be read\n", path);
    return false;
  }
  SkinContainer skin;
  std::string error;
  if (!ParseSkinContainer(bytes, skin, error)) {
    std::fprintf(stderr, "%s: %s\n", path, error.c_str());
    return false;
  }
  const SkinReport report = CheckSkin(skin);
  for (const std::string& problem : report.problems) {
    std::fprintf(stderr, "%s: %s\n", path, problem.c_str());
  }
  if (!report.problems.empty()) {
    return false;
  }
  std::printf("%s: ok (description %zu bytes, %zu records, %d drawn state entries)\n", path,
              skin.text.size(), skin.records.size(), report.drawn_entries);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: brindle-skin-check FILE...\n");
    return 2;
  }
  bool sound = true;
  for (int i = 1; i < argc; ++i) {
    sound = CheckFile(argv[i]) && sound;
  }
  return sound ? 0 : 1;
}
