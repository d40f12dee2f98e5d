#pragma once
// The three short effects that decorate play: dust under a walking player, a
// flash where a racket meets the ball, a blur behind a fast ball. Each is a
// model kept by the scene as an effect template; the game only spawns
// instances of it at a placement matrix, and the scene plays each instance's
// clip once and drops it. The templates' indices in the scene are kept here,
// process-wide, once the match set-up has loaded them.

#include <cstdint>
#include <memory>

class Scene;
class TextureFactory;

// Until loadPlayEffectTemplates runs, the indices that the three templates
// take when they are the first ones a scene gets.
struct PlayEffectTemplates {
  uint32_t dust = 0;
  uint32_t hitFlash = 1;
  uint32_t blur = 2;
};

PlayEffectTemplates& playEffectTemplates();

// Reads the three models, in the order dust, hit flash, blur, adds each as an
// effect template of the scene and stores the indices.
void loadPlayEffectTemplates(Scene& scene, std::shared_ptr<TextureFactory> textures = nullptr);
