#include "engine/SceneObject.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <typeinfo>

#include "engine/DrawCalls.h"
#include "engine/Log.h"

namespace {
size_t indexLimit(const std::vector<Face>& faces) {
  size_t limit = 0;
  for (const Face& face : faces) {
    for (int k = 0; k < 3; ++k) limit = std::max<size_t>(limit, size_t(face[k]) + 1);
  }
  return limit;
}
}  // namespace

void SceneObject::update(uint32_t timeMs, const Matrix& parentWorld, uint32_t* animationIndex) {
  world = parentWorld;
  texMatrix = Matrix();
  player.animate(timeMs, animationIndex ? *animationIndex : 0, world, texMatrix);
}

void SceneObject::updateTree(uint32_t timeMs, const Matrix& parentWorld, uint32_t animationIndex) {
  update(timeMs, parentWorld, &animationIndex);
  // By index: a child's update may add to this node's children.
  for (size_t i = 0; i < entityChildren().size(); ++i) {
    SceneEntity* entity = entityChildren()[i];
    if (!entity->posingSkipped()) entity->updateTree(timeMs, world, animationIndex);
  }
}

void SceneObject::saveState(StateWriter& out) const {
  out.put(world);
  const AnimationBlend blend = player.blend();
  out.put(blend.blendStart);
  out.put(blend.fromPos);
  out.put(blend.fromRot);
  out.put(blend.current);
  out.put(blend.lastPos);
  out.put(blend.lastRot);
  out.put(blend.lastTime);
}

void SceneObject::restoreState(StateReader& in) {
  in.get(world);
  AnimationBlend blend;
  in.get(blend.blendStart);
  in.get(blend.fromPos);
  in.get(blend.fromRot);
  in.get(blend.current);
  in.get(blend.lastPos);
  in.get(blend.lastRot);
  in.get(blend.lastTime);
  player.restoreBlend(blend);
}

bool SceneObject::updateOnlyPoses() const { return typeid(*this) == typeid(SceneObject); }

void SceneObject::setVertices(std::vector<Vector3> vertices) { meshVertices = std::move(vertices); }

void SceneObject::setNormals(std::vector<Vector3> normals) { meshNormals = std::move(normals); }

void SceneObject::setFaces(std::vector<Face> faces) {
  meshFaces = std::move(faces);
  faceIndexLimit = indexLimit(meshFaces);
  outlineStale = true;
}

std::vector<SplitRecord> splitVertices(std::vector<Face>& faces, const std::vector<Face>& texFaces,
                                       size_t vertexCount) {
  std::vector<SplitRecord> records;
  records.reserve(vertexCount);
  for (size_t i = 0; i < vertexCount; ++i) records.push_back({int32_t(i), -1, -1});

  const size_t faceCount = std::min(faces.size(), texFaces.size());
  for (size_t f = 0; f < faceCount; ++f) {
    for (int k = 0; k < 3; ++k) {
      const uint32_t v = faces[f][k];
      if (v >= vertexCount) continue;
      // A texture index that does not fit the record is out of range anyway;
      // it is kept as INT32_MAX so that it never reads as "unset".
      const int32_t t = texFaces[f][k] > uint32_t(INT32_MAX) ? INT32_MAX : int32_t(texFaces[f][k]);
      SplitRecord& head = records[v];
      if (head.texture == -1) {
        head.texture = t;
      } else if (head.texture != t) {
        size_t last = v;
        while (records[last].next != -1) last = size_t(records[last].next);
        const int32_t added = int32_t(records.size());
        records.push_back({int32_t(v), t, -1});
        records[last].next = added;
        faces[f][k] = uint32_t(added);
      }
    }
  }
  return records;
}

std::vector<SplitRecord> SceneObject::splitMesh() {
  std::vector<SplitRecord> records = splitVertices(meshFaces, meshTexFaces, meshVertices.size());

  std::vector<Vector3> positions, coordinates, normals;
  positions.reserve(records.size());
  coordinates.reserve(records.size());
  normals.reserve(records.size());
  const Vector3 firstCoordinate = meshTexCoords.empty() ? Vector3() : meshTexCoords[0];
  bool reportedRange = false;
  for (size_t i = 0; i < records.size(); ++i) {
    const SplitRecord& record = records[i];
    const size_t v = size_t(record.vertex);
    positions.push_back(meshVertices[v]);
    normals.push_back(v < meshNormals.size() ? meshNormals[v] : Vector3());
    if (record.texture == -1) {
      printMessage("WARNING: Objeto: %s vertice no usado %zu\n", name().c_str(), i);
      coordinates.push_back(firstCoordinate);
    } else if (size_t(record.texture) >= meshTexCoords.size()) {
      if (!reportedRange) {
        printMessage("Error: el objeto %s usa una coordenada de textura que no existe\n", name().c_str());
        reportedRange = true;
      }
      coordinates.push_back(firstCoordinate);
    } else {
      coordinates.push_back(meshTexCoords[size_t(record.texture)]);
    }
  }
  meshVertices = std::move(positions);
  meshTexCoords = std::move(coordinates);
  meshNormals = std::move(normals);
  meshTexFaces.clear();
  faceIndexLimit = indexLimit(meshFaces);
  outlineStale = true;
  return records;
}

void SceneObject::buildMesh() { splitMesh(); }

void SceneObject::computeNormals() {
  std::vector<Vector3> normals(meshVertices.size());
  const size_t count = meshVertices.size();
  for (const Face& face : meshFaces) {
    if (face[0] >= count || face[1] >= count || face[2] >= count) continue;
    const Vector3& a = meshVertices[face[0]];
    const Vector3 n = normalise(cross(between(a, meshVertices[face[1]]), between(a, meshVertices[face[2]])));
    for (int k = 0; k < 3; ++k) normals[face[k]] += n;
  }
  for (Vector3& n : normals) n.normalise();
  setNormals(std::move(normals));
}

void SceneObject::mergeSeamNormals(float epsilon) {
  auto* parentObject = dynamic_cast<SceneObject*>(parent());
  if (!parentObject) return;
  const Matrix placement = animationMatrix(0);
  const Matrix back = inverse(placement);

  std::vector<Vector3> own = meshNormals;
  std::vector<Vector3> other = parentObject->meshNormals;
  const std::vector<Vector3>& otherVertices = parentObject->meshVertices;
  const size_t otherCount = std::min(otherVertices.size(), other.size());
  const size_t ownCount = std::min(meshVertices.size(), own.size());

  for (size_t i = 0; i < ownCount; ++i) {
    const Vector3 p = transformPoint(meshVertices[i], placement);
    const Vector3 n = normalise(transformVector(own[i], placement));
    bool matched = false;
    Vector3 average;
    for (size_t j = 0; j < otherCount; ++j) {
      const Vector3& q = otherVertices[j];
      if (!(std::fabs(p.x - q.x) < epsilon && std::fabs(p.y - q.y) < epsilon && std::fabs(p.z - q.z) < epsilon)) {
        continue;
      }
      if (!matched) {
        average = normalise(n + other[j]);
        own[i] = normalise(transformVector(average, back));
        matched = true;
      }
      other[j] = average;
    }
  }
  setNormals(std::move(own));
  parentObject->setNormals(std::move(other));
}

bool SceneObject::isFartherThan(const SceneObject& other) const { return world.m[14] < other.world.m[14]; }

void SceneObject::draw(const Matrix& view) {
  if (!isVisible) return;
  drawArrays(multiply(world, view), meshVertices, meshNormals);
}

void SceneObject::drawOutline(const Matrix& view) {
  if (!isVisible) return;
  drawOutlineOf(multiply(world, view), meshVertices, meshNormals);
}

void SceneObject::drawOutlineOf(const Matrix& modelView, const std::vector<Vector3>& positions,
                                const std::vector<Vector3>& normals) {
  if (outlineStale) {
    outline.build(meshFaces);
    outlineStale = false;
  }
  // The viewer stands at the eye space's origin; a transform that mirrors
  // turns the winding the other way.
  const Vector3 eye = transformPoint(Vector3(), inverse(modelView));
  const std::vector<uint32_t>& lines = outline.silhouette(positions, eye, determinant3(modelView) < 0.0f);
  if (!lines.empty()) drawElements(modelView, positions, normals, GL_LINES, lines.data(), lines.size());
}

void SceneObject::drawArrays(const Matrix& modelView, const std::vector<Vector3>& positions,
                             const std::vector<Vector3>& normals) const {
  if (!meshFaces.empty()) {
    drawElements(modelView, positions, normals, GL_TRIANGLES, meshFaces.front().index, meshFaces.size() * 3);
  }
}

void SceneObject::drawElements(const Matrix& modelView, const std::vector<Vector3>& positions,
                               const std::vector<Vector3>& normals, GLenum mode, const uint32_t* indices,
                               size_t count) const {
  if (meshFaces.empty()) return;
  // Indices beyond the arrays would make OpenGL read past them.
  if (faceIndexLimit > positions.size() || faceIndexLimit > normals.size()) return;
  const bool coordinatesFit = meshTexCoords.size() >= faceIndexLimit;
  const bool coordinateArrayOn = glIsEnabled(GL_TEXTURE_COORD_ARRAY);
  if (!meshTexCoords.empty() && !coordinatesFit && coordinateArrayOn) return;
  // A mesh without coordinates drawn in a textured pass would make OpenGL
  // read the previous mesh's array, which may be gone: switch it off meanwhile.
  const bool withoutCoordinates = coordinateArrayOn && meshTexCoords.empty();
  if (withoutCoordinates) glDisableClientState(GL_TEXTURE_COORD_ARRAY);

  glMatrixMode(GL_TEXTURE);
  glLoadMatrixf(texMatrix.data());
  glMatrixMode(GL_MODELVIEW);
  glLoadMatrixf(modelView.data());
  glVertexPointer(3, GL_FLOAT, 0, positions.data());
  glNormalPointer(GL_FLOAT, 0, normals.data());
  if (!meshTexCoords.empty() && coordinatesFit) glTexCoordPointer(3, GL_FLOAT, 0, meshTexCoords.data());
  countDrawCall();
  glDrawElements(mode, GLsizei(count), GL_UNSIGNED_INT, indices);
  if (withoutCoordinates) glEnableClientState(GL_TEXTURE_COORD_ARRAY);
}
