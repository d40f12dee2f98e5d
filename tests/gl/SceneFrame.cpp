#include "SceneFrame.h"

#include <GL/glew.h>

#include <cmath>

#include "TestImages.h"
#include "app/Window.h"
#include "engine/AnimatedGroup.h"
#include "engine/Animation.h"
#include "engine/Camera.h"

void SceneFrame::begin(Rgba background, int width, int height) {
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

void SceneFrame::end() {
  for (GLenum state : {GL_CULL_FACE, GL_LIGHTING, GL_DEPTH_TEST, GL_BLEND, GL_TEXTURE_2D}) glDisable(state);
  for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY}) glDisableClientState(array);
  glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
  glDepthRange(0.0, 1.0);
  glDepthFunc(GL_LESS);
  glLineWidth(1.0f);
  glBindTexture(GL_TEXTURE_2D, 0);
  glColor4f(1, 1, 1, 1);
  glViewport(0, 0, GlTestContext::kWidth, GlTestContext::kHeight);
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
  const auto addOutward = [&](uint32_t a, uint32_t b, uint32_t c) {
    const Vector3 n = cross(vertices[b] - vertices[a], vertices[c] - vertices[a]);
    if (length(n) < 1e-6f) return;  // the poles' slivers
    if (dot(n, vertices[a]) > 0) {
      faces.emplace_back(a, b, c);
    } else {
      faces.emplace_back(a, c, b);
    }
  };
  for (int i = 0; i < stacks; ++i) {
    for (int j = 0; j < slices; ++j) {
      addOutward(at(i, j), at(i + 1, j), at(i + 1, j + 1));
      addOutward(at(i, j), at(i + 1, j + 1), at(i, j + 1));
    }
  }
  auto object = std::make_shared<SceneObject>(name);
  object->setVertices(std::move(vertices));
  object->setNormals(std::move(normals));
  object->setFaces(std::move(faces));
  return object;
}

void placeAt(SceneObject& object, float x, float y, float z) {
  auto clip = std::make_shared<Animation>(1, 16);
  clip->setMatrix(translate(Matrix(), x, y, z));
  object.animator().addAnimation(clip);
}

std::shared_ptr<Material> diffuseMaterial(const Vector3& rgb, std::shared_ptr<Material> material) {
  if (!material) material = std::make_shared<Material>();
  material->setAmbient({0, 0, 0});
  material->setDiffuse(rgb);
  material->setSpecular({0, 0, 0});
  return material;
}

void useMaterial(const std::shared_ptr<SceneObject>& object, const std::shared_ptr<Material>& material) {
  object->setMaterial(material);
  material->addObject(object);
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
