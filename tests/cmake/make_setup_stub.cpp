// Writes a stub that brindle-pack accepts to the file named by its argument, for the test of a
// product project (product_project_test.cmake).
#include <cstdio>
#include <string>

#include "tests/tools/tool_test_support.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: cmake_make_setup_stub FILE\n");
    return 2;
  }
  const std::string stub = MakeSetupStub();
  FILE* file = std::fopen(argv[1], "wb");
  const bool written = file && std::fwrite(stub.data(), 1, stub.size(), file) == stub.size();
  return file && std::fclose(file) == 0 && written ? 0 : 1;
}
