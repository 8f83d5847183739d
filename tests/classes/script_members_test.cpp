// Data-driven runs of the Cast, Scene, Input and Sound script members: each
// case under cases/members is a scene file and steps with script fragments run
// in the scene's engine (or, after "root ", the root scenario's); the case
// file holds the answers and is compared whole. Lines starting with "  | " are
// what the run printed: the services and the sound manager called, key-map
// entries changed. Steps: scene FILE, run, stop, frames N, clear, for the
// input manager's device "key CODE 1|0", "button N 1|0", then "poll", and
// "services scene" (the scene's own services from then on: nothing printed,
// the scene acts) with "slot N" (a text slot as the scene holds it).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "classes/class_runner.h"
#include "classes/script_classes.h"
#include "files/archive.h"
#include "files/text_scan.h"
#include "input/input_manager.h"
#include "platform/system/content_path.h"
#include "platform/system/shift_jis.h"
#include "scene/scenario_runtime.h"
#include "scene/scene.h"
#include "support/case_files.h"
#include "support/manager_stand_ins.h"

namespace {

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/classes/cases/members";

std::string Num(double value) { return NumberToText(value); }

// Prints every service the members call.
class Recorder : public ScriptServices {
 public:
  Recorder(std::ostringstream& out, const Scene& scene) : out_(out), scene_(scene) {}
  // Cast B stands for a class with an edge-stopper wall.
  bool CastHasEdgeStopper(const Cast& cast) override { return std::string(cast.GetName()) == "B"; }
  void CastDeleteEdgeStopperFaces(Cast& cast, Cast& other, const char* frame) override {
    out_ << "  | edge " << cast.GetName() << " " << other.GetName() << " " << frame << "\n";
  }
  void CastFollowTarget(Cast& camera, Cast& target) override {
    out_ << "  | follow " << camera.GetName() << " " << target.GetName() << "\n";
  }
  void PlaySound(std::uint32_t id, float volume, float pan, float start) override {
    out_ << "  | sound " << id << " " << Num(volume) << " " << Num(pan) << " " << Num(start) << "\n";
  }
  bool SetTimer(std::int32_t delay, std::int32_t id, const char* function, const ScriptValue (&values)[3]) override {
    out_ << "  | timer " << delay << " " << id << " " << function;
    for (const ScriptValue& v : values) out_ << " " << Describe(&v);
    out_ << "\n";
    return true;
  }
  void KillTimer(std::int32_t id) override { out_ << "  | kill " << id << "\n"; }
  void SwitchCamera(Cast* camera, std::int32_t mode, std::int32_t frames, std::int32_t x) override {
    out_ << "  | camera " << (camera ? camera->GetName() : "-") << " " << mode << " " << frames << " " << x << "\n";
  }
  bool AddFade(const FadeRequest& f) override {
    out_ << "  | fade " << f.total << " " << f.inEnd << " " << f.outStart << " " << std::hex << f.color1 << " "
         << f.color2 << " " << f.mode << std::dec << "\n";
    return true;
  }
  void SetCharacterSet(int set, std::shared_ptr<SharedTexture> image, std::vector<Glyph> glyphs) override {
    out_ << "  | charset " << set << " image "
         << (image ? std::to_string(image->GetWidth()) + "x" + std::to_string(image->GetHeight()) : "none")
         << " glyphs " << glyphs.size() << "\n";
  }
  void PutCharacters(const CharacterRequest& r) override {
    out_ << "  | put " << r.slot << " " << r.set << " " << Text(r.text) << " " << std::hex << r.color << std::dec
         << " " << Num(r.x) << " " << Num(r.y) << " " << Num(r.pivotX) << " " << Num(r.pivotY) << " "
         << Num(r.scaleX) << " " << Num(r.scaleY) << " " << Num(r.angle) << " " << Num(r.angleStep) << " "
         << r.duration << " " << r.flags << "\n";
  }
  void DeleteCharacters(int slot) override { out_ << "  | erase " << slot << "\n"; }
  // The width of a text is its byte count here, so cut texts show.
  float CharacterLength(int set, const std::string& text) override {
    out_ << "  | length " << set << " " << Text(text) << "\n";
    return static_cast<float>(text.size());
  }
  void LoadStringList(const std::string& file) override {
    const std::string dir = GetProgramDir();
    out_ << "  | strings " << (file.rfind(dir, 0) == 0 ? file.substr(dir.size()) : file) << "\n";
  }
  bool GetString(std::int32_t id, std::string& out) override {
    if (id != 7) return false;
    out = "seven";
    return true;
  }

  // Short texts as they are; long ones by their length and whether they end
  // on a character boundary.
  static std::string Text(const std::string& text) {
    if (text.size() <= 24) return "\"" + ShiftJisToUtf8(text.c_str()) + "\"";
    const bool whole = WholeCharPrefix(text, text.size()) == text.size();
    return "<" + std::to_string(text.size()) + " bytes, " + (whole ? "whole" : "split") + ">";
  }

  std::string Describe(const ScriptValue* value) const {
    if (!value || value->type != SVT_Object) return DescribeValue(value);
    if (Cast* cast = scene_.CastOfValue(*value)) return std::string("<cast ") + cast->GetName() + ">";
    return value->object.instance ? "<cast deleted>" : "<class>";
  }

 private:
  std::ostringstream& out_;
  const Scene& scene_;
};

// A text slot's set, flags, transition and texts, line breaks shown as \r and \n.
std::string SlotState(Scene& scene, int index) {
  const CharacterSlot& slot = scene.TextSlot(index);
  auto text = [](const char* t) {
    std::string out;
    for (; *t; ++t) out += *t == '\r' ? "\\r" : *t == '\n' ? "\\n" : std::string(1, *t);
    return "\"" + ShiftJisToUtf8(out) + "\"";
  };
  std::ostringstream out;
  out << "  | slot " << index << " set " << slot.characterSet << " flags " << std::hex << slot.flags << std::dec
      << " frames " << slot.elapsed << "/" << slot.duration << " old " << text(slot.oldState.text.data()) << " new "
      << text(slot.newState.text.data()) << "\n";
  return out.str();
}

// Key-map entries that differ, as "entry=value".
std::string KeyMapChanges(const InputManager::KeyMap& before, const InputManager::KeyMap& after) {
  std::string text;
  for (std::size_t entry = 0; entry < before.size(); ++entry)
    if (before[entry] != after[entry]) text += " " + std::to_string(entry) + "=" + std::to_string(after[entry]);
  return text.empty() ? "" : "  | key map" + text + "\n";
}

std::string RunMembers(const std::string& text) {
  std::ostringstream out, calls;
  UseGameScriptClasses();
  // The managers outlive the engines that are handed them.
  auto owned = std::make_unique<ScriptedInputDevice>();
  ScriptedInputDevice& device = *owned;
  InputManager input;
  input.Initialize(std::move(owned));
  std::string soundCalls;
  RecordingSoundManager sound(soundCalls, "  | ");
  Quiet<Scene> scene;
  Recorder recorder(calls, scene);
  ClassesOf(scene).SetServices(&recorder);
  // The root scenario's engine, which reaches the scene's members too.
  Quiet<ScenarioRuntime> root;
  root.RegisterClass(scene.GetSceneClass());
  scene.SetManagers({&input, &sound});
  root.SetManagers({&input, &sound});
  int counter = 0;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("  | ", 0) == 0) continue;
    const std::size_t arrow = line.rfind(" => ");
    if (arrow != std::string::npos && !line.empty() && line[0] != '#') {
      std::string fragment = line.substr(0, arrow);
      out << line.substr(0, arrow + 4);
      CCScript& engine = fragment.rfind("root ", 0) == 0 ? static_cast<CCScript&>(root) : scene;
      if (&engine == &root) fragment = fragment.substr(5);
      InputManager::KeyMap before, after;
      input.GetKeyMap(0, &before);
      const std::string answer = AnswerFragment(engine, "Case" + std::to_string(++counter), fragment,
                                                [&](const ScriptValue* value) { return recorder.Describe(value); });
      input.GetKeyMap(0, &after);
      out << answer << "\n" << calls.str() << soundCalls << KeyMapChanges(before, after);
      calls.str("");
      soundCalls.clear();
      continue;
    }
    out << line << "\n";
    std::istringstream words(line);
    std::string step, arg;
    words >> step >> arg;
    if (step == "scene") {
      out << "  | load " << scene.LoadScene((kCases / arg).string()) << "\n";
    } else if (step == "run") {
      scene.StartCasts();
      scene.SetFrameCounter(0);
    } else if (step == "stop") {
      scene.SetFrameCounter(kSceneNotRunning);
    } else if (step == "frames") {
      for (int i = std::atoi(arg.c_str()); i > 0; --i) scene.Update();
    } else if (step == "clear") {
      scene.ClearScene();
    } else if (step == "key" || step == "button") {
      int down = 0;
      words >> down;
      const int next = device.GetReadCount() + 1;
      if (step == "key") device.KeyAt(next, std::atoi(arg.c_str()), down != 0);
      else device.ButtonAt(next, std::atoi(arg.c_str()), down != 0);
    } else if (step == "poll") {
      input.Poll();
    } else if (step == "services") {
      ClassesOf(scene).SetServices(nullptr);
    } else if (step == "slot") {
      out << SlotState(scene, std::atoi(arg.c_str()));
    }
  }
  ClassesOf(scene).SetServices(nullptr);
  return out.str();
}

class MembersCase : public testing::TestWithParam<std::string> {};

// T3D_WRITE_GOLDEN=1 writes the answers of this run into the case file.
TEST_P(MembersCase, AnswersMatchTheCaseFile) {
  const fs::path file = kCases / (GetParam() + ".members");
  const std::string text = ReadTextFile(file);
  SetProgramDir(kCases.string());
  const std::string answers = RunMembers(text);
  SetProgramDir("");
  EXPECT_EQ(GoldenText(file, answers), answers);
}

INSTANTIATE_TEST_SUITE_P(Cases, MembersCase, testing::ValuesIn(ListCases(kCases, ".members")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
