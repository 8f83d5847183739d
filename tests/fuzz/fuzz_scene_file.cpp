// Fuzz target for scene files: the input is read as a scene file beside a
// small class file, the casts it places are started and moved for a few
// frames on rails through each other; the tables must stay within their
// bounds and every cast name within its field.
#include <cstring>

#include "classes/script_classes.h"
#include "fuzz_support.h"
#include "scene/scene.h"

namespace {

const char kClassFile[] =
    "<MotionObject>\n <Name value=\"Box\" />\n <Flags value=\"#00000013\"/>\n"
    " <Motion name=\"Stand\" length=\"4\">\n </Motion>\n</MotionObject>\n";

}  // namespace

T3D_FUZZ_TARGET(data, size) {
  [[maybe_unused]] static const bool written = (WriteFuzzFile("box.txt", kClassFile, sizeof kClassFile - 1), true);
  const std::string path = WriteFuzzFile("input.scn", data, size);

  // Scripts of the scene file see the classes they see in the game.
  static Scene* scene = (UseGameScriptClasses(), new Scene());
  scene->ClearScene();
  scene->LoadScene(path);
  FaultIf(scene->CastCount() < 0 || scene->CastCount() > kCastTableSize);
  FaultIf(scene->ClassCount() > kClassTableSize);
  for (int i = 0; i < scene->CastCount(); ++i) {
    Cast* cast = scene->CastAt(i);
    FaultIf(!cast || std::strlen(cast->GetName()) >= kCastNameSize);
  }

  scene->StartCasts();
  scene->SetFrameCounter(0);
  const int count = scene->CastCount();
  for (int i = 0; i < count; ++i) {
    Cast* cast = scene->CastAt(i);
    Cast* next = scene->CastAt((i + 1) % count);
    cast->AddRailCast(next, static_cast<std::int32_t>(cast->GetInitTime()));
    cast->AddRailPos(cast->GetInitPos(), cast->GetInitRotate(), cast->GetInitMotion());
    cast->RunOnTheRail(cast->GetInitFlags() & 0x80000001u, cast->GetRegionAttribute());
  }
  for (int frame = 0; frame < 4; ++frame) scene->Update();
  if (count > 0) scene->DeleteCast(scene->CastAt(0));
  scene->Update();
  scene->SetFrameCounter(kSceneNotRunning);
  return 0;
}
