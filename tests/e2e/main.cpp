// Entry of the end-to-end tests: they start qnv.exe (its path is the first argument) as a
// process of its own and drive it as a user would.
#include <windows.h>

#include <gtest/gtest.h>

#include "e2e/Driver.h"

int wmain(int argc, wchar_t** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc > 1) qnv::e2e::setProgramPath(argv[1]);
  return RUN_ALL_TESTS();
}
