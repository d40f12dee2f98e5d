#include "ViewerModel.h"

#include <GL/glew.h>

#include <filesystem>
#include <functional>

#include "assets/AseReader.h"
#include "assets/ModelProbe.h"
#include "engine/BoneObject.h"
#include "engine/ImageTextureFactory.h"
#include "engine/ShaderSupport.h"
#include "engine/SkinnedObject.h"
#include "engine/ToonMaterial.h"
#include "tennis/ModelFiles.h"

namespace {

void forEachNode(const SceneNode& node, const std::function<void(const SceneNode&)>& visit) {
  for (const auto& child : node.children()) {
    visit(*child);
    forEachNode(*child, visit);
  }
}

bool isBone(const SceneNode& node) {
  return dynamic_cast<const BoneObject*>(&node) && !dynamic_cast<const SkinnedObject*>(&node);
}

// Where a bone is: its world matrix carries the inverse bind pose (for the
// skin), so its origin is the bind position taken through that matrix.
Vector3 bonePosition(const BoneObject& bone) {
  return transformPoint(translation(inverse(bone.pivot())), bone.worldMatrix());
}

// A plain material that draws like `toon` without the outline.
std::shared_ptr<Material> plainTwin(const Material& toon) {
  auto twin = std::make_shared<Material>(toon.shaderProgram());
  twin->setAmbient(toon.ambient());
  twin->setDiffuse(toon.diffuse());
  twin->setSpecular(toon.specular());
  twin->setName(toon.name());
  twin->setTexture(toon.texture());
  const auto objects = toon.objects();  // held: the loop must not outlive it
  for (const auto& object : *objects) twin->addObject(object);
  return twin;
}

}  // namespace

bool ViewerModel::load(const std::string& path, bool withGameClips, const std::vector<std::string>& extraClips,
                       std::string& problem, std::vector<std::string>& notes) {
  namespace fs = std::filesystem;
  std::error_code error;
  if (!fs::is_regular_file(path, error)) {
    problem = "cannot open " + path + (fs::exists(path, error) ? " (not a file)" : " (no such file)");
    return false;
  }
  // The reader says nothing about a file it cannot open: look first.
  if (std::FILE* probe = std::fopen(path.c_str(), "rb")) {
    std::fclose(probe);
  } else {
    problem = "cannot open " + path + " (not readable)";
    return false;
  }

  AseReader reader(path, std::make_shared<ImageTextureFactory>());
  loaded = reader.load();
  if (!loaded || !loaded->root || loaded->root->children().empty()) {
    problem = path + " holds no object that the game's reader understands";
    return false;
  }
  const auto clipCount = [&] { return loaded->root->animationDurations().size(); };
  const auto addClip = [&](const std::string& file) {
    const size_t before = clipCount();
    if (before > 0) reader.loadAnimation(file);
    if (clipCount() == before) {
      notes.push_back("clip file " + file + " added no clip (missing, or no *SCENE in it)");
      return;
    }
    clipList.push_back({file, loaded->root->animationDurations().back(), uint32_t(std::max(reader.msPerFrame(), 1))});
  };
  if (clipCount() > 0) {
    clipList.push_back({path, loaded->root->animationDurations().front(), uint32_t(std::max(reader.msPerFrame(), 1))});
  }
  if (withGameClips) {
    const fs::path modelFile(path);
    std::string missing;
    for (const std::string& name : gameClipFilesFor(modelFile.filename().string())) {
      const fs::path clip = modelFile.parent_path() / name;
      if (fs::is_regular_file(clip, error)) {
        addClip(clip.string());
      } else {
        missing += " " + name;
      }
    }
    if (!missing.empty()) {
      notes.push_back("the game's clip files missing beside the model (later clips move up one here; the game keeps "
                      "their numbers):" +
                      missing);
    }
  }
  for (const std::string& clip : extraClips) addClip(clip);
  for (const std::string& found : findModelProblems(*loaded)) notes.push_back("problem in the model: " + found);

  // The game draws a mesh only through a material. One that has none (no
  // *MATERIAL_REF, or a reference the reader could not follow) would leave
  // the picture empty without a word: it is shown in the default grey, and
  // said so.
  auto shown = std::make_shared<Model>(*loaded);
  auto standIn = std::make_shared<Material>();
  standIn->setName("(no material)");
  forEachNode(*loaded->root, [&standIn](const SceneNode& node) {
    const auto* object = dynamic_cast<const SceneObject*>(&node);
    if (!object || object->material() || object->isCamera() || isBone(node) || object->faces().empty()) return;
    for (const auto& child : node.parent()->children()) {
      if (child.get() == &node) standIn->addObject(std::static_pointer_cast<SceneObject>(child));
    }
  });
  if (standIn->objectCount() > 0) {
    notes.push_back(std::to_string(standIn->objectCount()) +
                    " mesh(es) without a material, which the game does not draw, shown in grey");
    shown->materials.push_back(standIn);
    meshesWithoutMaterial = standIn->objectCount();
  }
  drawnMaterials = shown->materials;

  outlined = std::make_unique<Scene>();
  outlined->addModel(shown);
  auto twins = std::make_shared<Model>(*shown);
  for (auto& material : twins->materials) {
    if (material && dynamic_cast<const ToonMaterial*>(material.get())) material = plainTwin(*material);
  }
  plain = std::make_unique<Scene>();
  plain->addModel(twins);
  return true;
}

std::vector<std::shared_ptr<Camera>> ViewerModel::cameras() const {
  std::vector<std::shared_ptr<Camera>> found;
  for (const auto& object : loaded->objects) {
    if (auto camera = std::dynamic_pointer_cast<Camera>(object)) found.push_back(camera);
  }
  return found;
}

std::shared_ptr<Camera> ViewerModel::findCamera(const std::string& name) const {
  for (const auto& camera : cameras()) {
    if (camera->name() == name) return camera;
  }
  return nullptr;
}

std::vector<std::string> ViewerModel::materialsWithoutProgram() const {
  std::vector<std::string> names;
  if (!shaderSupport) return names;
  for (const auto& material : loaded->materials) {
    if (!material) continue;
    const size_t open = material->name().find('[');
    const size_t close = material->name().find(']');
    if (open != std::string::npos && close != std::string::npos && open < close &&
        material->shaderProgram() == 0) {
      names.push_back(material->name());
    }
  }
  return names;
}

void ViewerModel::pose(uint32_t clip, uint32_t timeMs) { poseModel(*loaded->root, clip, timeMs); }

Bounds ViewerModel::bounds() const {
  Bounds box;
  for (const auto& material : drawnMaterials) {
    if (!material) continue;
    const auto objects = material->objects();
    for (const auto& object : *objects) {
      if (!object->visible() || object->isCamera()) continue;
      if (const auto* skin = dynamic_cast<const SkinnedObject*>(object.get())) {
        for (const Vector3& v : skin->skinnedVertices()) box.add(v);
      } else if (!isBone(*object)) {
        for (const Vector3& v : object->vertices()) box.add(transformPoint(v, object->worldMatrix()));
      }
    }
  }
  return box;
}

void ViewerModel::draw(const Matrix& view, bool outlines) {
  // The scene's untextured pass samples texture 0 under a shader program,
  // which the shader loader made white: a texture left bound by the last
  // frame must not show through.
  glBindTexture(GL_TEXTURE_2D, 0);
  (outlines ? outlined : plain)->render(view);
}

void ViewerModel::drawBones(const Matrix& view) const {
  useProgram(0);
  glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT | GL_POINT_BIT);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(view.data());
  glLineWidth(2.0f);
  glColor3f(1.0f, 0.85f, 0.1f);
  glBegin(GL_LINES);
  forEachNode(*loaded->root, [](const SceneNode& node) {
    if (!isBone(node) || !node.parent() || !isBone(*node.parent())) return;
    const Vector3 from = bonePosition(static_cast<const BoneObject&>(*node.parent()));
    const Vector3 to = bonePosition(static_cast<const BoneObject&>(node));
    glVertex3f(from.x, from.y, from.z);
    glVertex3f(to.x, to.y, to.z);
  });
  glEnd();
  glPointSize(6.0f);
  glColor3f(1.0f, 0.35f, 0.1f);
  glBegin(GL_POINTS);
  forEachNode(*loaded->root, [](const SceneNode& node) {
    if (!isBone(node)) return;
    const Vector3 at = bonePosition(static_cast<const BoneObject&>(node));
    glVertex3f(at.x, at.y, at.z);
  });
  glEnd();
  glPopAttrib();
}

size_t ViewerModel::boneCount() const {
  size_t count = 0;
  forEachNode(*loaded->root, [&count](const SceneNode& node) { count += isBone(node); });
  return count;
}
