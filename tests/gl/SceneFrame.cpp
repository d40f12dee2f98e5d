#include "SceneFrame.h"

#include <GL/glew.h>

#include <cmath>

#include "TestImages.h"
#include "app/Window.h"
#include "engine/AnimatedGroup.h"
#include "engine/Animation.h"
#include "engine/Camera.h"

void beginSceneFrame(Rgba background, int width, int height) {
  GlTestContext::bindTarget();
  glViewport(0, 0, GlTestContext::kWidth, GlTestContext::kHeight);
  glClearColor(background.r / 255.0f, background.g / 255.0f, background.b / 255.0f, 1.0f);
  glClearDepth(1.0);
  glDepthMask(GL_TRUE);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glViewport(0, 0, width, height);

  // The game's fixed state, then the test light.
  glCullFace(GL_BACK);
  glBindTexture(GL_TEXTURE_2D, 0);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  setFixedGlState();
  const GLfloat one[] = {1, 1, 1, 1};
  const GLfloat none[] = {0, 0, 0, 1};
  const GLfloat towardsTheScene[] = {0, 0, 1, 0};
  glLightfv(GL_LIGHT0, GL_AMBIENT, one);
  glLightfv(GL_LIGHT0, GL_DIFFUSE, one);
  glLightfv(GL_LIGHT0, GL_SPECULAR, none);
  glLightfv(GL_LIGHT0, GL_POSITION, towardsTheScene);
  glLightModelfv(GL_LIGHT_MODEL_AMBIENT, none);
}

std::unique_ptr<Scene> sceneWithEye() {
  auto scene = std::make_unique<Scene>();
  scene->addObject(std::make_shared<Camera>("Eye"));
  scene->setCamera("Eye");
  return scene;
}

std::shared_ptr<SceneObject> squareObject(const std::string& name, float half) {
  auto object = std::make_shared<SceneObject>(name);
  object->setVertices({{-half, -half, 0}, {half, -half, 0}, {half, half, 0}, {-half, half, 0}});
  object->setNormals({{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
  object->setTexCoords({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  object->setFaces({{0, 1, 2}, {0, 2, 3}});
  return object;
}

std::shared_ptr<SceneObject> sphereObject(const std::string& name, float radius, int slices, int stacks) {
  std::vector<Vector3> vertices, normals;
  for (int i = 0; i <= stacks; ++i) {
    const double theta = M_PI * i / stacks;
    for (int j = 0; j < slices; ++j) {
      const double phi = 2 * M_PI * j / slices;
      const Vector3 n(float(std::sin(theta) * std::cos(phi)), float(std::cos(theta)),
                      float(std::sin(theta) * std::sin(phi)));
      normals.push_back(n);
      vertices.push_back(n * radius);
    }
  }
  std::vector<Face> faces;
  const auto at = [slices](int i, int j) { return uint32_t(i * slices + (j % slices)); };
  for (int i = 0; i < stacks; ++i) {
    for (int j = 0; j < slices; ++j) {
      // Wound outwards; the slivers of no area at the poles are left out.
      if (i + 1 < stacks) faces.emplace_back(at(i, j), at(i + 1, j + 1), at(i + 1, j));
      if (i > 0) faces.emplace_back(at(i, j), at(i, j + 1), at(i + 1, j + 1));
    }
  }
  auto object = std::make_shared<SceneObject>(name);
  object->setVertices(std::move(vertices));
  object->setNormals(std::move(normals));
  object->setFaces(std::move(faces));
  return object;
}

std::shared_ptr<SceneObject> placed(std::shared_ptr<SceneObject> object, float x, float y, float z,
                                    const std::shared_ptr<Material>& material) {
  auto clip = std::make_shared<Animation>(1, 16);
  clip->setMatrix(translate(Matrix(), x, y, z));
  object->animator().addAnimation(clip);
  object->setMaterial(material);
  material->addObject(object);
  return object;
}

std::shared_ptr<Material> diffuseMaterial(const Vector3& rgb, std::shared_ptr<Material> material) {
  if (!material) material = std::make_shared<Material>();
  material->setAmbient({0, 0, 0});
  material->setDiffuse(rgb);
  material->setSpecular({0, 0, 0});
  return material;
}

std::shared_ptr<Model> modelOf(const std::vector<std::shared_ptr<SceneObject>>& objects,
                               const std::vector<std::shared_ptr<Material>>& materials) {
  auto model = std::make_shared<Model>();
  model->root = std::make_shared<AnimatedGroup>("root");
  for (const auto& object : objects) model->root->addChild(object);
  model->materials = materials;
  return model;
}

std::shared_ptr<Texture> whiteTexture(const TempDirectory& folder, uint8_t alpha) {
  const bool withAlpha = alpha != 255;
  const Picture picture(4, 4, Rgba{255, 255, 255, alpha});
  const std::string name = "white" + std::to_string(int{alpha}) + ".tga";
  return std::make_shared<Texture>(folder.write(name, tgaFile(picture, withAlpha, false)).string());
}
