// The Windows test programs' main: GoogleTest's, then an end that skips the
// process's teardown. A 32-bit test program under Wine once crashed in that
// teardown after every test had passed (in a cold CI run; never again in
// hundreds of runs): the C runtime's and the threads library's exit work is
// not what these programs test, and a crash there must not fail a run whose
// tests passed. The portable code's destructors are checked on Linux, under
// AddressSanitizer.
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>

#include <windows.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::cout.flush();
  std::cerr.flush();
  std::fflush(nullptr);
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(result));
  return result;
}
