// zumbolo-content RUN_FOLDER [ICON_FOLDER]
//
// Writes every generated data file of the game into the run folder:
// pictures, bitmap fonts, effect sounds, music and models; and, when an icon
// folder is given, the desktop icon in its usual sizes there. Run by the build
// whenever this program changes; the same program always writes the same
// bytes. Prints one line and ends with status 1 when a file cannot be made.

#include <exception>
#include <filesystem>
#include <thread>

#include "content/FontAtlas.h"
#include "content/Icon.h"
#include "content/Music.h"
#include "content/Pictures.h"
#include "content/SoundEffects.h"
#include "engine/Log.h"
#include "content/models/Models.h"

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    printMessage("Uso: %s CARPETA_DE_EJECUCION [CARPETA_DE_ICONOS]\n", argv[0]);
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
    if (argc == 3) writeIcons(argv[2]);
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
