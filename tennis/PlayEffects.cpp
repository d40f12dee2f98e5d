#include "tennis/PlayEffects.h"

#include "assets/AseReader.h"
#include "engine/Scene.h"
#include "tennis/ModelFiles.h"

PlayEffectTemplates& playEffectTemplates() {
  static PlayEffectTemplates templates;
  return templates;
}

void loadPlayEffectTemplates(Scene& scene, std::shared_ptr<TextureFactory> textures) {
  PlayEffectTemplates& indices = playEffectTemplates();
  indices.dust = scene.addEffectTemplate(AseReader(kDustEffectFile, textures).load());
  indices.hitFlash = scene.addEffectTemplate(AseReader(kHitFlashEffectFile, textures).load());
  indices.blur = scene.addEffectTemplate(AseReader(kBlurEffectFile, textures).load());
}
