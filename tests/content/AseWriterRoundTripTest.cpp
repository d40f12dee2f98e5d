// The model writer against the game's own reader: a small skinned model with
// two clips (one in the model file, one in a clip file) is written, read back
// and posed, and every node's world matrix and every skinned vertex must be
// where the description put them, at frame times and between frames.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>

#include "assets/AseReader.h"
#include "assets/ModelProbe.h"
#include "content/models/AseWriter.h"
#include "engine/Animation.h"
#include "engine/BoneObject.h"
#include "engine/Camera.h"
#include "engine/SkinnedObject.h"
#include "engine/TextureFactory.h"
#include "tests/content/ModelTestSupport.h"

namespace {

// Rotation by `degrees` about a unit axis, then the translation.
Matrix placed(const Vector3& position, float degrees = 0, const Vector3& axis = {0, 1, 0}) {
  return rotate(translate(Matrix(), position), degrees, axis.x, axis.y, axis.z);
}

// A unit box around the origin, `half` on each side, flat-shaded.
AseMesh box(float half) {
  AseMesh mesh;
  const Vector3 normals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
  for (const Vector3& n : normals) {
    const Vector3 u = std::fabs(n.y) > 0.5f ? Vector3(1, 0, 0) : Vector3(0, 1, 0);
    const Vector3 v = cross(n, u);
    const auto first = static_cast<uint32_t>(mesh.positions.size());
    for (int corner = 0; corner < 4; ++corner) {
      const float a = (corner == 1 || corner == 2) ? 1.0f : -1.0f;
      const float b = corner >= 2 ? 1.0f : -1.0f;
      mesh.positions.push_back((n + u * a + v * b) * half);
      mesh.normals.push_back(n);
      mesh.texCoords.emplace_back(a * 0.5f + 0.5f, b * 0.5f + 0.5f, 0.0f);
    }
    mesh.faces.emplace_back(first, first + 2, first + 1);
    mesh.faces.emplace_back(first, first + 3, first + 2);
  }
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

Matrix sparkMotion(size_t clip, uint32_t timeMs) {
  const float t = timeMs / 1000.0f;
  return placed({50 + (clip == 0 ? 100 : -40) * t, 60, 10});
}

Vector3 sparkOffset(size_t clip, uint32_t frame) {
  return {0.25f * static_cast<float>((frame + 1 + clip) % 4), clip == 0 ? 0.0f : 0.5f, 0.0f};
}

constexpr uint32_t kModelClipFrames = 12;
constexpr uint32_t kSecondClipFrames = 9;

AseScene testScene() {
  AseScene scene;
  scene.clipFrames = {kModelClipFrames, kSecondClipFrames};
  const int skinMaterial = scene.addMaterial({"Piel [cartoon]", {0.9f, 0.6f, 0.5f}, {0.9f, 0.6f, 0.5f}, {}, ""});
  const int sparkMaterial = scene.addMaterial({"Chispa", {1, 1, 1}, {1, 1, 1}, {}, "chispa.tga"});

  AseNode hip;
  hip.name = "Cadera";
  hip.kind = AseNodeKind::Bone;
  hip.motion = hipMotion;
  const int hipIndex = scene.addNode(hip);

  AseNode leg;
  leg.name = "Pierna";
  leg.kind = AseNodeKind::Bone;
  leg.parent = hipIndex;
  leg.motion = legMotion;
  const int legIndex = scene.addNode(leg);

  // A column of three rings of four vertices: the top ring on the hip, the
  // middle one shared, the bottom one mostly on the leg; one vertex of the
  // middle ring without weights rides on the skin itself.
  AseNode body;
  body.name = "Cuerpo";
  body.kind = AseNodeKind::Skinned;
  body.rest = placed({5, 40, -3}, 30, {0, 1, 0});
  body.material = skinMaterial;
  body.bones = {static_cast<size_t>(hipIndex), static_cast<size_t>(legIndex)};
  for (int ring = 0; ring < 3; ++ring) {
    for (int k = 0; k < 4; ++k) {
      const float angle = static_cast<float>(k) * 1.5707964f;
      const Vector3 out(std::cos(angle), 0, std::sin(angle));
      body.mesh.positions.push_back(out * 8.0f + Vector3(0, -25.0f * static_cast<float>(ring), 0));
      body.mesh.normals.push_back(out);
      if (ring == 0) body.weights.push_back({{0, 1.0f}});
      if (ring == 1) body.weights.push_back(k == 3 ? std::vector<AseBoneWeight>{}
                                                   : std::vector<AseBoneWeight>{{0, 0.5f}, {1, 0.5f}});
      if (ring == 2) body.weights.push_back({{1, 0.7f}, {0, 0.3f}});
    }
  }
  for (uint32_t ring = 0; ring < 2; ++ring) {
    for (uint32_t k = 0; k < 4; ++k) {
      const uint32_t a = ring * 4 + k;
      const uint32_t b = ring * 4 + (k + 1) % 4;
      body.mesh.faces.emplace_back(a, b, b + 4);
      body.mesh.faces.emplace_back(a, b + 4, a + 4);
    }
  }
  scene.addNode(body);

  AseNode hat;
  hat.name = "Sombrero";
  hat.parent = legIndex;
  hat.rest = placed({0, -20, 5}, 45, {0, 0, 1});
  hat.material = skinMaterial;
  hat.mesh = box(4);
  scene.addNode(hat);

  AseNode spark;
  spark.name = "&Chispa";
  spark.material = sparkMaterial;
  spark.motion = sparkMotion;
  spark.textureMotion = sparkOffset;
  spark.mesh.positions = {{-10, -10, 0}, {10, -10, 0}, {10, 10, 0}, {-10, 10, 0}};
  spark.mesh.normals.assign(4, Vector3(0, 0, 1));
  spark.mesh.texCoords = {{0, 0, 0}, {0.25f, 0, 0}, {0.25f, 1, 0}, {0, 1, 0}};
  spark.mesh.faces = {{0, 1, 2}, {0, 2, 3}};
  scene.addNode(spark);

  AseNode camera;
  camera.name = "Camara";
  camera.kind = AseNodeKind::Camera;
  camera.rest = placed({0, 150, 400}, -20, {1, 0, 0});
  camera.nearPlane = 2.0f;
  camera.farPlane = 900.0f;
  camera.fovYDegrees = 40.0f;
  scene.addNode(camera);
  return scene;
}

struct ReadBack {
  std::unique_ptr<AseReader> reader;
  std::shared_ptr<Model> model;
  std::string output;
};

ReadBack readBack(const AseScene& scene) {
  ReadBack back;
  back.reader = std::make_unique<AseReader>("models/prueba/prueba.ASE", std::make_shared<RecordingTextureFactory>());
  testing::internal::CaptureStdout();
  back.model = back.reader->loadText(writeAseModel(scene));
  for (size_t clip = 1; clip < scene.clipFrames.size(); ++clip) {
    back.reader->loadAnimationText(writeAseClip(scene, clip), "models/prueba/clip.ASE");
  }
  back.output = testing::internal::GetCapturedStdout();
  return back;
}

template <typename T = SceneObject>
std::shared_ptr<T> find(const ReadBack& back, const std::string& name) {
  return std::dynamic_pointer_cast<T>(back.model->root->findNode(name));
}

// The node's own world in the game's axes: a bone's world carries its
// pivot (the inverse of its file transform at the bind pose).
Matrix ownWorld(const SceneObject& object) {
  if (const auto* bone = dynamic_cast<const BoneObject*>(&object)) {
    return multiply(inverse(bone->pivot()), object.worldMatrix());
  }
  return object.worldMatrix();
}

void expectMatrixNear(const Matrix& actual, const Matrix& expected, const std::string& what) {
  for (int i = 0; i < 16; ++i) {
    // Rotation entries are unit-sized, translations scene units.
    const float tolerance = i >= 12 ? 2e-3f : 1e-4f;
    EXPECT_NEAR(actual[i], expected[i], tolerance) << what << ", element " << i;
  }
}

void expectPosesMatch(const AseScene& scene, size_t clip, std::initializer_list<uint32_t> times) {
  ReadBack back = readBack(scene);
  for (uint32_t time : times) {
    poseModel(*back.model->root, static_cast<uint32_t>(clip), time);
    for (size_t i = 0; i < scene.nodes.size(); ++i) {
      const auto object = find(back, scene.nodes[i].name);
      ASSERT_TRUE(object) << scene.nodes[i].name;
      expectMatrixNear(ownWorld(*object), aseWorld(scene, i, clip, time),
                       scene.nodes[i].name + " at " + std::to_string(time) + " ms of clip " + std::to_string(clip));
    }
  }
}

TEST(AseWriterRoundTrip, ReaderTakesTheFilesWithoutAMessage) {
  const AseScene scene = testScene();
  const ReadBack back = readBack(scene);
  EXPECT_EQ(back.output, "");
  EXPECT_TRUE(findModelProblems(*back.model).empty());
  const std::vector<uint32_t> durations{(kModelClipFrames - 1) * kAseMsPerFrame,
                                        (kSecondClipFrames - 1) * kAseMsPerFrame};
  EXPECT_EQ(back.model->root->animationDurations(), durations);
  // Every node holds both clips, so the second clip is clip 1 everywhere.
  for (const AseNode& node : scene.nodes) {
    const auto object = find(back, node.name);
    ASSERT_TRUE(object) << node.name;
    EXPECT_EQ(object->animator().animationCount(), node.moves() ? 2u : 1u) << node.name;
  }
}

TEST(AseWriterRoundTrip, NodesKeepTheirKindsParentsAndMaterials) {
  const AseScene scene = testScene();
  const ReadBack back = readBack(scene);
  EXPECT_TRUE(find<BoneObject>(back, "Cadera"));
  EXPECT_TRUE(find<SkinnedObject>(back, "Cuerpo"));
  EXPECT_TRUE(find<Camera>(back, "Camara"));
  EXPECT_EQ(find(back, "Sombrero")->parent(), find(back, "Pierna").get());
  EXPECT_EQ(find(back, "Pierna")->parent(), find(back, "Cadera").get());
  ASSERT_EQ(back.model->materials.size(), 2u);
  EXPECT_EQ(back.model->materials[0]->name(), "Piel [cartoon]");
  EXPECT_EQ(find(back, "Sombrero")->material(), back.model->materials[0]);
  ASSERT_TRUE(back.model->materials[1]->hasTexture());
  EXPECT_EQ(back.model->materials[1]->texture()->path(), "models/prueba/chispa.tga");
  EXPECT_EQ(find(back, "Sombrero")->faces().size(), 12u);
}

TEST(AseWriterRoundTrip, ModelClipPosesMatchTheDescription) {
  // 0 and 352 are the clip's ends; 100 and 210 fall between frames.
  expectPosesMatch(testScene(), 0, {0, 32, 100, 210, 352});
}

TEST(AseWriterRoundTrip, ClipFilePosesMatchTheDescription) {
  expectPosesMatch(testScene(), 1, {0, 48, 160, 250, 256});
}

TEST(AseWriterRoundTrip, SkinnedVerticesFollowTheirBones) {
  const AseScene scene = testScene();
  ReadBack back = readBack(scene);
  const auto skin = find<SkinnedObject>(back, "Cuerpo");
  ASSERT_TRUE(skin);
  const size_t skinIndex = static_cast<size_t>(scene.find("Cuerpo"));
  const AseNode& body = scene.nodes[skinIndex];
  const Matrix bindWorld = aseWorld(scene, skinIndex, 0, 0);
  for (const auto& [clip, time] : {std::pair<size_t, uint32_t>{0, 0}, {0, 180}, {1, 64}, {1, 250}}) {
    poseModel(*back.model->root, static_cast<uint32_t>(clip), time);
    ASSERT_EQ(skin->skinnedVertices().size(), body.mesh.positions.size());
    for (size_t v = 0; v < body.mesh.positions.size(); ++v) {
      const Vector3 bind = transformPoint(body.mesh.positions[v], bindWorld);
      Vector3 expected;
      if (body.weights[v].empty())
        expected = transformPoint(body.mesh.positions[v], aseWorld(scene, skinIndex, clip, time));
      for (const AseBoneWeight& w : body.weights[v]) {
        const size_t bone = body.bones[w.bone];
        const Matrix move = multiply(inverse(aseWorld(scene, bone, 0, 0)), aseWorld(scene, bone, clip, time));
        expected += transformPoint(bind, move) * w.weight;
      }
      const Vector3 actual = skin->skinnedVertices()[v];
      EXPECT_NEAR(actual.x, expected.x, 5e-3f) << "vertex " << v << " at " << time << " ms of clip " << clip;
      EXPECT_NEAR(actual.y, expected.y, 5e-3f) << "vertex " << v << " at " << time << " ms of clip " << clip;
      EXPECT_NEAR(actual.z, expected.z, 5e-3f) << "vertex " << v << " at " << time << " ms of clip " << clip;
    }
  }
}

TEST(AseWriterRoundTrip, TextureTrackAndCoordinatesComeBack) {
  const AseScene scene = testScene();
  const ReadBack back = readBack(scene);
  const auto spark = find(back, "&Chispa");
  ASSERT_TRUE(spark);
  const AseNode& node = scene.nodes[static_cast<size_t>(scene.find("&Chispa"))];
  // The model file's first offset is not zero: the reader takes it off the
  // coordinates, which must come back as described.
  ASSERT_EQ(spark->texCoords().size(), node.mesh.texCoords.size());
  for (size_t i = 0; i < node.mesh.texCoords.size(); ++i) {
    EXPECT_NEAR(spark->texCoords()[i].x, node.mesh.texCoords[i].x, 1e-5f) << i;
    EXPECT_NEAR(spark->texCoords()[i].y, node.mesh.texCoords[i].y, 1e-5f) << i;
  }
  for (size_t clip = 0; clip < 2; ++clip) {
    const PositionKeys& keys = spark->animator().animations()[clip]->textureOffsetKeys();
    ASSERT_EQ(keys.size(), scene.clipFrames[clip]) << "clip " << clip;
    for (uint32_t frame = 0; frame < keys.size(); ++frame) {
      EXPECT_EQ(keys[frame]->frame, frame);
      const Vector3 offset = sparkOffset(clip, frame);
      EXPECT_NEAR(keys[frame]->value.x, offset.x, 1e-5f);
      EXPECT_NEAR(keys[frame]->value.y, offset.y, 1e-5f);
    }
  }
}

TEST(AseWriterRoundTrip, CameraKeepsItsPlanesAndFieldOfView) {
  const ReadBack back = readBack(testScene());
  const auto camera = find<Camera>(back, "Camara");
  ASSERT_TRUE(camera);
  EXPECT_NEAR(camera->nearPlane(), 2.0, 1e-5);
  EXPECT_NEAR(camera->farPlane(), 900.0, 1e-3);
  EXPECT_NEAR(camera->fovY(), 40.0, 1e-3);
  ASSERT_EQ(back.model->objects.size(), 1u);
  EXPECT_EQ(back.model->objects[0], camera);
}

TEST(AseWriterRoundTrip, LongClipDoesNotDrift) {
  // Four hundred small turns: the text's rounding must not add up.
  AseScene scene;
  scene.clipFrames = {400};
  AseNode top;
  top.name = "Peonza";
  top.motion = [](size_t, uint32_t timeMs) {
    return placed({0, 10, 0}, 0.9f * static_cast<float>(timeMs), {0.0f, 0.6f, 0.8f});
  };
  top.mesh = box(5);
  const int topIndex = scene.addNode(top);
  ReadBack back = readBack(scene);
  for (uint32_t frame : {133u, 399u}) {
    const uint32_t time = frame * kAseMsPerFrame;
    poseModel(*back.model->root, 0, time);
    expectMatrixNear(find(back, "Peonza")->worldMatrix(), aseWorld(scene, static_cast<size_t>(topIndex), 0, time),
                     "frame " + std::to_string(frame));
  }
}

TEST(AseWriterRoundTrip, AssimpImportsTheRigidObjectsWithTheSameFaces) {
  // assimp knows no bones or skins and skips their blocks.
  const AseScene scene = testScene();
  const std::string text = writeAseModel(scene);
  std::string error;
  const std::map<std::string, size_t> imported = modeltest::assimpFaceCounts(text, error);
  EXPECT_EQ(error, "");
  const ReadBack back = readBack(scene);
  const std::map<std::string, size_t> expected = modeltest::readerFaceCounts(*back.model);
  EXPECT_EQ(expected.size(), 2u);
  for (const auto& [name, faces] : expected) {
    const auto found = imported.find(name);
    ASSERT_NE(found, imported.end()) << name;
    EXPECT_EQ(found->second, faces) << name;
  }
}

TEST(AseWriterRoundTrip, WritingTwiceGivesTheSameBytes) {
  EXPECT_EQ(writeAseModel(testScene()), writeAseModel(testScene()));
  EXPECT_EQ(writeAseClip(testScene(), 1), writeAseClip(testScene(), 1));
}

TEST(AseWriterRoundTrip, DescriptionsTheReaderCannotTakeAreRefused) {
  AseScene fiveWeights = testScene();
  AseNode& body = fiveWeights.nodes[static_cast<size_t>(fiveWeights.find("Cuerpo"))];
  body.weights[0] = {{0, 0.2f}, {1, 0.2f}, {0, 0.2f}, {1, 0.2f}, {0, 0.2f}};
  EXPECT_THROW(writeAseModel(fiveWeights), std::invalid_argument);

  AseScene childFirst = testScene();
  childFirst.nodes[0].parent = 3;
  EXPECT_THROW(writeAseModel(childFirst), std::invalid_argument);

  AseScene sameName = testScene();
  sameName.nodes[4].name = "Cadera";
  EXPECT_THROW(writeAseModel(sameName), std::invalid_argument);

  EXPECT_THROW(writeAseClip(testScene(), 2), std::invalid_argument);
}

}  // namespace
