// The kinds of scene object beyond the plain mesh (bones, cameras,
// billboards) and the material record that groups meshes for drawing.

#include <gtest/gtest.h>

#include <memory>

#include "MathExpect.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/Material.h"
#include "engine/TextureFactory.h"
#include "engine/ToonMaterial.h"

namespace {
const float kHalfRoot2 = 0.70710678f;

std::shared_ptr<Animation> clipWithBase(const Matrix& base) {
  auto clip = std::make_shared<Animation>(1, 32);
  clip->setMatrix(base);
  return clip;
}
}  // namespace

TEST(BoneObjectUpdate, PivotIsAppliedAfterTheChildrenSawThePlainWorld) {
  const Matrix bindPose = translate(rotate(Matrix(), 30, 0, 1, 0), 2, 3, 4);
  auto bone = std::make_shared<BoneObject>("Bip01");
  bone->animator().addAnimation(clipWithBase(bindPose));
  bone->setPivot(inverse(bindPose));
  auto child = std::make_shared<SceneObject>("hand");
  child->animator().addAnimation(clipWithBase(Matrix()));
  bone->addChild(child);

  bone->updateTree(0, Matrix(), 0);
  // At its bind pose the bone's world, pivot included, is the identity.
  EXPECT_TRUE(matrixNear(bone->worldMatrix(), Matrix(), 1e-5f));
  EXPECT_TRUE(matrixNear(child->worldMatrix(), bindPose, 1e-5f));
}

TEST(CameraDefaults, PlanesAndFieldOfView) {
  Camera camera("Camera01");
  EXPECT_TRUE(camera.isCamera());
  EXPECT_FALSE(SceneObject().isCamera());
  EXPECT_EQ(camera.nearPlane(), 1.0);
  EXPECT_EQ(camera.farPlane(), 1000.0);
  EXPECT_EQ(camera.fovY(), 45.0);
  camera.setFovY(0.1f);
  // Stored widened from the single-precision argument.
  EXPECT_EQ(camera.fovY(), double(0.1f));
  EXPECT_TRUE(camera.target().expired());
}

TEST(CameraView, ShowsTheWorldAtOneTenthFromTheEye) {
  Camera camera;
  camera.setWorldMatrix(translate(rotate(Matrix(), 90, 0, 1, 0), 0, 0, 100));
  const Matrix view = camera.viewMatrix();
  // The eye sits at (100, 0, 0) looking along its own -z, which is world -x.
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(100, 0, 0), view), Vector3(0, 0, 0), 1e-5f));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(0, 0, 0), view), Vector3(0, 0, -10), 1e-5f));
  EXPECT_TRUE(vectorNear(transformPoint(Vector3(100, 20, 0), view), Vector3(0, 2, 0), 1e-5f));
}

TEST(BillboardFacing, KeepsPositionAndShowsItsPlaneToTheCamera) {
  Camera camera;
  camera.setWorldMatrix(translate(rotate(Matrix(), 40, kHalfRoot2, kHalfRoot2, 0), 10, 20, 30));
  const Matrix view = camera.viewMatrix();
  BillboardObject flash("&flash");
  flash.setWorldMatrix(translate(scale(rotate(Matrix(), 70, 0, 0, 1), 3.0f), 5, 6, 7));
  const Vector3 position = translation(flash.worldMatrix());
  flash.faceViewer(view);
  EXPECT_TRUE(vectorNear(translation(flash.worldMatrix()), position, 0.0f));
  // In eye space the billboard's axes are the screen's, at the view's scale.
  const Matrix eye = multiply(flash.worldMatrix(), view);
  EXPECT_TRUE(vectorNear(transformVector(Vector3(1, 0, 0), eye), Vector3(kViewScale, 0, 0), 1e-5f));
  EXPECT_TRUE(vectorNear(transformVector(Vector3(0, 1, 0), eye), Vector3(0, kViewScale, 0), 1e-5f));
}

TEST(DepthOrder, SmallerEyeSpaceZIsFarther) {
  SceneObject near, far;
  near.setWorldMatrix(translate(Matrix(), 0, 0, -5));
  far.setWorldMatrix(translate(Matrix(), 0, 0, -50));
  EXPECT_TRUE(far.isFartherThan(near));
  EXPECT_FALSE(near.isFartherThan(far));
  EXPECT_FALSE(near.isFartherThan(near));
}

TEST(MaterialRecord, DefaultsAndColours) {
  Material material(7);
  EXPECT_EQ(material.shaderProgram(), 7u);
  EXPECT_TRUE(material.diffuse() == Vector3(0.7f, 0.7f, 0.7f));
  EXPECT_TRUE(material.ambient() == Vector3(0.7f, 0.7f, 0.7f));
  EXPECT_TRUE(material.specular() == Vector3(0.7f, 0.7f, 0.7f));
  EXPECT_FALSE(material.hasTexture());
  EXPECT_FALSE(material.hasAlphaTexture());
  material.setSpecular(Vector3(0.1f, 0.2f, 0.3f));
  EXPECT_TRUE(material.specular() == Vector3(0.1f, 0.2f, 0.3f));
}

TEST(MaterialRecord, TextureAlphaDecidesTheGroup) {
  RecordingTextureFactory textures;
  textures.markAlpha("models/stadium/publico.tga");
  Material opaque, blended;
  opaque.setTexture(textures.create("models/stadium/pista.bmp"));
  blended.setTexture(textures.create("models/stadium/publico.tga"));
  EXPECT_TRUE(opaque.hasTexture());
  EXPECT_FALSE(opaque.hasAlphaTexture());
  EXPECT_TRUE(blended.hasAlphaTexture());
  EXPECT_EQ(textures.paths(),
            (std::vector<std::string>{"models/stadium/pista.bmp", "models/stadium/publico.tga"}));
  EXPECT_EQ(opaque.texture()->path(), "models/stadium/pista.bmp");
  EXPECT_EQ(opaque.texture()->glTexture(), 0u);
}

TEST(MaterialObjects, AddAndRemoveKeepOrder) {
  auto material = std::make_shared<ToonMaterial>(3);
  auto a = std::make_shared<SceneObject>("a");
  auto b = std::make_shared<SceneObject>("b");
  auto c = std::make_shared<SceneObject>("c");
  material->addObject(a);
  material->addObject(b);
  material->addObject(c);
  material->removeObject(b.get());
  material->removeObject(b.get());
  const auto objects = material->objects();
  ASSERT_EQ(objects->size(), 2u);
  EXPECT_EQ(objects->front(), a);
  EXPECT_EQ(objects->back(), c);
  EXPECT_EQ(material->objectCount(), 2u);
}

TEST(MaterialObjects, MeshAndMaterialDoNotKeepEachOtherAlive) {
  auto material = std::make_shared<Material>();
  auto mesh = std::make_shared<SceneObject>("mesh");
  mesh->setMaterial(material);
  material->addObject(mesh);
  std::weak_ptr<SceneObject> meshLink = mesh;
  std::weak_ptr<Material> materialLink = material;
  material.reset();
  EXPECT_FALSE(materialLink.expired());
  mesh.reset();
  EXPECT_TRUE(meshLink.expired());
  EXPECT_TRUE(materialLink.expired());
}
