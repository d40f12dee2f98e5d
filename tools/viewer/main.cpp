// viewer: shows a model file (".ASE"/".ASZ") as the game draws it, through
// the game's own reader, textures, shader programs and scene passes, in a
// window to orbit around while its clips play, or as one PNG picture drawn
// off screen (--screenshot) for scripts and tests.
//
// The viewer lives in the run folder beside the game, and reads the shader
// sources from the shaders/ folder beside itself. The reader's messages,
// which the game writes on standard output, go to standard error with the
// viewer's own.

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <IL/il.h>
#include <IL/ilu.h>
#include <IL/ilut.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Offscreen.h"
#include "OrbitView.h"
#include "ViewerModel.h"
#include "app/GameFolders.h"
#include "app/Window.h"
#include "assets/ShaderProgram.h"
#include "engine/ShaderSupport.h"

namespace {

const char* kHelp = R"(Usage: viewer [options] MODEL

Shows MODEL (a 3ds Max ASCII scene export, ".ASE" or ".ASZ") as the game
draws it: the game's model reader, textures, shader programs (cartoon
materials with their shader and black outlines) and render passes. The clip
files the game reads on top of a model are read from the model's folder, in
the game's order, and numbered from 1 (clip 0 is the model file itself):
  normal.ASZ  ->  andando.ASZ golpe.ASZ reves.ASZ saque00.ASZ .. saque04.ASZ
                  ganando.ASZ perdiendo.ASZ saltando00.ASZ .. saltando02.ASZ
  birdy.ASE   ->  BirdyIntroSingles.ASE
A missing clip file is named on standard error and the later clips move up
one (the game instead keeps every clip's number and plays a missing clip
in the rest pose, for as long as that clip would last).

Options:
  --screenshot FILE.png  draw one frame off screen, write it as a PNG file
                         and exit (needs an X display, e.g. under xvfb-run)
  --clip N               the clip to show (default 0)
  --time MS              the time on the model's clock, in milliseconds
                         (default 0; clips loop, as in the game). In the
                         window, the clip starts paused at that time.
  --size WxH             the picture or window size (default 800x600)
  --camera NAME          look through the model's camera NAME (with the
                         game's projection, whose aspect is always 4:3)
                         instead of framing the whole model from the front
                         and slightly above
  --clip-file FILE       read FILE as one more clip, after the game's ones
                         (may be given more than once)
  --no-clips             do not read the game's clip files
  --bones                show the bones (yellow lines, orange joints)
  --no-outlines          draw cartoon materials without their outlines
  --no-shaders           draw with fixed function, as on a graphics card
                         without shader objects
  --shaders DIR          read shader sources from DIR (default: the shaders
                         folder beside the viewer, else ./shaders)
  --help                 this text

In the window:
  left drag, arrow keys     orbit around the model
  right or middle drag      move the view across
  wheel, + and -            come closer or go farther
  r                         frame the model again (as posed now)
  0 .. 9, PageUp, PageDown  choose the clip
  space                     pause or play
  , and .                   step the clock back or on by one frame (pauses)
  Home                      back to the clip's first frame
  b                         bones on or off
  o                         outlines on or off
  s                         cartoon shader on or off (fixed function)
  c                         through the model's cameras in turn, then back
  h                         hide or show the help on screen
  q, Escape                 quit

Exit status: 0 when the picture was written (or the window was closed);
1 when the model cannot be loaded, the clip or camera is not in it, there is
no display or the picture cannot be written; 2 for a bad command line.
Diagnostics, the game reader's messages among them, go to standard error.
)";

constexpr int kDefaultWidth = 800;
constexpr int kDefaultHeight = 600;
// A mid grey-blue: black outlines and dark materials both stand out on it.
constexpr float kBackground[3] = {0.36f, 0.40f, 0.46f};

struct Options {
  std::string model;
  std::string screenshot;
  uint32_t clip = 0;
  uint32_t timeMs = 0;
  bool timeGiven = false;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  std::string camera;
  std::vector<std::string> extraClips;
  bool gameClips = true;
  bool bones = false;
  bool outlines = true;
  bool shaders = true;
  std::string shaderFolder;
};

int usage(const std::string& problem) {
  std::fprintf(stderr, "viewer: %s (viewer --help for the usage)\n", problem.c_str());
  return 2;
}

int fail(const std::string& problem) {
  std::fprintf(stderr, "viewer: %s\n", problem.c_str());
  return 1;
}

bool parseUnsigned(const char* text, uint32_t& value) {
  if (!text || !*text || *text == '-' || *text == '+') return false;
  char* end = nullptr;
  const unsigned long long parsed = std::strtoull(text, &end, 10);
  if (*end != '\0' || parsed > UINT32_MAX) return false;
  value = uint32_t(parsed);
  return true;
}

bool parseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find('x');
  uint32_t w = 0;
  uint32_t h = 0;
  if (x == std::string::npos || !parseUnsigned(text.substr(0, x).c_str(), w) ||
      !parseUnsigned(text.substr(x + 1).c_str(), h) || w == 0 || h == 0 || w > 16384 || h > 16384) {
    return false;
  }
  width = int(w);
  height = int(h);
  return true;
}

// 0 when the options are good, else the exit status (after saying why).
int parseOptions(int argc, char** argv, Options& options, bool& help) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    // The option's value, or null when the command line ends first.
    const auto value = [&]() -> const char* { return i + 1 < argc ? argv[++i] : nullptr; };
    if (argument == "--help" || argument == "-h") {
      help = true;
      return 0;
    } else if (argument == "--screenshot") {
      const char* file = value();
      if (!file || !*file) return usage("--screenshot needs a file name");
      options.screenshot = file;
    } else if (argument == "--clip") {
      if (!parseUnsigned(value(), options.clip)) return usage("--clip needs a clip number");
    } else if (argument == "--time") {
      if (!parseUnsigned(value(), options.timeMs)) return usage("--time needs milliseconds (0 or more)");
      options.timeGiven = true;
    } else if (argument == "--size") {
      const char* size = value();
      if (!size || !parseSize(size, options.width, options.height)) {
        return usage("--size needs WIDTHxHEIGHT, e.g. 800x600");
      }
    } else if (argument == "--camera") {
      const char* name = value();
      if (!name) return usage("--camera needs a camera name");
      options.camera = name;
    } else if (argument == "--clip-file") {
      const char* file = value();
      if (!file) return usage("--clip-file needs a file");
      options.extraClips.push_back(file);
    } else if (argument == "--no-clips") {
      options.gameClips = false;
    } else if (argument == "--bones") {
      options.bones = true;
    } else if (argument == "--no-outlines") {
      options.outlines = false;
    } else if (argument == "--no-shaders") {
      options.shaders = false;
    } else if (argument == "--shaders") {
      const char* folder = value();
      if (!folder) return usage("--shaders needs a folder");
      options.shaderFolder = folder;
    } else if (!argument.empty() && argument[0] == '-') {
      return usage("unknown option " + argument);
    } else if (options.model.empty()) {
      options.model = argument;
    } else {
      return usage("only one model file");
    }
  }
  if (options.model.empty()) return usage("no model file");
  return 0;
}

// The shaders folder of the game's data beside the viewer's own executable
// (the run folder, or the installed data from bin/), when there is one.
std::string defaultShaderFolder() {
  const std::filesystem::path beside = executablePath().parent_path();
  for (const std::filesystem::path& data : {beside, beside / kInstalledDataFolder}) {
    std::error_code error;
    if (std::filesystem::is_directory(data / "shaders", error)) return (data / "shaders").lexically_normal().string();
  }
  return kDefaultShaderFolder;
}

// Window, libraries and the game's fixed OpenGL state, in the game's order.
bool startOpenGl(int& argc, char** argv, const Options& options, bool visible, std::string& problem) {
  if (!std::getenv("DISPLAY")) {
    problem = "no X display (DISPLAY is not set); run under one, e.g. xvfb-run -a viewer ...";
    return false;
  }
  glutInit(&argc, argv);
  glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE | GLUT_DEPTH);
  glutInitWindowSize(options.width, options.height);
  glutCreateWindow(("viewer: " + options.model).c_str());
  if (!visible) glutHideWindow();
  if (glewInit() != GLEW_OK) {
    problem = "GLEW could not start on this OpenGL driver";
    return false;
  }
  ilInit();
  iluInit();
  ilutRenderer(ILUT_OPENGL);
  if (options.shaders && !checkShaderSupport()) {
    std::fprintf(stderr, "viewer: the OpenGL driver has no shader objects: drawing with fixed function\n");
  }
  setShaderFolder(options.shaderFolder.empty() ? defaultShaderFolder() : options.shaderFolder);
  setFixedGlState();
  return true;
}

bool loadModel(ViewerModel& model, const Options& options, std::string& problem) {
  std::vector<std::string> notes;
  // A model that cannot be shown gets its one line, without the notes.
  if (!model.load(options.model, options.gameClips, options.extraClips, problem, notes)) return false;
  if (options.clip >= model.clips().size()) {
    problem = "clip " + std::to_string(options.clip) + " is not in the model (it has " +
              std::to_string(model.clips().size()) + ")";
    return false;
  }
  if (!options.camera.empty() && !model.findCamera(options.camera)) {
    std::string names;
    for (const auto& camera : model.cameras()) names += (names.empty() ? "" : ", ") + ("\"" + camera->name() + "\"");
    problem = "camera \"" + options.camera + "\" is not in the model (" +
              (names.empty() ? std::string("it has none") : "it has " + names) + ")";
    return false;
  }
  for (const std::string& note : notes) std::fprintf(stderr, "viewer: %s\n", note.c_str());
  for (const std::string& material : model.materialsWithoutProgram()) {
    std::fprintf(stderr, "viewer: material \"%s\" draws with fixed function: its shader did not build from %s\n",
                 material.c_str(), shaderFolder().c_str());
  }
  return true;
}

void clearPicture() {
  glClearColor(kBackground[0], kBackground[1], kBackground[2], 1.0f);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

// One frame of the model as posed, through `camera` or the orbit view.
void drawModel(ViewerModel& model, const OrbitView& orbit, const Camera* camera, double aspect, bool outlines,
               bool bones) {
  const auto project = [&] {
    if (camera) {
      camera->applyProjection();
    } else {
      orbit.applyProjection(aspect);
    }
  };
  const Matrix view = camera ? camera->viewMatrix() : orbit.view();
  project();
  model.draw(view, outlines);
  if (bones) {
    project();
    model.drawBones(view);
  }
}

int takeScreenshot(int& argc, char** argv, const Options& options) {
  std::string problem;
  if (!startOpenGl(argc, argv, options, false, problem)) return fail(problem);
  Offscreen picture;
  if (!picture.create(options.width, options.height, problem)) return fail(problem);
  ViewerModel model;
  if (!loadModel(model, options, problem)) return fail(problem);

  model.pose(options.clip, options.timeMs);
  const std::shared_ptr<Camera> camera = options.camera.empty() ? nullptr : model.findCamera(options.camera);
  const double aspect = double(options.width) / options.height;
  OrbitView orbit;
  orbit.frame(model.bounds(), aspect);
  clearPicture();
  drawModel(model, orbit, camera.get(), aspect, options.outlines, options.bones);
  if (!picture.writePng(options.screenshot, problem)) return fail(problem);
  return 0;
}

// --- The window -----------------------------------------------------------------

struct Window {
  Options options;
  ViewerModel model;
  OrbitView orbit;
  uint32_t clip = 0;
  double timeMs = 0;
  bool paused = false;
  bool bones = false;
  bool outlines = true;
  bool help = true;
  // -1: the orbit view; otherwise an index into the model's cameras.
  int cameraIndex = -1;
  int width = kDefaultWidth;
  int height = kDefaultHeight;
  int lastTick = 0;
  int dragButton = -1;
  int dragX = 0;
  int dragY = 0;
};

std::unique_ptr<Window> window;

const ClipInfo& currentClip() { return window->model.clips()[window->clip]; }

std::shared_ptr<Camera> currentCamera() {
  const auto cameras = window->model.cameras();
  if (window->cameraIndex < 0 || size_t(window->cameraIndex) >= cameras.size()) return nullptr;
  return cameras[size_t(window->cameraIndex)];
}

void frameModel() {
  window->model.pose(window->clip, uint32_t(window->timeMs));
  window->orbit.frame(window->model.bounds(), double(window->width) / window->height);
}

void selectClip(uint32_t clip) {
  if (clip >= window->model.clips().size() || clip == window->clip) return;
  window->clip = clip;
  window->timeMs = 0;
}

void step(int frames) {
  window->paused = true;
  const double loop = currentClip().loopMs();
  window->timeMs = std::fmod(window->timeMs + frames * double(currentClip().msPerFrame) + loop, loop);
  // Land on the frame itself, not between two.
  window->timeMs = std::floor(window->timeMs / currentClip().msPerFrame) * currentClip().msPerFrame;
}

void text(int x, int y, const std::string& line) {
  glColor3f(0, 0, 0);
  glRasterPos2i(x + 1, y - 1);
  glutBitmapString(GLUT_BITMAP_9_BY_15, reinterpret_cast<const unsigned char*>(line.c_str()));
  glColor3f(1, 1, 1);
  glRasterPos2i(x, y);
  glutBitmapString(GLUT_BITMAP_9_BY_15, reinterpret_cast<const unsigned char*>(line.c_str()));
}

void drawHud() {
  const Window& w = *window;
  const ClipInfo& info = currentClip();
  const auto camera = currentCamera();
  useProgram(0);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_LIGHTING);
  glDisable(GL_TEXTURE_2D);
  glDisable(GL_BLEND);
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  gluOrtho2D(0, w.width, 0, w.height);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();

  const std::string clipLine = "clip " + std::to_string(w.clip) + " of 0.." +
                               std::to_string(w.model.clips().size() - 1) + ": " +
                               std::filesystem::path(info.file).filename().string() + "  (" +
                               std::to_string(info.durationMs) + " ms, " + std::to_string(info.msPerFrame) +
                               " ms a frame)";
  const uint32_t frames = info.loopMs() / info.msPerFrame;
  const std::string timeLine = "time " + std::to_string(uint32_t(w.timeMs)) + " ms   frame " +
                               std::to_string(uint32_t(w.timeMs) / info.msPerFrame) + " of 0.." +
                               std::to_string(frames - 1) + (w.paused ? "   PAUSED" : "");
  std::string viewLine = camera ? "view: camera \"" + camera->name() + "\"" : std::string("view: orbit");
  viewLine += std::string("   shading: ") +
              (!shaderSupport ? "fixed function" : w.model.materialsWithoutProgram().empty() ? "shaders" : "shaders (some failed)") +
              "   outlines: " + (w.outlines ? "on" : "off") + "   bones: " +
              (w.bones ? std::to_string(w.model.boneCount()) : std::string("off"));
  std::string modelLine = w.options.model;
  if (w.model.standInCount() > 0) {
    modelLine += "   (" + std::to_string(w.model.standInCount()) + " mesh(es) without material, in grey)";
  }
  int y = w.height - 18;
  for (const std::string& line : {modelLine, clipLine, timeLine, viewLine}) {
    text(8, y, line);
    y -= 17;
  }
  if (w.help) {
    const char* controls[] = {
        "drag / arrows: orbit   right drag: move   wheel / + -: zoom   r: frame the model",
        "0-9 / PgUp PgDn: clip   space: pause   , .: step a frame   Home: first frame",
        "b: bones   o: outlines   s: shader on/off   c: cameras   h: hide help   q: quit",
    };
    int line = 0;
    for (const char* control : controls) text(8, 8 + 17 * (2 - line++), control);
  }
  glEnable(GL_DEPTH_TEST);
  glEnable(GL_LIGHTING);
}

void onDisplay() {
  Window& w = *window;
  const int now = glutGet(GLUT_ELAPSED_TIME);
  const int elapsed = std::clamp(now - w.lastTick, 0, 1000);
  w.lastTick = now;
  if (!w.paused) w.timeMs = std::fmod(w.timeMs + elapsed, double(currentClip().loopMs()));
  w.model.pose(w.clip, uint32_t(w.timeMs));

  glViewport(0, 0, w.width, w.height);
  clearPicture();
  const auto camera = currentCamera();
  drawModel(w.model, w.orbit, camera.get(), double(w.width) / w.height, w.outlines, w.bones);
  drawHud();
  glutSwapBuffers();
}

void onReshape(int width, int height) {
  window->width = std::max(width, 1);
  window->height = std::max(height, 1);
}

// Moving the eye by hand leaves the model's camera for the orbit view.
void toOrbit() { window->cameraIndex = -1; }

void onKeyboard(unsigned char key, int, int) {
  Window& w = *window;
  const bool shaderWanted = w.options.shaders;
  switch (key) {
    case 'q': case 'Q': case 27: std::exit(0);
    case ' ': w.paused = !w.paused; break;
    case '.': case '>': step(1); break;
    case ',': case '<': step(-1); break;
    case 'b': case 'B': w.bones = !w.bones; break;
    case 'o': case 'O': w.outlines = !w.outlines; break;
    case 'h': case 'H': w.help = !w.help; break;
    case 'r': case 'R': toOrbit(); frameModel(); break;
    case '+': case '=': toOrbit(); w.orbit.zoom(1 / 1.15f); break;
    case '-': case '_': toOrbit(); w.orbit.zoom(1.15f); break;
    case 's': case 'S':
      // Programs exist only when the viewer started with shaders.
      if (shaderWanted) shaderSupport = !shaderSupport && checkShaderSupport();
      break;
    case 'c': case 'C': {
      const int count = int(w.model.cameras().size());
      w.cameraIndex = w.cameraIndex + 1 < count ? w.cameraIndex + 1 : -1;
      break;
    }
    default:
      if (key >= '0' && key <= '9') selectClip(uint32_t(key - '0'));
  }
}

void onSpecial(int key, int, int) {
  Window& w = *window;
  const uint32_t clips = uint32_t(w.model.clips().size());
  switch (key) {
    case GLUT_KEY_LEFT: toOrbit(); w.orbit.orbit(-5, 0); break;
    case GLUT_KEY_RIGHT: toOrbit(); w.orbit.orbit(5, 0); break;
    case GLUT_KEY_UP: toOrbit(); w.orbit.orbit(0, 5); break;
    case GLUT_KEY_DOWN: toOrbit(); w.orbit.orbit(0, -5); break;
    case GLUT_KEY_PAGE_UP: selectClip((w.clip + clips - 1) % clips); break;
    case GLUT_KEY_PAGE_DOWN: selectClip((w.clip + 1) % clips); break;
    case GLUT_KEY_HOME: w.timeMs = 0; break;
    default: break;
  }
}

void onMouse(int button, int state, int x, int y) {
  Window& w = *window;
  // freeglut reports the wheel as buttons 3 (away) and 4 (towards).
  if ((button == 3 || button == 4) && state == GLUT_DOWN) {
    toOrbit();
    w.orbit.zoom(button == 3 ? 1 / 1.1f : 1.1f);
    return;
  }
  w.dragButton = state == GLUT_DOWN ? button : -1;
  w.dragX = x;
  w.dragY = y;
}

void onMotion(int x, int y) {
  Window& w = *window;
  const int dx = x - w.dragX;
  const int dy = y - w.dragY;
  w.dragX = x;
  w.dragY = y;
  if (w.dragButton < 0) return;
  toOrbit();
  if (w.dragButton == GLUT_LEFT_BUTTON) {
    w.orbit.orbit(-0.4f * dx, 0.4f * dy);
  } else {
    w.orbit.pan(-float(dx) / w.height, float(dy) / w.height);
  }
}

int openWindow(int& argc, char** argv, const Options& options) {
  std::string problem;
  if (!startOpenGl(argc, argv, options, true, problem)) return fail(problem);
  window = std::make_unique<Window>();
  Window& w = *window;
  w.options = options;
  w.width = options.width;
  w.height = options.height;
  if (!loadModel(w.model, options, problem)) return fail(problem);
  w.clip = options.clip;
  w.timeMs = std::fmod(double(options.timeMs), double(currentClip().loopMs()));
  w.paused = options.timeGiven;
  w.bones = options.bones;
  w.outlines = options.outlines;
  const auto cameras = w.model.cameras();
  for (size_t i = 0; i < cameras.size(); ++i) {
    if (cameras[i]->name() == options.camera) w.cameraIndex = int(i);
  }
  frameModel();
  w.lastTick = glutGet(GLUT_ELAPSED_TIME);

  glutDisplayFunc(onDisplay);
  glutIdleFunc(glutPostRedisplay);
  glutReshapeFunc(onReshape);
  glutKeyboardFunc(onKeyboard);
  glutSpecialFunc(onSpecial);
  glutMouseFunc(onMouse);
  glutMotionFunc(onMotion);
  glutMainLoop();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  bool help = false;
  if (const int status = parseOptions(argc, argv, options, help)) return status;
  if (help) {
    std::fputs(kHelp, stdout);
    return 0;
  }
  // The game's diagnostics (the reader's, the textures') are written on
  // standard output; here they join the viewer's own on standard error.
  std::fflush(stdout);
  dup2(STDERR_FILENO, STDOUT_FILENO);
  return options.screenshot.empty() ? openWindow(argc, argv, options) : takeScreenshot(argc, argv, options);
}
