// Mesh preparation: the split of vertices used with several texture
// coordinates, smooth normals and the seam merge between glued parts.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "MathExpect.h"
#include "engine/SceneObject.h"

namespace {
const float kHalfRoot2 = 0.70710678f;

std::vector<Vector3> texCoordsNumbered(int count) {
  std::vector<Vector3> coordinates;
  for (int i = 0; i < count; ++i) coordinates.emplace_back(float(i), float(i) / 10.0f, 0.0f);
  return coordinates;
}
}  // namespace

TEST(MeshSplit, OnlyTheChainHeadIsComparedWithATextureIndex) {
  SceneObject mesh("quad");
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  mesh.setNormals({{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}});
  mesh.setTexCoords(texCoordsNumbered(6));
  // Vertex 0 is used with texture indices 0, 5, 0, 5.
  mesh.setFaces({{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {0, 1, 3}});
  mesh.setTexFaces({{0, 1, 2}, {5, 2, 3}, {0, 3, 1}, {5, 1, 3}});
  mesh.buildMesh();

  // Second face: a copy (4). Third face: the head matches, vertex 0 again.
  // Fourth face: the head (texture 0) differs, so yet another copy (5)
  // although copy 4 has texture 5.
  ASSERT_EQ(mesh.vertices().size(), 6u);
  EXPECT_TRUE(mesh.faces()[0] == Face(0, 1, 2));
  EXPECT_TRUE(mesh.faces()[1] == Face(4, 2, 3));
  EXPECT_TRUE(mesh.faces()[2] == Face(0, 3, 1));
  EXPECT_TRUE(mesh.faces()[3] == Face(5, 1, 3));
  EXPECT_TRUE(mesh.vertices()[4] == Vector3(0, 0, 0));
  EXPECT_TRUE(mesh.vertices()[5] == Vector3(0, 0, 0));
  EXPECT_TRUE(mesh.normals()[5] == Vector3(0, 0, 1));
  EXPECT_TRUE(mesh.texCoords()[0] == Vector3(0, 0, 0));
  EXPECT_TRUE(mesh.texCoords()[4] == Vector3(5, 0.5f, 0));
  EXPECT_TRUE(mesh.texCoords()[5] == Vector3(5, 0.5f, 0));
  EXPECT_TRUE(mesh.texCoords()[3] == Vector3(3, 0.3f, 0));
  EXPECT_TRUE(mesh.texFaces().empty());
}

TEST(MeshSplit, RecordsChainTheCopiesOfOneVertex) {
  std::vector<Face> faces = {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}};
  const std::vector<Face> texFaces = {{0, 1, 2}, {3, 1, 2}, {4, 1, 2}};
  const std::vector<SplitRecord> records = splitVertices(faces, texFaces, 3);
  ASSERT_EQ(records.size(), 5u);
  EXPECT_EQ(records[0].next, 3);
  EXPECT_EQ(records[3].next, 4);
  EXPECT_EQ(records[4].next, -1);
  EXPECT_EQ(records[3].vertex, 0);
  EXPECT_EQ(records[4].texture, 4);
  EXPECT_EQ(faces[2][0], 4u);
}

TEST(MeshSplit, UnusedVertexWarnsAndTakesTheFirstCoordinate) {
  SceneObject mesh("Suelo");
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {9, 9, 9}});
  mesh.setNormals({{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
  mesh.setTexCoords({{0.5f, 0.5f, 0}, {1, 0, 0}, {0, 1, 0}});
  mesh.setFaces({{0, 1, 2}});
  mesh.setTexFaces({{1, 1, 2}});
  testing::internal::CaptureStdout();
  mesh.buildMesh();
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_EQ(output, "WARNING: Objeto: Suelo vertice no usado 3\n");
  ASSERT_EQ(mesh.texCoords().size(), 4u);
  EXPECT_TRUE(mesh.texCoords()[3] == Vector3(0.5f, 0.5f, 0));
  EXPECT_TRUE(mesh.texCoords()[0] == Vector3(1, 0, 0));
}

TEST(MeshSplit, IndicesOutsideTheArraysAreNotFollowed) {
  SceneObject mesh("broken");
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
  mesh.setNormals({{0, 0, 1}});
  mesh.setTexCoords({{0, 0, 0}});
  mesh.setFaces({{0, 1, 2}, {0, 7, 2}, {1, 2, 0}});
  mesh.setTexFaces({{0, 0, 9}});
  testing::internal::CaptureStdout();
  mesh.buildMesh();
  const std::string output = testing::internal::GetCapturedStdout();
  EXPECT_NE(output.find("broken"), std::string::npos);
  EXPECT_EQ(mesh.vertices().size(), 3u);
  EXPECT_EQ(mesh.normals().size(), 3u);
  EXPECT_EQ(mesh.texCoords().size(), 3u);
  EXPECT_TRUE(mesh.faces()[1] == Face(0, 7, 2));
}

TEST(MeshNormals, CounterClockwiseTriangleFacesPlusZ) {
  SceneObject mesh;
  mesh.setVertices({{0, 0, 0}, {2, 0, 0}, {0, 3, 0}});
  mesh.setFaces({{0, 1, 2}});
  mesh.computeNormals();
  ASSERT_EQ(mesh.normals().size(), 3u);
  for (const Vector3& n : mesh.normals()) EXPECT_TRUE(vectorNear(n, Vector3(0, 0, 1), 0.0f));
}

TEST(MeshNormals, SharedEdgeAveragesUnitFaceNormals) {
  // Two faces folded at 90 degrees along the x axis; the big face must not
  // outweigh the small one.
  SceneObject mesh;
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 5, 0}, {0, 0, 1}});
  mesh.setFaces({{0, 1, 2}, {0, 3, 1}});
  mesh.computeNormals();
  EXPECT_TRUE(vectorNear(mesh.normals()[0], Vector3(0, kHalfRoot2, kHalfRoot2)));
  EXPECT_TRUE(vectorNear(mesh.normals()[2], Vector3(0, 0, 1)));
  EXPECT_TRUE(vectorNear(mesh.normals()[3], Vector3(0, 1, 0)));
}

TEST(MeshNormals, UnusedVertexKeepsAZeroNormal) {
  SceneObject mesh;
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {4, 4, 4}});
  mesh.setFaces({{0, 1, 2}, {0, 1, 99}});
  mesh.computeNormals();
  EXPECT_TRUE(mesh.normals()[3] == Vector3(0, 0, 0));
  EXPECT_TRUE(vectorNear(mesh.normals()[0], Vector3(0, 0, 1), 0.0f));
}

TEST(MeshSeam, CoincidentVerticesShareTheAveragedNormalInEachOwnSpace) {
  auto body = std::make_shared<SceneObject>("body");
  body->setVertices({{1, 0, 0}, {1, 0, 0}, {5, 5, 5}, {1.5f, 0, 0}});
  body->setNormals({{1, 0, 0}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
  // The part is turned a quarter about z and placed at (1, 0, 0) by clip 0.
  auto part = std::make_shared<SceneObject>(";part");
  auto clip = std::make_shared<Animation>(1, 32);
  Matrix placement = rotate(Matrix(), 90, 0, 0, 1);
  placement.m[12] = 1.0f;
  clip->setMatrix(placement);
  part->animator().addAnimation(clip);
  part->setVertices({{0, 0, 0}});
  part->setNormals({{1, 0, 0}});  // (0, 1, 0) in the body's space
  body->addChild(part);

  part->mergeSeamNormals(0.5f);

  const Vector3 average(kHalfRoot2, kHalfRoot2, 0);
  EXPECT_TRUE(vectorNear(body->normals()[0], average));
  // A later partner of the same vertex takes the same average.
  EXPECT_TRUE(vectorNear(body->normals()[1], average));
  EXPECT_TRUE(body->normals()[2] == Vector3(0, 0, 1));
  // Exactly epsilon away is not a partner.
  EXPECT_TRUE(body->normals()[3] == Vector3(0, 0, 1));
  // Back in the part's own space: a quarter turn the other way.
  EXPECT_TRUE(vectorNear(part->normals()[0], Vector3(kHalfRoot2, -kHalfRoot2, 0)));
}

TEST(MeshSeam, WithoutAMeshParentNothingChanges) {
  auto root = std::make_shared<SceneNode>("root");
  auto part = std::make_shared<SceneObject>(";part");
  part->setVertices({{0, 0, 0}});
  part->setNormals({{1, 0, 0}});
  root->addChild(part);
  part->mergeSeamNormals(0.001f);
  EXPECT_TRUE(part->normals()[0] == Vector3(1, 0, 0));
}
