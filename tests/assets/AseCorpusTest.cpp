// Real exported files from the shared corpus (beside the repository, never
// copied into it) load safely with the face totals of assimp 5.2.5 (raw
// import): both read *GEOMOBJECT meshes only, not the per-frame meshes of
// *MESH_ANIMATION. In mundo_tree the unclosed *MATERIAL_LIST ends at the
// first nested "}", so the *GEOMOBJECT after it is read as usual.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

#include "support/ModelText.h"

namespace {

namespace fs = std::filesystem;

// Faces and cameras per file. flashlight and vehicle crash assimp (its
// colour-face bug): their totals are the files' "*MESH_FACE" lines.
const std::map<std::string, std::pair<size_t, size_t>> kAssimp = {
    {"assimp__CameraRollAnimWithChildObject.ase", {24, 1}}, {"assimp__MotionCaptureROM.ase", {2016, 0}},
    {"assimp__Rifle2.ase", {572, 0}}, {"assimp__TargetCameraAnim.ase", {12, 1}},
    {"assimp__UVTransform_ScaleUV1-2_OffsetUV0-0.9_Rotate-72_mirrorU.ase", {32, 0}},
    {"mc2__BTurretControlDamL1.ase", {73, 0}}, {"mc2__InfantryL1.ase", {35, 0}}, {"mc2__L_SpotlightL1.ase", {62, 0}},
    {"mc2__MechPiece_Arm2.ase", {27, 0}}, {"mc2__RavenJump.ase", {260, 0}}, {"mc2__S_Gov1DamX.ase", {239, 0}},
    {"mc2__TargetShort.ase", {4, 0}}, {"oa-lostlevels__am_it_foghat.ase", {40, 0}},
    {"trem-transit__janctf1support1.ase", {198, 0}}, {"trem-transit__outpostbrokenbeam.ase", {48, 0}},
    {"trem-uncreation__uncreation01.ase", {1000, 0}}, {"unv-station15__mundo_tree.ase", {1080, 0}},
    {"unv-station15__shrub01a.ase", {50, 0}}, {"unv-vega__ceilinglight2.ase", {492, 0}},
    {"unv-vega__console.ase", {964, 0}}, {"unv-vega__flashlight.ase", {160, 0}}, {"unv-vega__vehicle.ase", {2868, 0}},
    {"assimp__ThreeCubesGreen.ASE", {36, 0}}, {"assimp__anim2.ASE", {24, 1}}, {"gametut__statue.ASE", {2849, 0}},
};

// Each file also reads as a clip file of itself: every node is found, so
// each gives a whole second clip.
TEST(AseCorpus, EveryFileLoadsSafelyWithAssimpsFaceTotalAndAsAClipOfItself) {
  const fs::path folder = fs::path(std::getenv("ZUMBOLO_SOURCE_DIR")) / ".." / "shared" / "ase-corpus";
  if (!fs::is_directory(folder)) GTEST_SKIP() << "no shared ase-corpus folder beside the repository";
  size_t compared = 0;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string(), extension = entry.path().extension().string();
    if (extension != ".ase" && extension != ".ASE" && extension != ".asz" && extension != ".ASZ") continue;
    SCOPED_TRACE(name);
    const LoadedModel loaded = loadAse("", entry.path().string(), true, {entry.path().string()});
    ASSERT_EQ(loaded.model->root->animationCount(), 2u);
    expectSafe(loaded);
    size_t faces = 0;
    forEachObject(*loaded.model->root, [&](const SceneObject& object) { faces += object.faces().size(); });
    EXPECT_GT(faces, 0u);
    const auto expected = kAssimp.find(name);
    if (expected == kAssimp.end()) continue;
    ++compared;
    EXPECT_EQ(faces, expected->second.first) << loaded.output;
    EXPECT_EQ(loaded.model->objects.size(), expected->second.second);
  }
  EXPECT_EQ(compared, kAssimp.size());
}

}  // namespace
