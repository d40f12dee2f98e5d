// The stadium: a hard court with its lines where the game judges them, the
// net, the posts and the umpire's chair, advertising boards round the court,
// stands full of a cartoon crowd (camera-facing cards), a sky all round (the
// game never clears its picture, so every view must land on something) and
// the broadcast camera "Camera01" behind and above the +x baseline.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "content/ContentRandom.h"
#include "content/models/CourtLayout.h"
#include "content/models/MeshShapes.h"
#include "content/models/ModelTextures.h"
#include "content/models/WorldModels.h"

namespace {

// Lines lie this far above the court, clear of its depth at the broadcast
// view's distance and grazing angle; the ball's shadow lies higher still.
constexpr float kLineLift = 0.8f;
constexpr float kLineWidth = 7.0f;
constexpr float kBaselineWidth = 10.0f;
constexpr float kCentreMarkLength = 15.0f;

// The run-off round the court, and the ground beyond it, under everything.
constexpr float kRunOffX = 1750.0f;
constexpr float kRunOffZ = 950.0f;
constexpr float kGroundHalf = 4200.0f;  // its corners inside the sky
constexpr float kGroundY = -2.0f;
constexpr float kSkyRadius = 6000.0f;
// The sky's foot lies a little under the ground, its rim reaching in under
// the ground's edge; beyond the edge, the rim shows the picture's green just
// under the horizon, as the lower half of a whole sky sphere did.
constexpr float kSkyFootY = kGroundY - 8.0f;
constexpr float kSkyRimInner = kGroundHalf - 200.0f;
constexpr float kSkyRimTexCoordV = 0.45f;

constexpr float kNetPostZ = kDoublesSideZ + kNetPostOutside;
constexpr float kNetTileWidth = 50.0f;
constexpr float kPostRadius = 5.0f;
constexpr float kPostHeight = 106.0f;
constexpr float kChairZ = -(kNetPostZ + 110.0f);

constexpr float kBoardHeight = 60.0f;
constexpr float kSideBoardZ = 960.0f;
constexpr float kEndBoardX = 1780.0f;

constexpr int kTiers = 6;
constexpr float kTierDepth = 130.0f;
constexpr float kFirstTierHeight = 50.0f;
constexpr float kTierRise = 55.0f;
constexpr float kSideStandZ = 1050.0f;
constexpr float kSideStandHalfLength = 2150.0f;
constexpr float kEndStandX = 1950.0f;
constexpr float kEndStandHalfWidth = 1050.0f;
constexpr float kCrowdCard = 120.0f;
constexpr float kCrowdSpacing = 125.0f;
// Each stand's crowd is this many meshes along its length.
constexpr int kCrowdLengths = 3;
// The third texture coordinate of a crowd card's corner is this times the
// card's half size plus the corner (0 to 3: +x is 1, +y is 2); the crowd's
// vertex shader (shaders/publico.vs) reads it back the same way.
constexpr float kCrowdCornerCode = 4.0f;

// The broadcast view.
const Vector3 kCameraEye(2300.0f, 950.0f, 0.0f);
constexpr float kCameraDownDegrees = 26.0f;
constexpr float kCameraFovY = 36.0f;

// A flat rectangle on the ground plane at height y, facing up; texture u
// along x and v along -z.
AseMesh flatRect(float x0, float x1, float z0, float z1, float y) {
  return quadMesh({x0, y, z1}, {x1 - x0, 0, 0}, {0, 0, z0 - z1});
}

AseMesh solid(AseMesh mesh) {
  mesh.texCoords.clear();
  return mesh;
}

Matrix at(const Vector3& position) { return translate(Matrix(), position); }

int addMesh(AseScene& scene, const std::string& name, int material, AseMesh mesh, const Matrix& rest = Matrix()) {
  AseNode node;
  node.name = name;
  node.material = material;
  node.mesh = std::move(mesh);
  node.rest = rest;
  return scene.addNode(std::move(node));
}

AseMaterial colourMaterial(const std::string& name, uint32_t hex, float ambient = 1.4f, float diffuse = 0.6f) {
  const Vector3 c(((hex >> 16) & 0xFF) / 255.0f, ((hex >> 8) & 0xFF) / 255.0f, (hex & 0xFF) / 255.0f);
  return {
      .name = name, .ambient = c * ambient, .diffuse = c * diffuse, .specular = {0.05f, 0.05f, 0.05f}, .bitmap = ""};
}

// Lit by the headlight, a surface seen at a slant would darken; a strong
// ambient keeps painted surfaces near their own colour.
AseMaterial pictureMaterial(const std::string& name, const std::string& bitmap) {
  return {.name = name,
          .ambient = {1.5f, 1.5f, 1.5f},
          .diffuse = {0.5f, 0.5f, 0.5f},
          .specular = {0, 0, 0},
          .bitmap = bitmap};
}

AseMesh courtLines() {
  AseMesh lines;
  const float y = kLineLift;
  for (float side : {-1.0f, 1.0f}) {
    // Baseline, service line and centre mark of each half.
    const float base0 = side * (kBaselineX - kBaselineWidth);
    const float base1 = side * kBaselineX;
    lines.append(flatRect(std::min(base0, base1), std::max(base0, base1), -kDoublesSideZ, kDoublesSideZ, y));
    const float service0 = side * (kServiceLineX - kLineWidth);
    const float service1 = side * kServiceLineX;
    lines.append(
        flatRect(std::min(service0, service1), std::max(service0, service1), -kSinglesSideZ, kSinglesSideZ, y));
    const float mark0 = side * (kBaselineX - kBaselineWidth - kCentreMarkLength);
    lines.append(flatRect(std::min(mark0, base0), std::max(mark0, base0), -kLineWidth / 2, kLineWidth / 2, y));
    // Singles and doubles side lines on this side of the court's length.
    for (float sideLine : {kSinglesSideZ, kDoublesSideZ}) {
      const float z0 = side * (sideLine - kLineWidth);
      const float z1 = side * sideLine;
      lines.append(flatRect(-kBaselineX, kBaselineX, std::min(z0, z1), std::max(z0, z1), y));
    }
  }
  lines.append(flatRect(-kServiceLineX, kServiceLineX, -kLineWidth / 2, kLineWidth / 2, y));
  return solid(lines);
}

AseMesh umpireChair() {
  AseMesh chair;
  const float z = kChairZ;
  const float legTop = kUmpireSeatY - 8;
  for (float dx : {-24.0f, 24.0f}) {
    for (float dz : {-24.0f, 24.0f}) {
      chair.append(boxMesh({dx - 3, 0, z + dz - 3}, {dx + 3, legTop, z + dz + 3}));
    }
    // Side rails of the seat, and the ladder's rungs between the back legs.
    chair.append(boxMesh({dx - 2, kUmpireSeatY + 22, z - 30}, {dx + 2, kUmpireSeatY + 27, z + 26}));
  }
  for (float rung : {40.0f, 80.0f, 120.0f}) chair.append(boxMesh({-24, rung, z - 27}, {24, rung + 4, z - 22}));
  chair.append(boxMesh({-32, legTop, z - 32}, {32, kUmpireSeatY, z + 32}));
  chair.append(boxMesh({-32, kUmpireSeatY, z - 32}, {32, kUmpireSeatY + 70, z - 26}));
  // A footrest towards the court.
  chair.append(boxMesh({-28, 100, z + 24}, {28, 105, z + 40}));
  return solid(chair);
}

// One advertising board: a quad `length` long from `start` along `along`,
// its picture towards the court (the side cross(along, up) points to).
AseMesh board(const Vector3& start, const Vector3& along, float length, int index) {
  const int column = index % kBoardColumns;
  const int row = (index / kBoardColumns) % kBoardRows;
  const Vector3 uvMin(static_cast<float>(column) / kBoardColumns, 1.0f - static_cast<float>(row + 1) / kBoardRows, 0);
  const Vector3 uvMax(static_cast<float>(column + 1) / kBoardColumns, 1.0f - static_cast<float>(row) / kBoardRows, 0);
  return doubleQuadMesh(start, along * length, {0, kBoardHeight, 0}, uvMin, uvMax);
}

AseMesh advertisingBoards() {
  AseMesh boards;
  int index = 0;
  constexpr int kSideBoards = 7;
  constexpr float kSideLength = 2 * 1680.0f / kSideBoards;
  for (int i = 0; i < kSideBoards; ++i) {
    const float x = -1680.0f + kSideLength * static_cast<float>(i);
    boards.append(board({x + kSideLength, 0, kSideBoardZ}, {-1, 0, 0}, kSideLength, index++));
    boards.append(board({x, 0, -kSideBoardZ}, {1, 0, 0}, kSideLength, index++));
  }
  constexpr int kEndBoards = 4;
  constexpr float kEndLength = 1800.0f / kEndBoards;
  for (int i = 0; i < kEndBoards; ++i) {
    const float z = -900.0f + kEndLength * static_cast<float>(i);
    boards.append(board({kEndBoardX, 0, z}, {0, 0, 1}, kEndLength, index++));
    boards.append(board({-kEndBoardX, 0, z + kEndLength}, {0, 0, -1}, kEndLength, index++));
  }
  return boards;
}

struct Stand {
  // The tiers rise along `out` (a unit axis), starting `start` from the
  // court's centre line, and run `halfLength` each way along `across`.
  Vector3 out;
  Vector3 across;
  float start;
  float halfLength;
};

// A box given in the stand's own axes: `a` along its length, `d` outwards.
AseMesh standBox(const Stand& stand, float a0, float a1, float d0, float d1, float y0, float y1) {
  const Vector3 p0 = stand.across * a0 + stand.out * d0;
  const Vector3 p1 = stand.across * a1 + stand.out * d1;
  return boxMesh({std::min(p0.x, p1.x), y0, std::min(p0.z, p1.z)}, {std::max(p0.x, p1.x), y1, std::max(p0.z, p1.z)});
}

// One spectator card of the crowd mesh, centred on `spot` and turned to the
// court. Its four corners carry, in the third texture coordinate, the card's
// half size and which corner each is (kCrowdCornerCode): the crowd's shader
// turns every card to the viewer from that, as a billboard of its own would
// be, while the whole crowd is one mesh. Without shaders the cards simply
// face the court.
AseMesh crowdCard(const Stand& stand, const Vector3& spot, int cell) {
  const int column = cell % kCrowdColumns;
  const int row = cell / kCrowdColumns;
  const float uMin = static_cast<float>(column) / kCrowdColumns;
  const float uMax = static_cast<float>(column + 1) / kCrowdColumns;
  const float vMin = 1.0f - static_cast<float>(row + 1) / kCrowdRows;
  const float vMax = 1.0f - static_cast<float>(row) / kCrowdRows;
  const float half = kCrowdCard / 2;
  const Vector3 facing = stand.out * -1.0f;
  const Vector3 right = cross(Vector3(0, 1, 0), facing);
  AseMesh card;
  for (int corner = 0; corner < 4; ++corner) {
    const float sideX = (corner & 1) ? 1.0f : -1.0f;
    const float sideY = (corner & 2) ? 1.0f : -1.0f;
    card.positions.push_back(spot + right * (sideX * half) + Vector3(0, sideY * half, 0));
    card.normals.push_back(facing);
    card.texCoords.emplace_back(sideX > 0 ? uMax : uMin, sideY > 0 ? vMax : vMin,
                                kCrowdCornerCode * half + static_cast<float>(corner));
  }
  card.faces = {Face(0, 1, 3), Face(0, 3, 2)};
  return card;
}

// The crowd of a stand in a few lengths, each one mesh round its middle (the
// blended pass sorts whole meshes by where they are). Within a length the
// back tier comes first, so that nearer spectators blend over farther ones
// from anywhere in front of the stand.
struct CrowdLengths {
  std::array<std::array<AseMesh, kTiers>, kCrowdLengths> tiers;
};

void addStand(const Stand& stand, ContentRandom& random, CrowdLengths& crowd, AseMesh& concreteMesh,
              AseMesh& seatMesh) {
  for (int tier = 0; tier < kTiers; ++tier) {
    const float front = stand.start + kTierDepth * static_cast<float>(tier);
    const float top = kFirstTierHeight + kTierRise * static_cast<float>(tier);
    concreteMesh.append(standBox(stand, -stand.halfLength, stand.halfLength, front, front + kTierDepth, 0, top));
    seatMesh.append(standBox(stand, -stand.halfLength, stand.halfLength, front + 8, front + 24, top, top + 14));
    // Spectators in threes on cards that face the camera, a few seats empty.
    for (float a = -stand.halfLength + kCrowdSpacing / 2; a < stand.halfLength - kCrowdCard / 2; a += kCrowdSpacing) {
      if (random.unit() < 0.12) continue;
      const float along = a + static_cast<float>(random.between(-12, 12));
      const Vector3 spot = stand.across * along + stand.out * (front + kTierDepth * 0.55f) +
                           Vector3(0, top + kCrowdCard * 0.5f - 14.0f, 0);
      const int cell = random.below(kCrowdColumns * kCrowdRows);
      const int length = std::clamp(static_cast<int>((along + stand.halfLength) / (2 * stand.halfLength) *
                                                     kCrowdLengths),
                                    0, kCrowdLengths - 1);
      crowd.tiers[static_cast<size_t>(length)][static_cast<size_t>(tier)].append(crowdCard(stand, spot, cell));
    }
  }
  // The back wall closes the stand behind its top tier.
  const float back = stand.start + kTierDepth * kTiers;
  concreteMesh.append(standBox(stand, -stand.halfLength, stand.halfLength, back, back + 30,
                               0, kFirstTierHeight + kTierRise * kTiers + 90));
}

// A camera looks along its local -z: turned a quarter round y it looks
// towards -x, then pitched down.
Matrix broadcastView() { return rotate(rotate(at(kCameraEye), 90, 0, 1, 0), -kCameraDownDegrees, 1, 0, 0); }

}  // namespace

Vector3 umpireSeat() { return {0.0f, kUmpireSeatY, kChairZ}; }

Matrix broadcastCameraView() { return broadcastView(); }

ModelAsset stadiumModel() {
  ModelAsset asset;
  asset.path = kStadiumFile;
  AseScene& scene = asset.scene;

  const int sky = scene.addMaterial(pictureMaterial("Cielo", "cielo.tga"));
  const int ground = scene.addMaterial(colourMaterial("Cesped", 0x4E8F3E));
  const int court = scene.addMaterial(colourMaterial("Pista", 0x2F6DB5));
  const int runOff = scene.addMaterial(colourMaterial("Exterior", 0x3E8F5C));
  const int lines = scene.addMaterial(colourMaterial("Lineas", 0xFFFFFF, 1.5f, 0.5f));
  const int net = scene.addMaterial(pictureMaterial("Red", "red.tga"));
  const int posts = scene.addMaterial(colourMaterial("Postes [cartoon]", 0x23563A));
  const int chair = scene.addMaterial(colourMaterial("Silla [cartoon]", 0x2E7D4F));
  const int boards = scene.addMaterial(pictureMaterial("Publicidad", "publicidad.tga"));
  const int concrete = scene.addMaterial(colourMaterial("Gradas", 0xC4C8CF));
  const int seats = scene.addMaterial(colourMaterial("Asientos", 0xD94A3D));
  const int crowd = scene.addMaterial(pictureMaterial("Publico [publico]", "publico.tga"));

  AseMesh skyDome = skyDomeMesh(kSkyRadius, kSkyRimInner, kSkyRimTexCoordV, 32, 8);
  skyDome.transform(translate(Matrix(), 0, kSkyFootY, 0));
  addMesh(scene, "Cielo", sky, skyDome);
  addMesh(scene, "Cesped", ground, solid(flatRect(-kGroundHalf, kGroundHalf, -kGroundHalf, kGroundHalf, kGroundY)));
  addMesh(scene, "Pista", court, solid(flatRect(-kBaselineX, kBaselineX, -kDoublesSideZ, kDoublesSideZ, 0)));
  AseMesh around;
  around.append(flatRect(-kRunOffX, kRunOffX, kDoublesSideZ, kRunOffZ, 0));
  around.append(flatRect(-kRunOffX, kRunOffX, -kRunOffZ, -kDoublesSideZ, 0));
  around.append(flatRect(kBaselineX, kRunOffX, -kDoublesSideZ, kDoublesSideZ, 0));
  around.append(flatRect(-kRunOffX, -kBaselineX, -kDoublesSideZ, kDoublesSideZ, 0));
  addMesh(scene, "Exterior", runOff, solid(around));
  addMesh(scene, "Lineas", lines, courtLines());

  // The net: its top along y = kNetTopY in the plane x = 0, from post to
  // post, the same picture on both faces, tiled along its length.
  const float netLength = 2 * kNetPostZ;
  addMesh(scene, "Red", net,
          doubleQuadMesh({0, 0, kNetPostZ}, {0, 0, -netLength}, {0, kNetTopY, 0}, {0, 0, 0},
                         {netLength / kNetTileWidth, 1, 0}));
  AseMesh strap = quadMesh({0.5f, 0, 2.5f}, {0, 0, -5}, {0, kNetTopY, 0});
  strap.append(quadMesh({-0.5f, 0, -2.5f}, {0, 0, 5}, {0, kNetTopY, 0}));
  addMesh(scene, "Cinta", lines, solid(strap));
  AseMesh postPair = cylinderMesh({0, 0, kNetPostZ}, kPostRadius, kPostHeight, 12);
  postPair.append(cylinderMesh({0, 0, -kNetPostZ}, kPostRadius, kPostHeight, 12));
  addMesh(scene, "Postes", posts, solid(postPair));
  addMesh(scene, "Silla", chair, umpireChair());
  addMesh(scene, "Vallas", boards, advertisingBoards());

  ContentRandom random(0x57AD1);
  int crowdCount = 0;
  AseMesh concreteMesh;
  AseMesh seatMesh;
  const Stand stands[4] = {
      {.out = {0, 0, 1}, .across = {1, 0, 0}, .start = kSideStandZ, .halfLength = kSideStandHalfLength},
      {.out = {0, 0, -1}, .across = {1, 0, 0}, .start = kSideStandZ, .halfLength = kSideStandHalfLength},
      {.out = {-1, 0, 0}, .across = {0, 0, 1}, .start = kEndStandX, .halfLength = kEndStandHalfWidth},
      {.out = {1, 0, 0}, .across = {0, 0, 1}, .start = kEndStandX, .halfLength = kEndStandHalfWidth},
  };
  for (const Stand& stand : stands) {
    CrowdLengths lengths;
    addStand(stand, random, lengths, concreteMesh, seatMesh);
    for (auto& tiers : lengths.tiers) {
      AseMesh people;
      for (auto tier = tiers.rbegin(); tier != tiers.rend(); ++tier) people.append(*tier);
      if (people.faces.empty()) continue;
      // The mesh round its own middle, so that it sorts where it stands.
      Vector3 middle;
      for (const Vector3& p : people.positions) middle = middle + p;
      middle = middle * (1.0f / static_cast<float>(people.positions.size()));
      for (Vector3& p : people.positions) p = p - middle;
      char name[32];
      std::snprintf(name, sizeof name, "Publico%02d", ++crowdCount);
      addMesh(scene, name, crowd, people, at(middle));
    }
  }
  addMesh(scene, "Gradas", concrete, solid(concreteMesh));
  addMesh(scene, "Asientos", seats, solid(seatMesh));

  AseNode camera;
  camera.name = kStadiumCameraName;
  camera.kind = AseNodeKind::Camera;
  camera.rest = broadcastView();
  camera.nearPlane = 2.0f;
  camera.farPlane = 1500.0f;
  camera.fovYDegrees = kCameraFovY;
  scene.addNode(camera);

  asset.textures = {
      {.file = "cielo.tga", .pixels = skyPicture(), .alpha = false},
      {.file = "red.tga", .pixels = netPicture(), .alpha = true},
      {.file = "publicidad.tga", .pixels = boardsPicture(), .alpha = false},
      {.file = "publico.tga", .pixels = crowdPicture(), .alpha = true},
  };
  return asset;
}
