// The ball: a felt sphere of the ball's radius around the model's origin
// (the game moves the model's root with the ball's centre), and its shadow
// "Sombra", a soft dark disc that the game keeps on the ground below it.

#include "content/models/CourtLayout.h"
#include "content/models/MeshShapes.h"
#include "content/models/ModelTextures.h"
#include "content/models/WorldModels.h"

namespace {

// The game hangs the shadow kShadowParentY above the ground; its own offset
// brings it down to just above the court's lines.
constexpr float kShadowGroundLift = 1.5f;
constexpr float kShadowRadius = 9.5f;

}  // namespace

ModelAsset ballModel() {
  ModelAsset asset;
  asset.path = kBallModelFile;
  AseScene& scene = asset.scene;
  const int felt = scene.addMaterial({.name = "Felpa",
                                      .ambient = {1.2f, 1.2f, 1.2f},
                                      .diffuse = {0.6f, 0.6f, 0.6f},
                                      .specular = {0.1f, 0.1f, 0.1f},
                                      .bitmap = "felpa.tga"});
  const int shade = scene.addMaterial(
      {.name = "Sombra", .ambient = {1, 1, 1}, .diffuse = {1, 1, 1}, .specular = {0, 0, 0}, .bitmap = "sombra.tga"});

  AseNode ball;
  ball.name = "Bola";
  ball.material = felt;
  ball.mesh = sphereMesh(kBallRadius, 16, 12);
  scene.addNode(ball);

  AseNode shadow;
  shadow.name = kShadowNodeName;
  shadow.material = shade;
  shadow.mesh = discMesh(kShadowRadius, 20);
  shadow.rest = translate(Matrix(), 0, kShadowGroundLift - kShadowParentY, 0);
  scene.addNode(shadow);

  asset.textures = {{.file = "felpa.tga", .pixels = feltPicture(), .alpha = false},
                    {.file = "sombra.tga", .pixels = shadowPicture(), .alpha = true}};
  return asset;
}
