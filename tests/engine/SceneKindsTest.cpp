// The kinds of scene object beyond the plain mesh (bones, billboards) and the
// material record that groups meshes for drawing.

#include <gtest/gtest.h>

#include <memory>

#include "MathExpect.h"
#include "SceneTestSupport.h"
#include "engine/BillboardObject.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/Material.h"
#include "engine/TextureFactory.h"
#include "engine/ToonMaterial.h"

namespace {

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

TEST(BillboardFacing, KeepsPositionAndShowsItsPlaneToTheCamera) {
  Camera camera;
  camera.setWorldMatrix(translate(rotate(Matrix(), 40, 0.70710678f, 0.70710678f, 0), 10, 20, 30));
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

TEST(MaterialRecord, GreyUntilColouredAndTheTexturesAlphaDecidesTheGroup) {
  RecordingTextureFactory textures;
  textures.markAlpha("models/stadium/publico.tga");
  Material plain(7), opaque, blended;
  EXPECT_EQ(plain.shaderProgram(), 7u);
  EXPECT_TRUE(plain.ambient() == Vector3(0.7f, 0.7f, 0.7f));
  EXPECT_TRUE(plain.diffuse() == Vector3(0.7f, 0.7f, 0.7f));
  EXPECT_TRUE(plain.specular() == Vector3(0.7f, 0.7f, 0.7f));
  EXPECT_FALSE(plain.hasTexture());
  EXPECT_FALSE(plain.hasAlphaTexture());
  opaque.setTexture(textures.create("models/stadium/pista.bmp"));
  blended.setTexture(textures.create("models/stadium/publico.tga"));
  EXPECT_TRUE(opaque.hasTexture());
  EXPECT_FALSE(opaque.hasAlphaTexture());
  EXPECT_TRUE(blended.hasAlphaTexture());
}

TEST(MaterialObjects, AddAndRemoveKeepOrderWithoutKeepingEachOtherAlive) {
  auto material = std::make_shared<ToonMaterial>(3);
  auto a = std::make_shared<SceneObject>("a");
  auto b = std::make_shared<SceneObject>("b");
  auto c = std::make_shared<SceneObject>("c");
  for (const auto& object : {a, b, c}) material->addObject(object);
  material->removeObject(b.get());
  material->removeObject(b.get());
  const auto objects = material->objects();
  ASSERT_EQ(objects->size(), 2u);
  EXPECT_EQ(objects->front(), a);
  EXPECT_EQ(objects->back(), c);

  // The mesh holds its material, the material lists the mesh: no cycle.
  auto shared = std::make_shared<Material>();
  auto mesh = std::make_shared<SceneObject>("mesh");
  mesh->setMaterial(shared);
  shared->addObject(mesh);
  std::weak_ptr<SceneObject> meshLink = mesh;
  std::weak_ptr<Material> materialLink = shared;
  shared.reset();
  EXPECT_FALSE(materialLink.expired());
  mesh.reset();
  EXPECT_TRUE(meshLink.expired());
  EXPECT_TRUE(materialLink.expired());
}

}  // namespace
