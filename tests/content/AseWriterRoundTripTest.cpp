// The model writer against the game's own reader: a small skinned model with
// two clips (one in the model file, one in a clip file) is written, read back
// and posed, and must be where the description put it.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "assets/ModelProbe.h"
#include "content/models/AseWriter.h"
#include "engine/Animation.h"
#include "engine/SkinnedObject.h"
#include "tests/content/ModelTestSupport.h"

namespace {

// Rotation by `degrees` about a unit axis, then the translation.
Matrix placed(const Vector3& position, float degrees = 0, const Vector3& axis = {0, 1, 0}) {
  return rotate(translate(Matrix(), position), degrees, axis.x, axis.y, axis.z);
}

// A square of side 2 * half facing +z, a quarter of its picture wide.
AseMesh square(float half) {
  AseMesh mesh;
  mesh.positions = {{-half, -half, 0}, {half, -half, 0}, {half, half, 0}, {-half, half, 0}};
  mesh.normals.assign(4, Vector3(0, 0, 1));
  mesh.texCoords = {{0, 0, 0}, {0.25f, 0, 0}, {0.25f, 1, 0}, {0, 1, 0}};
  mesh.faces = {{0, 1, 2}, {0, 2, 3}};
  return mesh;
}

// Motions whose angle and offset grow linearly with time about a fixed axis:
// the reader's interpolation between frames then gives them exactly.
Matrix hipMotion(size_t clip, uint32_t timeMs) {
  const float t = timeMs / 1000.0f;
  if (clip == 0) return placed({10 + 60 * t, 35, -20 + 15 * t}, 25 + 140 * t, {0, 1, 0});
  return rotate(placed({-5, 40 - 30 * t, 8}, 10, {1, 0, 0}), -200 * t, 0.6f, 0.8f, 0.0f);
}

Matrix legMotion(size_t clip, uint32_t timeMs) {
  const float t = timeMs / 1000.0f;
  if (clip == 0) return placed({0, -30, 0}, 20 + 95 * t, {1, 0, 0});
  return rotate(placed({4 * t, -30, 2}, 15, {0, 0, 1}), 170 * t, 0.0f, 0.6f, -0.8f);
}

Vector3 sparkOffset(size_t clip, uint32_t frame) {
  return {0.25f * static_cast<float>((frame + 1 + clip) % 4), clip == 0 ? 0.0f : 0.5f, 0.0f};
}

AseNode node(const std::string& name, AseNodeKind kind, int parent, const Matrix& rest, int material = -1,
             AseMotion motion = {}) {
  AseNode made;
  made.name = name, made.kind = kind, made.parent = parent, made.rest = rest, made.material = material;
  made.motion = std::move(motion);
  return made;
}

AseScene testScene() {
  AseScene scene;
  scene.clipFrames = {12, 9};
  const int skinMaterial = scene.addMaterial({"Piel [cartoon]", {0.9f, 0.6f, 0.5f}, {0.9f, 0.6f, 0.5f}, {}, ""});
  const int sparkMaterial = scene.addMaterial({"Chispa", {1, 1, 1}, {1, 1, 1}, {}, "chispa.tga"});
  const int hip = scene.addNode(node("Cadera", AseNodeKind::Bone, -1, Matrix(), -1, hipMotion));
  const int leg = scene.addNode(node("Pierna", AseNodeKind::Bone, hip, Matrix(), -1, legMotion));
  // A column of three rings of four vertices: the top ring on the hip, the
  // middle one shared, the bottom one mostly on the leg; one vertex of the
  // middle ring without weights rides on the skin itself.
  AseNode body = node("Cuerpo", AseNodeKind::Skinned, -1, placed({5, 40, -3}, 30), skinMaterial);
  body.bones = {static_cast<size_t>(hip), static_cast<size_t>(leg)};
  const std::vector<AseBoneWeight> ringWeights[] = {{{0, 1.0f}}, {{0, 0.5f}, {1, 0.5f}}, {{1, 0.7f}, {0, 0.3f}}};
  for (uint32_t ring = 0; ring < 3; ++ring) {
    for (uint32_t k = 0; k < 4; ++k) {
      const Vector3 out(std::cos(k * 1.5707964f), 0, std::sin(k * 1.5707964f));
      body.mesh.positions.push_back(out * 8.0f + Vector3(0, -25.0f * static_cast<float>(ring), 0));
      body.mesh.normals.push_back(out);
      body.weights.push_back(ring == 1 && k == 3 ? std::vector<AseBoneWeight>{} : ringWeights[ring]);
      if (ring == 2) continue;
      const uint32_t a = ring * 4 + k, b = ring * 4 + (k + 1) % 4;
      body.mesh.faces.insert(body.mesh.faces.end(), {Face(a, b, b + 4), Face(a, b + 4, a + 4)});
    }
  }
  scene.addNode(body);
  AseNode hat = node("Sombrero", AseNodeKind::Geometry, leg, placed({0, -20, 5}, 45, {0, 0, 1}), skinMaterial);
  hat.mesh = square(4);
  scene.addNode(hat);
  AseNode spark = node("&Chispa", AseNodeKind::Geometry, -1, Matrix(), sparkMaterial, [](size_t clip, uint32_t ms) {
    return placed({50 + (clip == 0 ? 100.0f : -40.0f) * static_cast<float>(ms) / 1000.0f, 60, 10});
  });
  spark.textureMotion = sparkOffset;
  spark.mesh = square(10);
  scene.addNode(spark);
  AseNode camera = node("Camara", AseNodeKind::Camera, -1, placed({0, 150, 400}, -20, {1, 0, 0}));
  camera.nearPlane = 2.0f, camera.farPlane = 900.0f, camera.fovYDegrees = 40.0f;
  scene.addNode(camera);
  return scene;
}

// The model file and the clip files of `scene` read back by the game's reader.
LoadedModel readBack(const AseScene& scene) {
  LoadedModel back = loadAse(writeAseModel(scene), "models/prueba/prueba.ASE");
  for (size_t clip = 1; clip < scene.clipFrames.size(); ++clip) {
    back.output += back.addClip(writeAseClip(scene, clip), "models/prueba/clip.ASE");
  }
  return back;
}

// The node's own world against the description's: rotation entries are
// unit-sized, translations scene units.
void expectWorld(const SceneObject& object, const Matrix& expected, const std::string& what) {
  const Matrix actual = modeltest::placement(object);
  for (int i = 0; i < 16; ++i) EXPECT_NEAR(actual[i], expected[i], i >= 12 ? 2e-3f : 1e-4f) << what << ", " << i;
}

// Every node that moves holds both clips. The model file's first texture
// offset is not zero, so the reader takes it off the coordinates, which must
// come back as described. assimp knows no bones or skins and skips them.
// Posed, every node and every skinned vertex is where the description puts
// it, at the clips' ends and between frames.
TEST(AseWriterRoundTrip, ReaderTakesTheWholeModelWithoutAMessageAndPosesItAsDescribed) {
  const AseScene scene = testScene();
  LoadedModel back = readBack(scene);
  EXPECT_EQ(back.output, "");
  EXPECT_TRUE(findModelProblems(*back.model).empty());
  EXPECT_EQ(back.model->root->animationDurations(), (std::vector<uint32_t>{11 * kAseMsPerFrame, 8 * kAseMsPerFrame}));
  for (const AseNode& node : scene.nodes) {
    ASSERT_TRUE(back.find(node.name)) << node.name;
    EXPECT_EQ(back.find(node.name)->animator().animationCount(), node.moves() ? 2u : 1u) << node.name;
  }
  EXPECT_EQ(back.find("Sombrero")->parent(), back.find("Pierna").get());
  ASSERT_EQ(back.model->materials.size(), 2u);
  EXPECT_EQ(back.model->materials[0]->name(), "Piel [cartoon]");
  EXPECT_EQ(back.find("Sombrero")->material(), back.model->materials[0]);
  EXPECT_EQ(back.model->materials[1]->texture()->path(), "models/prueba/chispa.tga");
  const auto camera = back.find<Camera>("Camara");
  ASSERT_TRUE(camera);
  EXPECT_EQ(numbersText({static_cast<float>(camera->nearPlane()), static_cast<float>(camera->farPlane()),
                         static_cast<float>(camera->fovY())}),
            "2 900 40");
  EXPECT_EQ(back.model->objects, (std::vector<std::shared_ptr<SceneObject>>{camera}));
  modeltest::expectAssimpFaces(*back.model, writeAseModel(scene));

  const auto spark = back.find("&Chispa");
  EXPECT_EQ(pointsText(spark->texCoords()), pointsText(scene.nodes[static_cast<size_t>(scene.find("&Chispa"))].mesh.texCoords));
  for (size_t clip = 0; clip < 2; ++clip) {
    std::vector<Vector3> described, read;
    for (uint32_t frame = 0; frame < scene.clipFrames[clip]; ++frame) described.push_back(sparkOffset(clip, frame));
    for (const PositionKey& key : spark->animator().animations()[clip]->textureOffsetKeys()) {
      read.push_back(key.frame == read.size() ? key.value : Vector3(NAN, NAN, NAN));
    }
    EXPECT_EQ(pointsText(read), pointsText(described)) << "clip " << clip;
  }

  const auto skin = back.find<SkinnedObject>("Cuerpo");
  ASSERT_TRUE(skin);
  const size_t skinIndex = static_cast<size_t>(scene.find("Cuerpo"));
  const AseNode& body = scene.nodes[skinIndex];
  const std::pair<size_t, std::vector<uint32_t>> times[] = {{0, {0, 32, 100, 180, 210, 352}},
                                                            {1, {0, 48, 64, 160, 250, 256}}};
  for (const auto& [clip, clipTimes] : times) {
    for (uint32_t time : clipTimes) {
      SCOPED_TRACE(std::to_string(time) + " ms of clip " + std::to_string(clip));
      poseModel(*back.model->root, static_cast<uint32_t>(clip), time);
      for (size_t i = 0; i < scene.nodes.size(); ++i) {
        expectWorld(*back.find(scene.nodes[i].name), aseWorld(scene, i, clip, time), scene.nodes[i].name);
      }
      ASSERT_EQ(skin->skinnedVertices().size(), body.mesh.positions.size());
      for (size_t v = 0; v < body.mesh.positions.size(); ++v) {
        const Vector3 bind = transformPoint(body.mesh.positions[v], aseWorld(scene, skinIndex, 0, 0));
        Vector3 expected;
        if (body.weights[v].empty())
          expected = transformPoint(body.mesh.positions[v], aseWorld(scene, skinIndex, clip, time));
        for (const AseBoneWeight& w : body.weights[v]) {
          const size_t bone = body.bones[w.bone];
          expected +=
              transformPoint(bind, multiply(inverse(aseWorld(scene, bone, 0, 0)), aseWorld(scene, bone, clip, time))) *
              w.weight;
        }
        EXPECT_LT(distance(skin->skinnedVertices()[v], expected), 5e-3f) << "vertex " << v;
      }
    }
  }
}

// Four hundred small turns: the text's rounding must not add up.
TEST(AseWriterRoundTrip, LongClipDoesNotDrift) {
  AseScene scene;
  scene.clipFrames = {400};
  AseNode top = node("Peonza", AseNodeKind::Geometry, -1, Matrix(), -1, [](size_t, uint32_t ms) {
    return placed({0, 10, 0}, 0.9f * static_cast<float>(ms), {0.0f, 0.6f, 0.8f});
  });
  top.mesh = square(5);
  scene.addNode(top);
  LoadedModel back = readBack(scene);
  for (uint32_t time : {133 * kAseMsPerFrame, 399 * kAseMsPerFrame}) {
    poseModel(*back.model->root, 0, time);
    expectWorld(*back.find("Peonza"), aseWorld(scene, 0, 0, time), std::to_string(time) + " ms");
  }
}

// Five weights on a vertex, a parent after its child, a name used twice, a
// clip beyond the description's.
TEST(AseWriterRoundTrip, DescriptionsTheReaderCannotTakeAreRefused) {
  AseScene fiveWeights = testScene(), childFirst = testScene(), sameName = testScene();
  fiveWeights.nodes[2].weights[0] = {{0, 0.2f}, {1, 0.2f}, {0, 0.2f}, {1, 0.2f}, {0, 0.2f}};
  childFirst.nodes[0].parent = 3;
  sameName.nodes[4].name = "Cadera";
  for (const AseScene* scene : {&fiveWeights, &childFirst, &sameName}) {
    EXPECT_THROW(writeAseModel(*scene), std::invalid_argument);
  }
  EXPECT_THROW(writeAseClip(testScene(), 2), std::invalid_argument);
}

}  // namespace
