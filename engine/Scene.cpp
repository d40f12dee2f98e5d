#include "engine/Scene.h"

#include <GL/gl.h>
#include <GL/glu.h>

namespace {
constexpr double kScreenWidth = 1024.0;
constexpr double kScreenHeight = 768.0;
}  // namespace

void Scene::update(uint32_t ms) {
  for (const auto& overlay : overlays) overlay->update(ms);
}

void Scene::draw() {
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0.0, kScreenWidth, 0.0, kScreenHeight);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  for (const auto& overlay : overlays) overlay->draw2D();
}

void Scene::addOverlay(std::shared_ptr<Overlay> overlay) { overlays.push_back(std::move(overlay)); }
