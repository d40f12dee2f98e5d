// zumbolo-content RUN_FOLDER
//
// Writes every generated data file of the game into the run folder:
// pictures, bitmap fonts, effect sounds, music and models. Run by the build
// whenever this program changes; the same program always writes the same
// bytes. Prints one line and ends with status 1 when a file cannot be made.

#include <exception>
#include <filesystem>
#include <thread>

#include "content/FontAtlas.h"
#include "content/Music.h"
#include "content/Pictures.h"
#include "content/SoundEffects.h"
#include "engine/Log.h"
#include "content/models/Models.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    printMessage("Uso: %s CARPETA_DE_EJECUCION\n", argv[0]);
    return 2;
  }
  const std::filesystem::path runDir = argv[1];
  // The music is the longest job by far: it runs beside everything else.
  std::exception_ptr musicFailure;
  std::thread music([&] {
    try {
      writeMusic(runDir);
    } catch (...) {
      musicFailure = std::current_exception();
    }
  });
  std::exception_ptr failure;
  try {
    writePictures(runDir);
    writeFonts(runDir);
    writeSoundEffects(runDir);
    writeModels(runDir);
  } catch (...) {
    failure = std::current_exception();
  }
  music.join();
  for (const std::exception_ptr& problem : {failure, musicFailure}) {
    if (!problem) continue;
    try {
      std::rethrow_exception(problem);
    } catch (const std::exception& error) {
      printMessage("zumbolo-content: %s\n", error.what());
    }
    return 1;
  }
  return 0;
}
