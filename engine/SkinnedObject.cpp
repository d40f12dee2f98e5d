#include "engine/SkinnedObject.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

namespace {
// Lanes per row of the skinning table: the world matrix's rows 0-2 and
// translation, then the normal matrix's rows 0-2, each as (x, y, z, 0); one
// padding lane keeps a row at two cache lines.
constexpr size_t kLanesPerRow = 8;
// No skin table describes more vertices than this; a larger index is a broken
// file and must not size an allocation.
constexpr uint32_t kMaxSkinVertices = 1u << 24;
}  // namespace

void SkinnedObject::setVertices(std::vector<Vector3> vertices) {
  meshVertices = std::move(vertices);
  influencesDirty = true;
  bindPositions.resize(meshVertices.size());
  for (size_t i = 0; i < meshVertices.size(); ++i) bindPositions[i] = transformPoint(meshVertices[i], world);
}

void SkinnedObject::setNormals(std::vector<Vector3> normals) {
  meshNormals = std::move(normals);
  const Matrix normalMatrix = transpose(inverse(world));
  bindNormalList.resize(meshNormals.size());
  for (size_t i = 0; i < meshNormals.size(); ++i) bindNormalList[i] = transformVector(meshNormals[i], normalMatrix);
}

void SkinnedObject::setBoneWeight(uint32_t vertex, uint16_t bone, float weight) {
  if (vertex >= kMaxSkinVertices) return;
  influencesDirty = true;
  const size_t base = size_t(vertex) * kMaxBonesPerVertex;
  if (base >= slotWeights.size()) {
    slotWeights.resize(base + kMaxBonesPerVertex, 0.0f);
    slotBones.resize(base + kMaxBonesPerVertex, 0);
  }
  for (size_t k = base; k < base + kMaxBonesPerVertex; ++k) {
    if (slotWeights[k] == 0.0f) {
      slotBones[k] = bone;
      slotWeights[k] = weight;
      return;
    }
  }
}

void SkinnedObject::buildMesh() {
  const std::vector<SplitRecord> records = splitMesh();
  std::vector<int32_t> bonesOut(records.size() * kMaxBonesPerVertex, 0);
  std::vector<float> weightsOut(records.size() * kMaxBonesPerVertex, 0.0f);
  std::vector<Vector3> positionsOut(records.size());
  std::vector<Vector3> normalsOut(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const size_t source = size_t(records[i].vertex);
    const size_t from = source * kMaxBonesPerVertex;
    if (from + kMaxBonesPerVertex <= slotWeights.size()) {
      for (size_t k = 0; k < size_t(kMaxBonesPerVertex); ++k) {
        bonesOut[i * kMaxBonesPerVertex + k] = slotBones[from + k];
        weightsOut[i * kMaxBonesPerVertex + k] = slotWeights[from + k];
      }
    }
    positionsOut[i] = source < bindPositions.size() ? bindPositions[source] : meshVertices[i];
    normalsOut[i] = source < bindNormalList.size() ? bindNormalList[source] : Vector3();
  }
  slotBones = std::move(bonesOut);
  slotWeights = std::move(weightsOut);
  bindPositions = std::move(positionsOut);
  bindNormalList = std::move(normalsOut);
  influencesDirty = true;
}

void SkinnedObject::compileInfluences() {
  const size_t vertexCount = meshVertices.size();
  const size_t boneCount = boneList.size();
  const uint32_t identityRow = uint32_t(boneCount);
  const uint32_t zeroRow = identityRow + 1;
  const bool hasRootBone = boneCount > 0 && boneList[0] != nullptr;
  const size_t slotVertices = std::min(slotWeights.size(), slotBones.size()) / kMaxBonesPerVertex;

  influenceRows.assign(vertexCount * kMaxBonesPerVertex, zeroRow);
  influenceWeights.assign(vertexCount * kMaxBonesPerVertex, 0.0f);
  for (size_t v = 0; v < vertexCount; ++v) {
    uint32_t* rows = &influenceRows[v * kMaxBonesPerVertex];
    float* weights = &influenceWeights[v * kMaxBonesPerVertex];
    int used = 0;
    if (v < slotVertices) {
      for (int k = 0; k < kMaxBonesPerVertex; ++k) {
        const float weight = slotWeights[v * kMaxBonesPerVertex + k];
        if (weight == 0.0f) break;
        const uint32_t bone = uint32_t(slotBones[v * kMaxBonesPerVertex + k]);
        if (bone >= boneCount || !boneList[bone] || !std::isfinite(weight)) continue;
        rows[used] = bone;
        weights[used] = weight;
        ++used;
      }
    }
    if (used == 0) {
      // No usable influence: the vertex rides on the skinned object itself,
      // as the reader binds a vertex without weights, or keeps its bind
      // position when there are no bones at all.
      rows[0] = hasRootBone ? 0 : identityRow;
      weights[0] = 1.0f;
    }
  }
  influencesDirty = false;
}

void SkinnedObject::skin() {
  const size_t vertexCount = meshVertices.size();
  if (influencesDirty || influenceRows.size() != vertexCount * kMaxBonesPerVertex) compileInfluences();
  skinnedPositions.resize(vertexCount);
  skinnedNormalList.resize(vertexCount);

  // The bones' matrices once per frame, then the identity and zero rows.
  const size_t boneCount = boneList.size();
  boneMatrices.resize((boneCount + 2) * kLanesPerRow);
  auto storeRow = [this](size_t row, const Matrix& w) {
    const Matrix n = transpose(inverse(w));
    Lane* out = &boneMatrices[row * kLanesPerRow];
    const float* m = w.m;
    out[0] = Lane{m[0], m[1], m[2], 0.0f};
    out[1] = Lane{m[4], m[5], m[6], 0.0f};
    out[2] = Lane{m[8], m[9], m[10], 0.0f};
    out[3] = Lane{m[12], m[13], m[14], 0.0f};
    out[4] = Lane{n.m[0], n.m[1], n.m[2], 0.0f};
    out[5] = Lane{n.m[4], n.m[5], n.m[6], 0.0f};
    out[6] = Lane{n.m[8], n.m[9], n.m[10], 0.0f};
    out[7] = Lane{0.0f, 0.0f, 0.0f, 0.0f};
  };
  for (size_t b = 0; b < boneCount; ++b) storeRow(b, boneList[b] ? boneList[b]->worldMatrix() : Matrix());
  storeRow(boneCount, Matrix());
  for (size_t i = 0; i < kLanesPerRow; ++i) boneMatrices[(boneCount + 1) * kLanesPerRow + i] = Lane{};

  const size_t skinnedCount = std::min(vertexCount, bindPositions.size());
  const size_t bindNormalCount = bindNormalList.size();
  const Lane* table = boneMatrices.data();
  const uint32_t* rows = influenceRows.data();
  const float* weights = influenceWeights.data();
  const Vector3* bindP = bindPositions.data();
  const Vector3* bindN = bindNormalList.data();
  Vector3* outP = skinnedPositions.data();
  Vector3* outN = skinnedNormalList.data();

  for (size_t v = 0; v < skinnedCount; ++v) {
    // Blending the matrices and transforming once gives the weighted sum of
    // the transformed points: every transform is linear in its matrix.
    const Lane* r = table + rows[0] * kLanesPerRow;
    const float w0 = weights[0];
    Lane m0 = r[0] * w0, m1 = r[1] * w0, m2 = r[2] * w0, m3 = r[3] * w0;
    Lane n0 = r[4] * w0, n1 = r[5] * w0, n2 = r[6] * w0;
    for (int k = 1; k < kMaxBonesPerVertex && weights[k] != 0.0f; ++k) {
      r = table + rows[k] * kLanesPerRow;
      const float w = weights[k];
      m0 += r[0] * w, m1 += r[1] * w, m2 += r[2] * w, m3 += r[3] * w;
      n0 += r[4] * w, n1 += r[5] * w, n2 += r[6] * w;
    }
    rows += kMaxBonesPerVertex;
    weights += kMaxBonesPerVertex;

    const Vector3 p = bindP[v];
    const Lane position = m0 * p.x + m1 * p.y + m2 * p.z + m3;
    outP[v] = Vector3(position[0], position[1], position[2]);
    const Vector3 n = v < bindNormalCount ? bindN[v] : Vector3();
    Lane normal = n0 * n.x + n1 * n.y + n2 * n.z;
    const Lane squares = normal * normal;
    const float lengthSquared = squares[0] + squares[1] + squares[2];
    if (lengthSquared > 0.0f) normal *= 1.0f / std::sqrt(lengthSquared);
    outN[v] = Vector3(normal[0], normal[1], normal[2]);
  }
  // Vertices without a bind copy (only after a broken load) stay as stored.
  for (size_t v = skinnedCount; v < vertexCount; ++v) {
    outP[v] = meshVertices[v];
    outN[v] = v < meshNormals.size() ? normalise(meshNormals[v]) : Vector3();
  }
}

void SkinnedObject::draw(const Matrix& view) {
  skin();
  if (!isVisible) return;
  // The skinned arrays are already in scene space: the view alone places them.
  drawArrays(view, skinnedPositions, skinnedNormalList);
}

void SkinnedObject::drawOutline(const Matrix& view) {
  if (isVisible) drawOutlineOf(view, skinnedPositions, skinnedNormalList);
}

bool SkinnedObject::updateOnlyPoses() const { return typeid(*this) == typeid(SkinnedObject); }
