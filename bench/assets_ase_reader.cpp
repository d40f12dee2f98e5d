// Load throughput of the game's model reader, side by side with assimp's
// import of the same ".ASE" files (alone, and with the vertex joining that
// makes its meshes indexed like the reader's), in bytes of
// file per second. Two inputs: the largest file of the shared corpus that
// assimp can import, and a large file written here in the exporter's layout
// (textured meshes with normals, tens of MB).
//
// Run: bench_assets_ase_reader [--benchmark_...]; the corpus folder can be given
// with ZUMBOLO_ASE_CORPUS.

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

#include <unistd.h>

#include "assets/AseReader.h"
#include "engine/TextureFactory.h"

namespace {

namespace fs = std::filesystem;

// Files of the corpus that crash assimp 5.2 (its colour-face bug).
bool crashesAssimp(const fs::path& file) {
  const std::string name = file.filename().string();
  return name == "unv-vega__flashlight.ase" || name == "unv-vega__vehicle.ase";
}

fs::path largestCorpusFile() {
  const char* override = std::getenv("ZUMBOLO_ASE_CORPUS");
  const fs::path folder = override ? fs::path(override) : fs::path(ZUMBOLO_ASE_CORPUS);
  fs::path best;
  uintmax_t bestSize = 0;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(folder, error)) {
    const std::string extension = entry.path().extension().string();
    if ((extension != ".ase" && extension != ".ASE") || crashesAssimp(entry.path())) continue;
    if (entry.file_size() > bestSize) {
      bestSize = entry.file_size();
      best = entry.path();
    }
  }
  return best;
}

// A model in the exporter's layout: `objects` textured grids of side x side
// vertices, each with texture coordinates, texture faces and normals.
std::string generateModel(int objects, int side) {
  std::string text;
  text.reserve(static_cast<size_t>(objects) * side * side * 700);
  char line[256];
  text += "*3DSMAX_ASCIIEXPORT\t200\n*COMMENT \"AsciiExport Version  2.00 - Sat Dec 06 18:00:00 2008\"\n";
  text += "*SCENE {\n\t*SCENE_FILENAME \"big.max\"\n\t*SCENE_FIRSTFRAME 0\n\t*SCENE_LASTFRAME 100\n"
          "\t*SCENE_FRAMESPEED 30\n\t*SCENE_TICKSPERFRAME 160\n}\n";
  text += "*MATERIAL_LIST {\n\t*MATERIAL_COUNT 1\n\t*MATERIAL 0 {\n\t\t*MATERIAL_NAME \"Suelo [cartoon]\"\n"
          "\t\t*MATERIAL_CLASS \"Standard\"\n\t\t*MATERIAL_AMBIENT 0.5882\t0.5882\t0.5882\n"
          "\t\t*MATERIAL_DIFFUSE 0.5882\t0.5882\t0.5882\n\t\t*MATERIAL_SPECULAR 0.9000\t0.9000\t0.9000\n"
          "\t\t*MAP_DIFFUSE {\n\t\t\t*MAP_NAME \"Map #1\"\n\t\t\t*MAP_CLASS \"Bitmap\"\n"
          "\t\t\t*BITMAP \"C:\\3dsmax\\maps\\suelo.tga\"\n\t\t}\n\t}\n}\n";
  const int vertices = side * side;
  const int faces = 2 * (side - 1) * (side - 1);
  for (int object = 0; object < objects; ++object) {
    std::snprintf(line, sizeof line, "*GEOMOBJECT {\n\t*NODE_NAME \"Suelo%02d\"\n", object);
    text += line;
    std::snprintf(line, sizeof line,
                  "\t*NODE_TM {\n\t\t*NODE_NAME \"Suelo%02d\"\n\t\t*INHERIT_POS 0 0 0\n\t\t*INHERIT_ROT 0 0 0\n"
                  "\t\t*INHERIT_SCL 0 0 0\n\t\t*TM_ROW0 1.0000\t0.0000\t0.0000\n\t\t*TM_ROW1 0.0000\t1.0000\t0.0000\n"
                  "\t\t*TM_ROW2 0.0000\t0.0000\t1.0000\n\t\t*TM_ROW3 %.4f\t0.0000\t0.0000\n\t}\n",
                  object, object * 1000.0);
    text += line;
    std::snprintf(line, sizeof line,
                  "\t*MESH {\n\t\t*TIMEVALUE 0\n\t\t*MESH_NUMVERTEX %d\n\t\t*MESH_NUMFACES %d\n"
                  "\t\t*MESH_VERTEX_LIST {\n",
                  vertices, faces);
    text += line;
    auto height = [&](int x, int y) { return 20.0 * std::sin(x * 0.1) * std::cos(y * 0.13); };
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        std::snprintf(line, sizeof line, "\t\t\t*MESH_VERTEX %5d\t%.4f\t%.4f\t%.4f\n", y * side + x,
                      object * 1000.0 + x * 3.25, y * 3.25, height(x, y));
        text += line;
      }
    }
    text += "\t\t}\n\t\t*MESH_FACE_LIST {\n";
    int face = 0;
    for (int y = 0; y + 1 < side; ++y) {
      for (int x = 0; x + 1 < side; ++x) {
        const int a = y * side + x;
        const int corners[2][3] = {{a, a + 1, a + side + 1}, {a, a + side + 1, a + side}};
        for (const auto& c : corners) {
          std::snprintf(line, sizeof line,
                        "\t\t\t*MESH_FACE %5d:    A: %5d B: %5d C: %5d AB:    1 BC:    1 CA:    0\t "
                        "*MESH_SMOOTHING 1 \t*MESH_MTLID 0\n",
                        face++, c[0], c[1], c[2]);
          text += line;
        }
      }
    }
    std::snprintf(line, sizeof line, "\t\t}\n\t\t*MESH_NUMTVERTEX %d\n\t\t*MESH_TVERTLIST {\n", vertices);
    text += line;
    for (int y = 0; y < side; ++y) {
      for (int x = 0; x < side; ++x) {
        std::snprintf(line, sizeof line, "\t\t\t*MESH_TVERT %d\t%.4f\t%.4f\t0.0000\n", y * side + x,
                      static_cast<double>(x) / (side - 1), static_cast<double>(y) / (side - 1));
        text += line;
      }
    }
    std::snprintf(line, sizeof line, "\t\t}\n\t\t*MESH_NUMTVFACES %d\n\t\t*MESH_TFACELIST {\n", faces);
    text += line;
    face = 0;
    for (int y = 0; y + 1 < side; ++y) {
      for (int x = 0; x + 1 < side; ++x) {
        const int a = y * side + x;
        std::snprintf(line, sizeof line, "\t\t\t*MESH_TFACE %d\t%d\t%d\t%d\n\t\t\t*MESH_TFACE %d\t%d\t%d\t%d\n",
                      face, a, a + 1, a + side + 1, face + 1, a, a + side + 1, a + side);
        text += line;
        face += 2;
      }
    }
    text += "\t\t}\n\t\t*MESH_NORMALS {\n";
    face = 0;
    for (int y = 0; y + 1 < side; ++y) {
      for (int x = 0; x + 1 < side; ++x) {
        const int a = y * side + x;
        const int corners[2][3] = {{a, a + 1, a + side + 1}, {a, a + side + 1, a + side}};
        for (const auto& c : corners) {
          std::snprintf(line, sizeof line, "\t\t\t*MESH_FACENORMAL %d\t0.0000\t0.0000\t1.0000\n", face++);
          text += line;
          for (int corner : c) {
            std::snprintf(line, sizeof line, "\t\t\t\t*MESH_VERTEXNORMAL %d\t%.4f\t%.4f\t%.4f\n", corner,
                          0.1 * std::sin(corner * 0.01), 0.1 * std::cos(corner * 0.01), 0.9950);
            text += line;
          }
        }
      }
    }
    text += "\t\t}\n\t}\n\t*PROP_MOTIONBLUR 0\n\t*PROP_CASTSHADOW 1\n\t*PROP_RECVSHADOW 1\n\t*MATERIAL_REF 0\n}\n";
  }
  return text;
}

// The generated model, written once to a temporary file (both readers
// read from disk) and removed when the benchmark ends.
class GeneratedFile {
 public:
  GeneratedFile() : file(fs::temp_directory_path() / ("zumbolo-bench-" + std::to_string(getpid()) + ".ASE")) {
    const std::string text = generateModel(3, 180);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out || std::fwrite(text.data(), 1, text.size(), out) != text.size()) std::abort();
    std::fclose(out);
  }
  ~GeneratedFile() {
    std::error_code ignored;
    fs::remove(file, ignored);
  }
  const fs::path& path() const { return file; }

 private:
  fs::path file;
};

const fs::path& generatedFile() {
  static const GeneratedFile generated;
  return generated.path();
}

void readWithGameReader(benchmark::State& state, const fs::path& file) {
  if (file.empty()) {
    state.SkipWithError("no corpus file");
    return;
  }
  const auto bytes = static_cast<int64_t>(fs::file_size(file));
  size_t children = 0;
  for (auto _ : state) {
    AseReader reader(file.string(), std::make_shared<RecordingTextureFactory>());
    const std::shared_ptr<Model> model = reader.load();
    benchmark::DoNotOptimize(model.get());
    children = model->root->children().size();
  }
  state.SetBytesProcessed(bytes * state.iterations());
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["topNodes"] = static_cast<double>(children);
}

// flags 0: assimp's import alone (faces un-indexed, three vertices each).
// aiProcess_JoinIdenticalVertices gives meshes indexed like the game
// reader's, for a second, like-for-like figure.
void readWithAssimp(benchmark::State& state, const fs::path& file, unsigned flags) {
  if (file.empty()) {
    state.SkipWithError("no corpus file");
    return;
  }
  const auto bytes = static_cast<int64_t>(fs::file_size(file));
  size_t meshes = 0;
  for (auto _ : state) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(file.string(), flags);
    if (!scene) {
      state.SkipWithError(importer.GetErrorString());
      return;
    }
    meshes = scene->mNumMeshes;
    benchmark::DoNotOptimize(scene);
  }
  state.SetBytesProcessed(bytes * state.iterations());
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
  state.counters["meshes"] = static_cast<double>(meshes);
}

void BM_GameReader_Corpus(benchmark::State& state) { readWithGameReader(state, largestCorpusFile()); }
void BM_Assimp_Corpus(benchmark::State& state) { readWithAssimp(state, largestCorpusFile(), 0); }
void BM_AssimpIndexed_Corpus(benchmark::State& state) {
  readWithAssimp(state, largestCorpusFile(), aiProcess_JoinIdenticalVertices);
}
void BM_GameReader_Generated(benchmark::State& state) { readWithGameReader(state, generatedFile()); }
void BM_Assimp_Generated(benchmark::State& state) { readWithAssimp(state, generatedFile(), 0); }
void BM_AssimpIndexed_Generated(benchmark::State& state) {
  readWithAssimp(state, generatedFile(), aiProcess_JoinIdenticalVertices);
}

}  // namespace

BENCHMARK(BM_GameReader_Corpus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Assimp_Corpus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssimpIndexed_Corpus)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GameReader_Generated)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Assimp_Generated)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AssimpIndexed_Generated)->Unit(benchmark::kMillisecond);
