// Fuzzes the model reader: the input is a model file, optionally followed by
// clip files, each after a line "%%CLIP%%". The model is then checked for the
// reader's promises, posed in every clip and skinned; a broken promise aborts.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "assets/AseReader.h"
#include "assets/ModelProbe.h"
#include "engine/TextureFactory.h"

namespace {

constexpr std::string_view kClipMarker = "\n%%CLIP%%\n";
constexpr size_t kMaxClips = 3;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The reader's messages would only slow the fuzzer down.
  if (!std::freopen("/dev/null", "w", stdout)) std::abort();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string_view> files;
  while (files.size() <= kMaxClips) {
    const size_t marker = input.find(kClipMarker);
    files.push_back(input.substr(0, marker));
    if (marker == std::string_view::npos) break;
    input.remove_prefix(marker + kClipMarker.size());
  }

  auto textures = std::make_shared<RecordingTextureFactory>();
  AseReader reader("models/fuzz/model.ASE", textures);
  const std::shared_ptr<Model> model = reader.loadText(std::string(files[0]));
  for (size_t i = 1; i < files.size(); ++i) reader.loadAnimationText(std::string(files[i]), "models/fuzz/clip.ASE");

  const std::vector<std::string> problems = findModelProblems(*model);
  if (!problems.empty()) {
    std::fprintf(stderr, "model problem: %s\n", problems.front().c_str());
    std::abort();
  }
  for (uint32_t clip = 0; clip < model->root->animationCount() + 1; ++clip) {
    for (uint32_t time : {0u, 50u, 1000u, 123457u}) poseModel(*model->root, clip, time);
  }
  return 0;
}
