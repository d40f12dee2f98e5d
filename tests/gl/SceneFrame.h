#pragma once
// What the scene's pixel tests share: the game's fixed OpenGL state with a
// light along the view direction (diffuse and ambient 1, no global ambient),
// so that a surface facing the camera shows its material's diffuse colour
// exactly and an ambient-only material shows flat; and small models.

#include <memory>
#include <string>

#include "GlTestContext.h"
#include "engine/Model.h"
#include "engine/Scene.h"
#include "support/TempDirectory.h"

// Binds the offscreen target, sets a width x height viewport at its corner,
// clears colour and depth, and sets the fixed state and the light.
void beginSceneFrame(Rgba background, int width = GlTestContext::kWidth, int height = GlTestContext::kHeight);

// The middle of the offscreen picture, where a camera at the origin looks.
constexpr int kCentreX = GlTestContext::kWidth / 2;
constexpr int kCentreY = GlTestContext::kHeight / 2;

// A new scene seen through the camera "Eye" at the origin, looking down -z.
std::unique_ptr<Scene> sceneWithEye();

// Base of the scene pixel tests: the context, then a fresh 3D frame, and a
// scene for them.
class ScenePixelTestBase : public GlTest {
 protected:
  void SetUp() override {
    GlTest::SetUp();
    if (!HasFatalFailure()) beginSceneFrame(kBackground);
  }
  static constexpr Rgba kBackground{0, 0, 0, 255};
  std::unique_ptr<Scene> scene;
};

// A square of side 2 * half in its XY plane, facing +z, with texture
// coordinates 0..1; a sphere of `radius` around its origin.
std::shared_ptr<SceneObject> squareObject(const std::string& name, float half);
std::shared_ptr<SceneObject> sphereObject(const std::string& name, float radius, int slices, int stacks);
// Gives the object a one-frame clip whose base matrix puts it at (x, y, z),
// so that the scene's update places it as a loaded model's mesh is placed,
// and links it and `material` both ways, as the model reader does.
std::shared_ptr<SceneObject> placed(std::shared_ptr<SceneObject> object, float x, float y, float z,
                                    const std::shared_ptr<Material>& material);
// A material that shows `rgb` on a surface facing the camera (diffuse only).
std::shared_ptr<Material> diffuseMaterial(const Vector3& rgb, std::shared_ptr<Material> material = nullptr);
// A model holding the given objects under one root, and the materials.
std::shared_ptr<Model> modelOf(const std::vector<std::shared_ptr<SceneObject>>& objects,
                               const std::vector<std::shared_ptr<Material>>& materials);
// A white 4 x 4 texture with the given alpha (255: no alpha channel at all).
std::shared_ptr<Texture> whiteTexture(const TempDirectory& folder, uint8_t alpha);
