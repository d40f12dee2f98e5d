// Compiled into every test program (not through the support library, whose
// unreferenced objects the linker would drop): before any test runs it fills
// in what CTest or the test script did not set, so a test program run by hand
// finds the repository and the run folder of its own build, and never needs
// a sound card.

#include <cstdlib>

namespace {

struct TestEnvironment {
  TestEnvironment() {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("ZUMBOLO_SOURCE_DIR", ZUMBOLO_TEST_SOURCE_DIR, 0);
    setenv("ZUMBOLO_RUN_DIR", ZUMBOLO_TEST_RUN_DIR, 0);
  }
};

const TestEnvironment environment;

}  // namespace
