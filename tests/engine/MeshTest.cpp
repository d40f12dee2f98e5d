// Mesh preparation: the split of vertices used with several texture
// coordinates, smooth normals and the seam merge between glued parts.

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "MathExpect.h"
#include "SceneTestSupport.h"
#include "engine/SceneObject.h"

namespace {
const float kHalfRoot2 = 0.70710678f;

// Builds the mesh and returns what it printed.
std::string build(SceneObject& mesh) {
  testing::internal::CaptureStdout();
  mesh.buildMesh();
  return testing::internal::GetCapturedStdout();
}
}  // namespace

TEST(MeshSplit, OnlyTheChainHeadIsComparedWithATextureIndex) {
  SceneObject mesh("quad");
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}});
  mesh.setNormals({{0, 0, 1}, {0, 0, 2}, {0, 0, 3}, {0, 0, 4}});
  std::vector<Vector3> texCoords;
  for (int i = 0; i < 6; ++i) texCoords.emplace_back(float(i), float(i) / 10.0f, 0.0f);
  mesh.setTexCoords(texCoords);
  // Vertex 0 is used with texture indices 0, 5, 0, 5.
  mesh.setFaces({{0, 1, 2}, {0, 2, 3}, {0, 3, 1}, {0, 1, 3}});
  mesh.setTexFaces({{0, 1, 2}, {5, 2, 3}, {0, 3, 1}, {5, 1, 3}});
  EXPECT_EQ(build(mesh), "");

  // Second face: a copy (4). Third face: the head matches, vertex 0 again.
  // Fourth face: the head (texture 0) differs, so yet another copy (5)
  // although copy 4 has texture 5.
  ASSERT_EQ(mesh.vertices().size(), 6u);
  const Face faces[] = {{0, 1, 2}, {4, 2, 3}, {0, 3, 1}, {5, 1, 3}};
  for (int f = 0; f < 4; ++f) EXPECT_TRUE(mesh.faces()[f] == faces[f]) << f;
  EXPECT_TRUE(mesh.vertices()[5] == Vector3(0, 0, 0));
  EXPECT_TRUE(mesh.normals()[5] == Vector3(0, 0, 1));
  EXPECT_TRUE(mesh.texCoords()[0] == Vector3(0, 0, 0));
  EXPECT_TRUE(mesh.texCoords()[3] == Vector3(3, 0.3f, 0));
  EXPECT_TRUE(mesh.texCoords()[4] == Vector3(5, 0.5f, 0));
  EXPECT_TRUE(mesh.texCoords()[5] == Vector3(5, 0.5f, 0));
  EXPECT_TRUE(mesh.texFaces().empty());
}

TEST(MeshSplit, UnusedVertexWarnsAndTakesTheFirstCoordinate) {
  SceneObject mesh("Suelo");
  mesh.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {9, 9, 9}});
  mesh.setNormals({{0, 0, 1}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
  mesh.setTexCoords({{0.5f, 0.5f, 0}, {1, 0, 0}, {0, 1, 0}});
  mesh.setFaces({{0, 1, 2}});
  mesh.setTexFaces({{1, 1, 2}});
  EXPECT_EQ(build(mesh), "WARNING: Objeto: Suelo vertice no usado 3\n");
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
  EXPECT_NE(build(mesh).find("broken"), std::string::npos);
  EXPECT_EQ(mesh.vertices().size(), 3u);
  EXPECT_EQ(mesh.normals().size(), 3u);
  EXPECT_EQ(mesh.texCoords().size(), 3u);
  EXPECT_TRUE(mesh.faces()[1] == Face(0, 7, 2));
}

TEST(MeshNormals, CounterClockwiseFacesPointOutAndSharedCornersAverageUnitFaceNormals) {
  SceneObject triangle;
  triangle.setVertices({{0, 0, 0}, {2, 0, 0}, {0, 3, 0}});
  triangle.setFaces({{0, 1, 2}});
  triangle.computeNormals();
  ASSERT_EQ(triangle.normals().size(), 3u);
  for (const Vector3& n : triangle.normals()) EXPECT_TRUE(vectorNear(n, Vector3(0, 0, 1), 0.0f));

  // Two faces folded at 90 degrees along the x axis (the big face must not
  // outweigh the small one), a vertex no face uses, and a face that points
  // past the vertices.
  SceneObject fold;
  fold.setVertices({{0, 0, 0}, {1, 0, 0}, {0, 5, 0}, {0, 0, 1}, {4, 4, 4}});
  fold.setFaces({{0, 1, 2}, {0, 3, 1}, {0, 1, 99}});
  fold.computeNormals();
  EXPECT_TRUE(vectorNear(fold.normals()[0], Vector3(0, kHalfRoot2, kHalfRoot2)));
  EXPECT_TRUE(vectorNear(fold.normals()[2], Vector3(0, 0, 1)));
  EXPECT_TRUE(vectorNear(fold.normals()[3], Vector3(0, 1, 0)));
  EXPECT_TRUE(fold.normals()[4] == Vector3(0, 0, 0));
}

TEST(MeshSeam, CoincidentVerticesShareTheAveragedNormalInEachOwnSpace) {
  auto body = std::make_shared<SceneObject>("body");
  body->setVertices({{1, 0, 0}, {1, 0, 0}, {5, 5, 5}, {1.5f, 0, 0}});
  body->setNormals({{1, 0, 0}, {0, 0, 1}, {0, 0, 1}, {0, 0, 1}});
  // The part is turned a quarter about z and placed at (1, 0, 0) by clip 0.
  auto part = std::make_shared<SceneObject>(";part");
  part->animator().addAnimation(clipWithBase(multiply(rotate(Matrix(), 90, 0, 0, 1), placedAt(1, 0, 0))));
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

  // Without a mesh above it nothing changes.
  auto root = std::make_shared<SceneNode>("root");
  auto loose = std::make_shared<SceneObject>(";loose");
  loose->setVertices({{0, 0, 0}});
  loose->setNormals({{1, 0, 0}});
  root->addChild(loose);
  loose->mergeSeamNormals(0.001f);
  EXPECT_TRUE(loose->normals()[0] == Vector3(1, 0, 0));
}
