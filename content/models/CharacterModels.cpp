// The four characters: each the shared body (CharacterBody, the skeleton and
// clips of CharacterRig and CharacterClips) with its own proportions, trunk,
// limbs, colours and head.
//
//  Vazuvodod  a squat green frog: wide pear-shaped body, big bulging eyes on
//             a flat head, wide grin, webbed feet; red shorts.
//  Revirade   a tall, thin blue bird: long orange legs and beak, a tuft of
//             feathers on a small round head; yellow vest, navy shorts.
//  Roveriru   a round pink pig: a ball of a belly, round ears, a snout and a
//             white headband, a curly tail; purple striped shirt.
//  Doredu     a slim orange fox: tall pointed ears, a white muzzle and a big
//             bushy white-tipped tail; teal shirt, white shorts.

#include "content/models/CharacterModels.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

#include "content/ContentFiles.h"
#include "content/models/CharacterBody.h"
#include "content/models/CharacterPortraits.h"
#include "content/models/CharacterShapes.h"
#include "tennis/CharacterRoster.h"
#include "tennis/ModelFiles.h"

namespace {

struct Character {
  ModelAsset asset;
  Vector3 portraitCentre;
  float portraitRadius = 20;
  uint32_t badge = 0;
};

// Angles round the trunk or a limb (see Paint): the front is 90.
bool inFront(float angle, float halfWidth) { return std::fabs(angle - 90.0f) < halfWidth; }

// The hands: a round fist with a thumb, on each hand bone.
void fists(CharacterBuilder& c, int material, float size) {
  const CharacterProportions& b = c.body();
  const Vector3 wrist = zeroJoint(b, kRightHand);
  const Vector3 fist = wrist + Vector3(0, -b.handLength, 0);
  AseMesh hand = ellipsoidMesh(fist, Vector3(4.4f, 5.0f, 4.2f) * size, 10, 6);
  hand.append(ellipsoidMesh(fist + Vector3(1.5f, 1.0f, 3.4f) * size, Vector3(1.7f, 2.4f, 1.7f) * size, 8, 5));
  c.pairedPart("ManoDMalla", "ManoIMalla", kRightHand, material, hand);
}

// A band round the forearm near the wrist.
void wristbands(CharacterBuilder& c, int material, float armRadius) {
  const CharacterProportions& b = c.body();
  const Vector3 at = zeroJoint(b, kRightHand) + Vector3(0, 3.5f, 0);
  c.pairedPart("MunequeraD", "MunequeraI", kRightForearm, material,
               ringMesh(at, {1, 0, 0}, {0, 0, 1}, armRadius + 0.6f, armRadius + 0.6f, 1.5f, 12, 4));
}

// A pair of eyes: white balls with black pupils looking forward.
void eyes(CharacterBuilder& c, int white, int black, const Vector3& right, float radius, float pupil) {
  c.pairedPart("OjoD", "OjoI", kNeck, white, ellipsoidMesh(right, {radius, radius * 1.1f, radius}, 12, 6));
  const Vector3 p = right + Vector3(-radius * 0.1f, radius * 0.12f, radius - pupil * 0.45f);
  c.pairedPart("PupilaD", "PupilaI", kNeck, black, ellipsoidMesh(p, {pupil, pupil * 1.2f, pupil * 0.7f}, 8, 5));
}

Character finish(CharacterBuilder& c, const Vector3& portraitCentre, float portraitRadius, uint32_t badge) {
  Character out;
  out.asset = c.finish();
  out.portraitCentre = portraitCentre;
  out.portraitRadius = portraitRadius;
  out.badge = badge;
  return out;
}

Character vazuvodod(const char* folder) {
  CharacterBuild build;
  CharacterProportions& b = build.body;
  b.footHeight = 4;
  b.shin = 17;
  b.thigh = 17;
  b.hipX = 8.5f;
  b.hipDrop = 3;
  b.waist = 9;
  b.chest = 13;
  b.neck = 9;
  b.shoulderX = 15;
  b.shoulderY = 6;
  b.upperArm = 21;
  b.forearm = 19;
  b.handLength = 4.5f;
  build.girth = 19.5f;
  build.belly = 17;
  build.footLength = 18;
  CharacterBuilder c(folder, build);
  const int skin = c.material("Piel", 0x6CC24A);
  const int belly = c.material("Barriga", 0xF2E9A0);
  const int shorts = c.material("Pantalon", 0xE23B3B);
  const int white = c.material("Blanco", 0xFFFFFF);
  const int black = c.material("Negro", 0x151515);
  const int mouth = c.material("Boca", 0x8A1C2B);
  const int feet = c.material("Pies", 0x4E9A36);

  c.trunk({{.y = 33, .halfWidth = 11, .halfDepth = 9, .forward = 0},
           {.y = 38, .halfWidth = 17, .halfDepth = 13, .forward = 1},
           {.y = 45, .halfWidth = 19.5f, .halfDepth = 15.5f, .forward = 2},
           {.y = 53, .halfWidth = 19.5f, .halfDepth = 16, .forward = 2.5f},
           {.y = 61, .halfWidth = 17.5f, .halfDepth = 14, .forward = 1.5f},
           {.y = 67, .halfWidth = 15, .halfDepth = 11.5f, .forward = 0.5f},
           {.y = 72, .halfWidth = 13, .halfDepth = 10, .forward = 0},
           {.y = 77, .halfWidth = 11, .halfDepth = 9, .forward = 0.5f}},
          18, [&](float y, float angle) {
            if (y < 46) return shorts;
            if (y < 70 && inFront(angle, 55)) return belly;
            return skin;
          });
  c.arms({{.along = 0, .radius = 5.2f},
          {.along = 10, .radius = 4.6f},
          {.along = 21, .radius = 4.0f},
          {.along = 30, .radius = 4.3f},
          {.along = 40, .radius = 3.6f}},
         10, [&](float, float) { return skin; });
  c.legs({{.along = -2, .radius = 7.5f},
          {.along = 8, .radius = 7.2f},
          {.along = 17, .radius = 5.6f},
          {.along = 26, .radius = 5.0f},
          {.along = 34, .radius = 3.8f}},
         10, [&](float where, float) { return where < 0.32f ? shorts : skin; });
  fists(c, skin, 1.05f);
  wristbands(c, white, 3.7f);
  // Webbed feet: a flat pad with three round toes.
  const Vector3 ankle = zeroJoint(b, kRightFoot);
  AseMesh foot = roundedBoxMesh(ankle + Vector3(0, -1.6f, 5), {6.5f, 2.6f, 9.5f}, 0.15f, 10, 6);
  for (float dx : {-4.5f, 0.0f, 4.5f}) {
    foot.append(ellipsoidMesh(ankle + Vector3(dx, -2.0f, 14.5f + (dx == 0 ? 1.5f : 0)), {2.8f, 2.0f, 2.8f}, 8, 5));
  }
  c.pairedPart("PieDMalla", "PieIMalla", kRightFoot, feet, foot);
  // The head: wide and flat, the eyes bulging on top, a wide grin.
  const Vector3 head = zeroJoint(b, kNeck) + Vector3(0, 9, 2);
  c.part("Craneo", kNeck, skin, ellipsoidMesh(head, {20, 13, 16.5f}, 18, 10));
  c.part("Papada", kNeck, belly, ellipsoidMesh(head + Vector3(0, -5.5f, 5.5f), {14, 6.5f, 11}, 14, 6));
  c.pairedPart("ParpadoD", "ParpadoI", kNeck, skin,
               ellipsoidMesh(head + Vector3(-9.5f, 13.5f, 3), {7.4f, 6.4f, 7}, 10, 6));
  eyes(c, white, black, head + Vector3(-9.5f, 14.5f, 5), 6.3f, 3.0f);
  c.part("Boca", kNeck, mouth, ellipsoidMesh(head + Vector3(0, -3.2f, 14.2f), {11, 1.5f, 2.6f}, 16, 6));
  c.racketAndBall(0xFF8C1A, 0x2E2E2E);
  return finish(c, head + Vector3(0, 3, 0), 28, 0x6CC24A);
}

Character revirade(const char* folder) {
  CharacterBuild build;
  CharacterProportions& b = build.body;
  b.footHeight = 5;
  b.shin = 27;
  b.thigh = 24;
  b.hipX = 6.5f;
  b.hipDrop = 3;
  b.waist = 10;
  b.chest = 14;
  b.neck = 12;
  b.shoulderX = 11;
  b.shoulderY = 7;
  b.upperArm = 20;
  b.forearm = 18;
  b.handLength = 4.5f;
  build.girth = 12.5f;
  build.belly = 11;
  build.footLength = 15;
  CharacterBuilder c(folder, build);
  const int feathers = c.material("Plumas", 0x3D8BFF);
  const int vest = c.material("Camiseta", 0xFFD23F);
  const int shorts = c.material("Pantalon", 0x2B3A8C);
  const int orange = c.material("Naranja", 0xFF9A2E);
  const int white = c.material("Blanco", 0xFFFFFF);
  const int black = c.material("Negro", 0x151515);

  c.trunk({{.y = 55, .halfWidth = 8.5f, .halfDepth = 8, .forward = 0},
           {.y = 59, .halfWidth = 11.5f, .halfDepth = 10, .forward = 0.5f},
           {.y = 66, .halfWidth = 12.5f, .halfDepth = 11, .forward = 1},
           {.y = 74, .halfWidth = 12, .halfDepth = 11, .forward = 1.5f},
           {.y = 82, .halfWidth = 12, .halfDepth = 10, .forward = 1},
           {.y = 88, .halfWidth = 10, .halfDepth = 8.5f, .forward = 0},
           {.y = 92, .halfWidth = 6, .halfDepth = 5.5f, .forward = 0.5f},
           {.y = 97, .halfWidth = 4.5f, .halfDepth = 4.5f, .forward = 1},
           {.y = 103, .halfWidth = 4.2f, .halfDepth = 4.2f, .forward = 1.5f}},
          16, [&](float y, float) {
            if (y < 62) return shorts;
            if (y < 87) return vest;
            return feathers;
          });
  c.arms({{.along = 0, .radius = 4.4f},
          {.along = 10, .radius = 3.8f},
          {.along = 20, .radius = 3.2f},
          {.along = 29, .radius = 3.3f},
          {.along = 38, .radius = 2.9f}},
         10, [&](float, float) { return feathers; });
  c.legs({{.along = -2, .radius = 6.0f},
          {.along = 10, .radius = 5.0f},
          {.along = 24, .radius = 2.8f},
          {.along = 38, .radius = 2.4f},
          {.along = 51, .radius = 2.2f}},
         10, [&](float where, float) { return where < 0.24f ? shorts : orange; });
  fists(c, white, 1.0f);
  wristbands(c, vest, 3.1f);
  // Bird feet: three long toes forward and one back.
  const Vector3 ankle = zeroJoint(b, kRightFoot);
  AseMesh foot = ellipsoidMesh(ankle + Vector3(0, -1, 0), {3.2f, 3.2f, 3.2f}, 8, 5);
  const Vector3 toeRoot = ankle + Vector3(0, -3.4f, 1);
  for (const Vector3& tip :
       {Vector3(-4.5f, -4.4f, 12), Vector3(0, -4.4f, 14), Vector3(4.5f, -4.4f, 12), Vector3(0, -4.4f, -6)}) {
    foot.append(capsuleMesh(toeRoot, ankle + tip, 1.7f, 1.0f, 6));
  }
  c.pairedPart("PieDMalla", "PieIMalla", kRightFoot, orange, foot);
  // A small round head, a long beak, big eyes and a tuft.
  const Vector3 head = zeroJoint(b, kNeck) + Vector3(0, 8, 2);
  c.part("Craneo", kNeck, feathers, ellipsoidMesh(head, {10, 10.5f, 10.5f}, 16, 10));
  c.part("Cara", kNeck, white, ellipsoidMesh(head + Vector3(0, -1.5f, 4.5f), {8, 7.5f, 6.5f}, 12, 6));
  c.part("Pico", kNeck, orange, coneMesh(head + Vector3(0, -2.5f, 8), head + Vector3(0, -5, 24), 3.6f, 10));
  eyes(c, white, black, head + Vector3(-4.5f, 2.5f, 6.5f), 3.8f, 1.8f);
  AseMesh tuft;
  for (const Vector3& tip : {Vector3(-4, 17, -5), Vector3(0, 18.5f, -2), Vector3(4, 17, -5)}) {
    tuft.append(coneMesh(head + Vector3(0, 8, -1), head + tip, 2.0f, 8));
  }
  c.part("Copete", kNeck, vest, tuft);
  c.racketAndBall(0xD8262E, 0xF5F5F5);
  return finish(c, head + Vector3(0, -3, 4), 22, 0x3D8BFF);
}

Character roveriru(const char* folder) {
  CharacterBuild build;
  CharacterProportions& b = build.body;
  b.footHeight = 4;
  b.shin = 15;
  b.thigh = 15;
  b.hipX = 9;
  b.hipDrop = 3;
  b.waist = 12;
  b.chest = 16;
  b.neck = 8;
  b.shoulderX = 17;
  b.shoulderY = 7;
  b.upperArm = 22;
  b.forearm = 20;
  b.handLength = 5;
  build.girth = 25;
  build.belly = 23;
  build.footLength = 14;
  CharacterBuilder c(folder, build);
  const int skin = c.material("Piel", 0xF7A1C4);
  const int snout = c.material("Hocico", 0xEE6FA0);
  const int shirt = c.material("Camiseta", 0x8E44AD);
  const int white = c.material("Blanco", 0xFFFFFF);
  const int shorts = c.material("Pantalon", 0x3F3A63);
  const int black = c.material("Negro", 0x151515);

  c.trunk({{.y = 30, .halfWidth = 12, .halfDepth = 11, .forward = 0},
           {.y = 33, .halfWidth = 18, .halfDepth = 16, .forward = 1},
           {.y = 40, .halfWidth = 23, .halfDepth = 20, .forward = 3},
           {.y = 49, .halfWidth = 25, .halfDepth = 22, .forward = 4},
           {.y = 58, .halfWidth = 23.5f, .halfDepth = 20.5f, .forward = 3},
           {.y = 66, .halfWidth = 19.5f, .halfDepth = 16.5f, .forward = 1.5f},
           {.y = 72, .halfWidth = 14, .halfDepth = 12, .forward = 0.5f},
           {.y = 77, .halfWidth = 10, .halfDepth = 9, .forward = 0.5f}},
          18, [&](float y, float) {
            if (y < 43) return shorts;
            if (y > 54 && y < 59) return white;
            if (y < 71) return shirt;
            return skin;
          });
  c.arms({{.along = 0, .radius = 6.2f},
          {.along = 11, .radius = 5.4f},
          {.along = 22, .radius = 4.6f},
          {.along = 32, .radius = 4.6f},
          {.along = 42, .radius = 4.0f}},
         10, [&](float where, float) { return where < 0.24f ? shirt : skin; });
  c.legs({{.along = -2, .radius = 7.5f},
          {.along = 8, .radius = 7.0f},
          {.along = 15, .radius = 5.8f},
          {.along = 23, .radius = 5.2f},
          {.along = 30, .radius = 4.2f}},
         10, [&](float where, float) { return where < 0.36f ? shorts : skin; });
  fists(c, skin, 1.15f);
  wristbands(c, white, 4.3f);
  const Vector3 ankle = zeroJoint(b, kRightFoot);
  c.pairedPart("PieDMalla", "PieIMalla", kRightFoot, white,
               roundedBoxMesh(ankle + Vector3(0, -0.8f, 3.5f), {6, 3.6f, 9.5f}, 0.3f, 10, 6));
  // A round head with a snout, round ears and a headband; a curly tail.
  const Vector3 head = zeroJoint(b, kNeck) + Vector3(0, 12, 1);
  c.part("Craneo", kNeck, skin, ellipsoidMesh(head, {17, 15.5f, 16}, 18, 10));
  c.part("Hocico", kNeck, snout, roundedBoxMesh(head + Vector3(0, -3, 15), {7, 5.5f, 4}, 0.35f, 12, 6));
  c.pairedPart("NarizD", "NarizI", kNeck, black,
               ellipsoidMesh(head + Vector3(-2.4f, -2.5f, 18.8f), {1.3f, 1.9f, 0.8f}, 8, 5));
  c.pairedPart("OjoD", "OjoI", kNeck, black, ellipsoidMesh(head + Vector3(-6.5f, 5, 13.6f), {2.0f, 2.8f, 1.4f}, 8, 5));
  AseMesh ear = ellipsoidMesh({}, {5.5f, 7, 2.4f}, 10, 6);
  ear.transform(rotate(translate(Matrix(), head + Vector3(-11.5f, 13, -1)), 28, 0, 0, 1));
  c.pairedPart("OrejaD", "OrejaI", kNeck, skin, ear);
  c.part("Cinta", kNeck, white,
         ringMesh(head + Vector3(0, 7.5f, 0.5f), {1, 0, 0}, {0, 0, 1}, 15.2f, 14.4f, 1.9f, 24, 5));
  AseMesh curl = ringMesh({0, 44, -22.5f}, {0, 1, 0}, {0, 0, -1}, 3, 3, 1.2f, 14, 6);
  curl.append(capsuleMesh({0, 41, -20}, {0, 43, -23}, 1.2f, 1.2f, 6));
  c.part("Cola", kPelvis, skin, curl);
  c.racketAndBall(0x2E9CDB, 0x2E2E2E);
  return finish(c, head + Vector3(0, -1, 3), 25, 0x9B59B6);
}

Character doredu(const char* folder) {
  CharacterBuild build;
  CharacterProportions& b = build.body;
  b.footHeight = 5;
  b.shin = 22;
  b.thigh = 21;
  b.hipX = 7;
  b.hipDrop = 3;
  b.waist = 11;
  b.chest = 14;
  b.neck = 9;
  b.shoulderX = 12.5f;
  b.shoulderY = 6;
  b.upperArm = 20;
  b.forearm = 18;
  b.handLength = 4.5f;
  b.tailRoot = {0, -3, -9};
  b.tailLength = 34;
  build.girth = 14.5f;
  build.belly = 12;
  build.footLength = 14;
  CharacterBuilder c(folder, build);
  const int fur = c.material("Pelo", 0xF28C28);
  const int cream = c.material("Crema", 0xFFF3E0);
  const int shirt = c.material("Camiseta", 0x1FA398);
  const int shorts = c.material("Pantalon", 0xF5F5F5);
  const int dark = c.material("Oscuro", 0x4A2F1D);
  const int shoes = c.material("Zapatillas", 0xD33A2C);
  const int black = c.material("Negro", 0x151515);

  c.trunk({{.y = 47, .halfWidth = 10, .halfDepth = 9, .forward = 0},
           {.y = 51, .halfWidth = 13, .halfDepth = 11, .forward = 0.5f},
           {.y = 58, .halfWidth = 13.5f, .halfDepth = 11, .forward = 1},
           {.y = 65, .halfWidth = 12.5f, .halfDepth = 10.5f, .forward = 1.5f},
           {.y = 73, .halfWidth = 14.5f, .halfDepth = 11, .forward = 1.5f},
           {.y = 80, .halfWidth = 14, .halfDepth = 10, .forward = 0.5f},
           {.y = 85, .halfWidth = 9, .halfDepth = 7.5f, .forward = 0.5f},
           {.y = 90, .halfWidth = 6, .halfDepth = 6, .forward = 1}},
          16, [&](float y, float) {
            if (y < 56) return shorts;
            if (y < 83) return y > 80.5f ? cream : shirt;
            return fur;
          });
  c.arms({{.along = 0, .radius = 4.6f},
          {.along = 10, .radius = 4.0f},
          {.along = 20, .radius = 3.4f},
          {.along = 29, .radius = 3.5f},
          {.along = 38, .radius = 3.0f}},
         10, [&](float where, float) { return where < 0.2f ? shirt : fur; });
  c.legs({{.along = -2, .radius = 6.4f},
          {.along = 10, .radius = 5.6f},
          {.along = 21, .radius = 4.0f},
          {.along = 32, .radius = 3.8f},
          {.along = 43, .radius = 3.0f}},
         10, [&](float where, float) {
           if (where < 0.3f) return shorts;
           return where > 0.78f ? dark : fur;
         });
  c.tail({{.along = 0, .radius = 2.5f},
          {.along = 6, .radius = 5.5f},
          {.along = 14, .radius = 8},
          {.along = 22, .radius = 8.5f},
          {.along = 29, .radius = 6.5f},
          {.along = 34, .radius = 3}},
         10, [&](float where, float) { return where > 0.72f ? cream : fur; });
  fists(c, cream, 1.0f);
  wristbands(c, shirt, 3.2f);
  const Vector3 ankle = zeroJoint(b, kRightFoot);
  AseMesh shoe = roundedBoxMesh(ankle + Vector3(0, -1.8f, 4.5f), {4.8f, 3.4f, 9}, 0.3f, 10, 6);
  c.pairedPart("PieDMalla", "PieIMalla", kRightFoot, shoes, shoe);
  // A round head with a white muzzle, tall ears.
  const Vector3 head = zeroJoint(b, kNeck) + Vector3(0, 11, 1);
  c.part("Craneo", kNeck, fur, ellipsoidMesh(head, {11.5f, 11, 11}, 16, 10));
  c.part("Hocico", kNeck, cream, ellipsoidMesh(head + Vector3(0, -3.5f, 8.5f), {6.5f, 5, 7.5f}, 12, 6));
  c.pairedPart("MejillaD", "MejillaI", kNeck, cream, ellipsoidMesh(head + Vector3(-6.5f, -4.5f, 5), {5, 4, 5}, 8, 5));
  c.part("Nariz", kNeck, black, ellipsoidMesh(head + Vector3(0, -2, 16), {2.2f, 1.8f, 1.8f}, 8, 5));
  eyes(c, cream, black, head + Vector3(-4.6f, 2.5f, 8), 3.2f, 1.7f);
  c.pairedPart("OrejaD", "OrejaI", kNeck, fur,
               coneMesh(head + Vector3(-6.5f, 6.5f, -1), head + Vector3(-10, 20, -2.5f), 5, 10));
  c.pairedPart("OrejaDentroD", "OrejaDentroI", kNeck, dark,
               coneMesh(head + Vector3(-6.6f, 7.5f, 1.5f), head + Vector3(-9.7f, 18, 0.2f), 3.2f, 8));
  c.racketAndBall(0x7A3FD1, 0x2E2E2E);
  return finish(c, head + Vector3(0, 0, 3), 22, 0xF28C28);
}

// The recipes by the folder name they are listed under in kCharacters.
struct Recipe {
  std::string_view folder;
  Character (*build)(const char* folder);
};
constexpr Recipe kRecipes[] = {
    {.folder = "Vazuvodod", .build = vazuvodod},
    {.folder = "Revirade", .build = revirade},
    {.folder = "Roveriru", .build = roveriru},
    {.folder = "Doredu", .build = doredu},
};

std::vector<Character> characters() {
  std::vector<Character> built;
  for (const CharacterEntry& entry : kCharacters) {
    const auto recipe = std::find_if(std::begin(kRecipes), std::end(kRecipes),
                                     [&](const Recipe& r) { return r.folder == entry.folder; });
    if (recipe == std::end(kRecipes))
      throw std::runtime_error(std::string("no recipe for the character ") + entry.folder);
    built.push_back(recipe->build(entry.folder));
  }
  return built;
}

}  // namespace

std::vector<ModelAsset> characterModels() {
  std::vector<ModelAsset> assets;
  for (Character& c : characters()) assets.push_back(std::move(c.asset));
  return assets;
}

void writeCharacters(const std::filesystem::path& runDir) {
  for (const Character& c : characters()) {
    writeModelAsset(runDir, c.asset);
    const std::string folder = std::filesystem::path(c.asset.path).parent_path().generic_string();
    writeContentFile(runDir, folder + "/" + kCharacterPortraitFile,
                     bmpFile(characterPortrait(c.asset.scene, c.portraitCentre, c.portraitRadius, c.badge)));
  }
}
