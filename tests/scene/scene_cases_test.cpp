// Data-driven scene cases (see cases/README): cases/steps/NAME.steps drives a
// fresh scene over the scene files of cases/scenes and the classes of
// cases/classes, one step per line ("#" starts a comment line; every step that
// answers prints one line); the trace must equal cases/steps/NAME.trace.
#include <gtest/gtest.h>

#include <cctype>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "app/headless_host.h"
#include "classes/class_object.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/math/matrix.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"
#include "scene/edge_walls.h"
#include "scene/game/camera_follow.h"
#include "scene/game/game_scene.h"
#include "scene/run_host.h"
#include "scene/cast/ik_chain.h"
#include "scene/scene.h"
#include "scene/text/glyph_table.h"
#include "support/case_files.h"
#include "support/rounded_text.h"

namespace {

constexpr float kDegrees = 0.017453292f;

std::string Vec(const Vector3& v) { return "(" + Num(v.x) + " " + Num(v.y) + " " + Num(v.z) + ")"; }
std::string Quat(const Quaternion& q) {
  return "(" + Num(q.x) + " " + Num(q.y) + " " + Num(q.z) + " " + Num(q.w) + ")";
}
std::string Hex(std::uint32_t word) {
  char text[16];
  std::snprintf(text, sizeof text, "#%08x", word);
  return text;
}

std::string ValueText(const ScriptValue& value, const Scene* scene = nullptr) {
  switch (value.type) {
    case SVT_Object: {
      const Cast* cast = scene ? scene->CastOfValue(value) : nullptr;
      return cast ? std::string("cast ") + cast->GetName() : "cast gone";
    }
    case SVT_None:
      return "none";
    case SVT_Empty:
      return "empty";
    case SVT_Number:
      return Num(value.number);
    case SVT_String:
      return "\"" + std::string(value.text) + "\"";
    default:
      return "type " + std::to_string(value.type);
  }
}

// "#hex" as 32 bits, else a decimal integer taken modulo 2^32 (-1 is 0xFFFFFFFF).
std::uint32_t Word(const std::string& text) {
  if (!text.empty() && text[0] == '#') return static_cast<std::uint32_t>(std::strtoul(text.c_str() + 1, nullptr, 16));
  return static_cast<std::uint32_t>(std::strtoll(text.c_str(), nullptr, 10));
}

// "Trace.Log(a, b, c, d, e)" in the scripts of the case classes and scenes
// prints its five values (a cast as its name), so hooks show their arguments.
class TraceClass : public ClassObject {
 public:
  TraceClass(std::string& out, Scene& scene)
      : ClassObject("Trace", {{MK_Method, SVT_None, "Log", 0, 5}, {MK_Method, SVT_Number, "Run", 0, 1}}),
        out_(out),
        scene_(scene) {}
  bool CallMethod(int member, void*, ScriptValue& result, ScriptValue* args, int count, CCScript& engine) override {
    if (member == 1) {
      // Trace.Run(text): the text run as a Command inside the script call.
      Command command;
      command.SetText(ArgText(engine, args[0]).c_str());
      scene_.ParseCommand(command);
      result.SetNumber(scene_.ExecuteCommand(command, nullptr, nullptr, 0));
      return true;
    }
    out_ += "  log";
    for (int i = 0; i < count; ++i) {
      const ScriptValue* value = engine.FollowReferences(args[i]);
      const Cast* cast = value ? scene_.CastOfValue(*value) : nullptr;
      out_ += " " + (cast ? std::string(cast->GetName()) : value ? ValueText(*value) : "none");
    }
    out_ += "\n";
    return true;
  }

 private:
  std::string& out_;
  Scene& scene_;
};

// "\xHH" as the byte, "{N}" as N of the character before it.
std::string Unescape(const std::string& word) {
  std::string text;
  for (std::size_t i = 0; i < word.size(); ++i) {
    const std::size_t end = word.find('}', i);
    if (word.compare(i, 2, "\\x") == 0 && i + 3 < word.size()) {
      text += static_cast<char>(std::stoi(word.substr(i + 2, 2), nullptr, 16));
      i += 3;
    } else if (word[i] == '{' && !text.empty() && end != std::string::npos) {
      text.append(std::stoul(word.substr(i + 1, end - i - 1)) - 1, text.back());
      i = end;
    } else {
      text += word[i];
    }
  }
  return text;
}

class Runner {
 public:
  explicit Runner(std::string casesDir) : dir_(std::move(casesDir)) {
    RunHost host;
    host.input = &pad_;
    scene_->SetRunHost(host);
    scene_->RegisterClass(&trace_);
  }

  std::string Run(const std::string& steps) {
    std::istringstream lines(steps);
    for (std::string line; std::getline(lines, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::istringstream words(line);
      std::vector<std::string> w;
      for (std::string word; words >> word;) w.push_back(word);
      if (w.empty() || w[0][0] == '#') continue;
      line_ = line;
      Step(w);
    }
    return out_;
  }

 private:
  Cast* Find(const std::string& name) {
    Cast* cast = scene_->FindCast(name.c_str());
    if (!cast) out_ += "no cast " + name + "\n";
    return cast;
  }
  static float F(const std::vector<std::string>& w, std::size_t i) {
    return i < w.size() ? std::strtof(w[i].c_str(), nullptr) : 0.0f;
  }
  static int I(const std::vector<std::string>& w, std::size_t i) {
    return i < w.size() ? std::atoi(w[i].c_str()) : 0;
  }

  void Step(const std::vector<std::string>& w) {
    const std::string& op = w[0];
    // Steps on one cast (CAST first) or on two (CAST OTHER) are left when a cast is missing.
    static const std::string kOnOne = " delete rename set railpos railrot onrail clearrail fade moving mode ik ride "
                                      "camera contact hit bonewrites ondelete ";
    static const std::string kOnTwo = " railcast local follow link ";
    const bool two = kOnTwo.find(" " + op + " ") != std::string::npos;
    const bool one = two || kOnOne.find(" " + op + " ") != std::string::npos;
    Cast* cast = one ? Find(w[1]) : nullptr;
    Cast* other = two && w.size() > 2 ? Find(w[2]) : nullptr;
    if (one && (!cast || (two && !other))) return;
    if (op == "scene") {
      out_ += "load " + w[1] + " -> " + std::to_string(scene_->LoadScene(dir_ + "scenes/" + w[1])) + "\n";
    } else if (op == "clear") {
      scene_->ClearScene();
    } else if (op == "class") {
      out_ += "register " + w[1] + " -> " +
              std::to_string(scene_->RegisterClass(std::string_view(dir_ + "classes/" + w[1]))) + "\n";
    } else if (op == "unregister") {
      out_ += "unregister " + w[1] + " -> " + std::to_string(scene_->UnregisterClass(I(w, 1))) + "\n";
    } else if (op == "add") {
      // "add CLASS N": N casts, the first and the last named (or "none" where the table is full).
      out_ += "add " + w[1] + (w.size() > 2 ? " x" + w[2] : "") + " -> ";
      for (int i = 1; i <= std::max(1, I(w, 2)); ++i) {
        const Cast* added = scene_->CreateCast(scene_->FindObjectClass(w[1].c_str()));
        if (!added || i == 1 || i == I(w, 2))
          out_ += std::string(i > 1 ? " .. " : "") + (added ? added->GetName() : "none");
        if (!added) break;
      }
      out_ += "\n";
    } else if (op == "delete") {
      out_ += "delete " + w[1] + " -> " + std::to_string(scene_->DeleteCast(cast)) + "\n";
    } else if (op == "rename") {
      out_ += "rename " + w[1] + " " + w[2] + " -> " + std::to_string(scene_->RenameCast(cast, w[2].c_str())) + "\n";
    } else if (op == "start") {
      scene_->StartCasts();
    } else if (op == "run") {
      tick_ = w.size() > 1 ? Word(w[1]) : 0;
      scene_->SetFrameCounter(tick_);
    } else if (op == "stop") {
      scene_->SetFrameCounter(kSceneNotRunning);
    } else if (op == "fallspeed") {
      scene_->SetFallSpeed(F(w, 1));
    } else if (op == "set") {
      Set(*cast, w);
    } else if (op == "railpos") {
      cast->AddRailPos({F(w, 2), F(w, 3), F(w, 4)}, QuaternionIdentity(), I(w, 5));
    } else if (op == "railrot") {
      cast->AddRailPos({F(w, 2), F(w, 3), F(w, 4)}, {F(w, 5), F(w, 6), F(w, 7), F(w, 8)}, I(w, 9));
    } else if (op == "railcast") {
      cast->AddRailCast(other, I(w, 3));
    } else if (op == "onrail") {
      cast->RunOnTheRail(Word(w[2]), Word(w[3]));
      out_ += w[1] + " rail duration " + std::to_string(cast->GetMoveDuration()) + "\n";
    } else if (op == "clearrail") {
      cast->ClearRail();
    } else if (op == "fade") {
      cast->StartAlphaFade(F(w, 2), I(w, 3));
    } else if (op == "moving") {
      cast->StartMoving({F(w, 2), F(w, 3), F(w, 4)},
                        QuaternionRotationYawPitchRoll(F(w, 5) * kDegrees, F(w, 6) * kDegrees, F(w, 7) * kDegrees),
                        I(w, 8));
    } else if (op == "mode") {
      cast->SetMoveMode(I(w, 2), I(w, 3));
    } else if (op == "show") {
      show_.assign(w.begin() + 1, w.end());
    } else if (op == "update" || op == "tick" || op == "frames") {
      // "tick": the frame counter counts up from the last "run"; "frames" prints nothing.
      for (int frame = 1; frame <= I(w, 1); ++frame) {
        if (op == "tick") scene_->SetFrameCounter(tick_++);
        scene_->Update();
        const std::string label = "[" + std::to_string(op == "tick" ? int(tick_ - 1) : frame) + "] ";
        for (std::size_t i = 2; i < w.size(); ++i) out_ += label + State(w[i]) + "\n";
      }
    } else if (op == "hooks") {
      scene_->traceHooks = true;
    } else if (op == "pad") {
      pad_.PadAt(pad_.GetPollCount() + 1, Word(w[1]));
    } else if (op == "contact") {
      // One obstacle contact ("-": an empty one, which ends the list there).
      CastContact& contact = cast->Contact(I(w, 2));
      contact = CastContact();
      contact.cast = CastHandle::Of(w[3] == "-" ? nullptr : Find(w[3]));
      contact.direction = {F(w, 4), F(w, 5), F(w, 6)};
    } else if (op == "hit") {
      const int list = w[2] == "cur" ? cast->GetCurrentHitList() : I(w, 2);
      cast->HitList(list)[static_cast<std::size_t>(I(w, 3))] = {CastHandle::Of(w[4] == "-" ? nullptr : Find(w[4])),
                                                                 Word(w[5])};
    } else if (op == "ik") {
      if (!cast->AddIKFrame(w[2].c_str(), F(w, 3), F(w, 4), F(w, 5))) out_ += "ik " + w[2] + " -> 0\n";
    } else if (op == "print") {
      for (std::size_t i = 1; i < w.size(); ++i) out_ += State(w[i]) + "\n";
    } else if (op == "do" || op == "call") {
      Do(w);
    } else if (op == "link") {
      cast->GetChildLink().cast = other->GetHandle();
      other->GetParentLink().cast = cast->GetHandle();
      // The frames by name as a script's Joint finds them (0 when missing).
      if (w.size() > 4) {
        other->GetParentLink().frame = std::max(0, cast->GetClass()->FindFrameNodeIndex(w[3].c_str()));
        cast->GetChildLink().frame = std::max(0, other->GetClass()->FindFrameNodeIndex(w[4].c_str()));
      }
    } else if (op == "tables") {
      Tables();
    } else if (op == "ride") {
      cast->RidePlatform(*scene_);
      out_ += "ride " + w[1] + " pos " + Vec(cast->GetPosition()) + " prev " + Vec(cast->GetPreviousPosition()) +
              " rot " + Quat(cast->GetRotation()) + "\n";
    } else if (op == "walls") {
      scene_->BuildEdgeStopperWalls();
      Walls();
    } else if (op == "local") {
      Local(*cast, *other);
    } else if (op == "openwall") {
      Cast* opener = Find(w[1]);
      Cast* near = Find(w[2]);
      if (opener && near) DeleteEdgeStopperFaces(*opener, *near, w[3].c_str());
      Walls();
    } else if (op == "follow") {
      MoveCameraPos(*cast, *other, *scene_);
    } else if (op == "camera") {
      scene_->SwitchCamera(cast, 0, 0, 0);
    } else if (op == "chain") {
      chain_ = IKChain();
      chain_.Resize(2);
      const float limit = F(w, 1);
      for (int i = 0; i < 2; ++i) chain_.SetJoint(i, {10, 0, 0}, -limit, limit, -limit, limit, -limit, limit, i + 1);
    } else if (op == "angles") {
      IKJoint& joint = *chain_.GetJoint(I(w, 1));
      joint.angleX = F(w, 2), joint.angleY = F(w, 3), joint.angleZ = F(w, 4);
    } else if (op == "solve") {
      for (int frame = 0; frame < I(w, 1); ++frame) chain_.SolveCCD(I(w, 2), {F(w, 3), F(w, 4), F(w, 5)});
    } else if (op == "resize" || op == "joint") {
      out_ += op + " " + w[1] + " -> " +
              std::to_string(op == "resize" ? chain_.Resize(I(w, 1))
                                            : chain_.SetJoint(I(w, 1), {0, 0, 0}, 0, 0, 0, 0, 0, 0, 0)) + "\n";
    } else if (op == "chainprint") {
      out_ += "chain";
      for (int i = 0; i < chain_.GetCount(); ++i) {
        const IKJoint& j = *chain_.GetJoint(i);
        out_ += " " + Vec({j.angleX, j.angleY, j.angleZ}) + (j.limited ? "!" : "") +
                (j.boneIndex == kNoBone ? "-" : "");
      }
      out_ += " ends";
      for (int i = 0; i <= chain_.GetCount(); ++i) out_ += " " + Vec(chain_.EndPosition(i));
      out_ += "\n";
    } else if (op == "bonewrites") {
      const Matrix m = MatrixTranslation(1, 2, 3);
      out_ += "bonewrites " + w[1] + " controls " + std::to_string(cast->GetBoneControlCount()) + ":";
      for (const int bone : {-1, 1, 4, 5})
        out_ += " " + std::to_string(cast->SetBoneMatrix(bone, m, kBoneControlAbsolute, 0));
      out_ += " " + std::to_string(cast->SetBoneControl(1, nullptr, nullptr, nullptr, kBoneControlLocal, 0)) + "\n";
    } else if (op == "ondelete") {
      cast->OnDelete(*scene_);
    } else if (op == "text") {
      CharacterRequest request;
      request.slot = I(w, 1);
      request.set = I(w, 2);
      request.text = Unescape(w[3]);
      request.color = 0xFF804020u;
      request.x = F(w, 4);
      request.scaleX = request.scaleY = 1.0f;
      request.duration = I(w, 5);
      out_ += "text " + w[1] + " -> " + std::to_string(scene_->PutCharacters(request)) + "\n";
    } else if (op == "untext") {
      out_ += "untext " + w[1] + " -> " + std::to_string(scene_->DeleteCharacters(I(w, 1))) + "\n";
    } else if (op == "advance") {
      AdvanceCharacterSlot(scene_->TextSlot(I(w, 1)), I(w, 2) != 0);
    } else if (op == "slot") {
      const CharacterSlot& slot = scene_->TextSlot(I(w, 1));
      auto state = [](const TextState& s) {
        const std::string text = s.text.data();
        return (text.size() > 8 ? std::to_string(text.size()) + " bytes" : "\"" + text + "\"") + " x " + Num(s.x) +
               " colour " + std::to_string(s.color[0]);
      };
      out_ += "slot " + w[1] + " flags " + Hex(slot.flags) + " " + std::to_string(slot.elapsed) + "/" +
              std::to_string(slot.duration) + " old " + state(slot.oldState) + " new " + state(slot.newState) + "\n";
    } else if (op == "glyphs") {
      std::vector<Glyph> glyphs;
      for (std::size_t i = 1; i + 2 < w.size(); i += 3)
        glyphs.push_back({static_cast<std::uint16_t>(Word(w[i])), 0, 0, I(w, i + 1), 16, I(w, i + 2)});
      glyphs_ = GlyphTable(std::move(glyphs));
    } else if (op == "measure") {
      const std::string text = w.size() > 1 ? w[1] : "";
      out_ += "measure " + text + " -> " + Num(glyphs_.GetCharacterLength(Unescape(text).c_str())) + "\n";
    } else if (op == "glyph") {
      const auto code = static_cast<std::uint16_t>(Word(w[1]));
      out_ += "glyph " + w[1] + " -> " + std::to_string(glyphs_.FindGlyph(code)) +
              (glyphs_.Empty() ? "" : ", drawn as " + Hex(glyphs_.GlyphFor(code).code)) + "\n";
    } else if (op == "view") {
      out_ += "view";
      for (const auto& row : scene_->GetViewMatrix().m)
        out_ += " (" + Num(row[0]) + " " + Num(row[1]) + " " + Num(row[2]) + " " + Num(row[3]) + ")";
      out_ += "\n";
    } else {
      out_ += "unknown step " + op + "\n";
    }
  }

  void Set(Cast& cast, const std::vector<std::string>& w) {
    const std::string& field = w[2];
    if (field == "pos") {
      cast.SetPositionBoth({F(w, 3), F(w, 4), F(w, 5)});
    } else if (field == "speed") {
      cast.SetSpeed({F(w, 3), F(w, 4), F(w, 5)});
    } else if (field == "rot") {
      cast.SetRotationBoth({F(w, 3), F(w, 4), F(w, 5), F(w, 6)});
    } else if (field == "turn") {
      cast.SetRotation({F(w, 3), F(w, 4), F(w, 5), F(w, 6)});
    } else if (field == "flags") {
      cast.SetOwnFlags(Word(w[3]));
    } else if (field == "mask") {
      cast.SetFlagMask(Word(w[3]));
    } else if (field == "motion") {
      cast.SetMotion(I(w, 3), scene_.get());
    } else if (field == "time") {
      cast.SetMotionTime(std::strtoll(w[3].c_str(), nullptr, 10), scene_.get());
    } else if (field == "quiettime") {
      cast.SetMotionTime(I(w, 3), nullptr);
    } else if (field == "alpha") {
      cast.SetAlpha(F(w, 3));
    } else if (field == "param") {
      SetParam(cast.Property(I(w, 3)), w.size() > 4 ? w[4] : "none");
    } else if (field == "vector") {
      cast.SetScriptVector({F(w, 3), F(w, 4), F(w, 5)});
    } else if (field == "guide") {
      cast.Guide(I(w, 3)) = {Word(w[4]), Word(w[5]), {F(w, 6), F(w, 7), F(w, 8)}};
    } else if (field == "region") {
      const char* names[] = {"type", "radius", "height", "attr"};
      const char* values[] = {w[3].c_str(), w[4].c_str(), w[5].c_str(), w[6].c_str()};
      cast.ReadElement("Region", names, values, 4, *scene_);
    } else {
      out_ += "unknown field " + field + "\n";
    }
  }

  // A parameter's value: a number, 'text', empty, none, or @CAST (the cast as
  // scripts hold it).
  void SetParam(ScriptValue& value, const std::string& text) {
    if (text == "none") {
      value.Clear();
    } else if (text == "empty") {
      value.SetEmpty();
    } else if (text.size() >= 2 && text.front() == '\'' && text.back() == '\'') {
      value.SetString(text.substr(1, text.size() - 2).c_str());
    } else if (text[0] == '@') {
      SetCastValue(value, scene_->GetCastClass(), Find(text.substr(1)));
    } else {
      value.SetNumber(std::strtod(text.c_str(), nullptr));
    }
  }

  // "do CAST|- TEXT" and "call CAST|- N TEXT": the text (the rest of the
  // line, kept as written) parsed as a Command and run for the cast or for
  // none, with N arguments 7, 8, ... ("do": none).
  void Do(const std::vector<std::string>& w) {
    const std::size_t first = w[0] == "call" ? 3 : 2;
    Cast* cast = nullptr;
    if (w.size() <= first || (w[1] != "-" && !(cast = Find(w[1])))) return;
    std::size_t at = line_.find(w[0]) + w[0].size();
    for (std::size_t i = 1; i <= first; ++i) at = line_.find(w[i], at) + (i < first ? w[i].size() : 0);
    ScriptValue args[20];
    for (int i = 0; i < 20; ++i) args[i].SetNumber(i + 7);
    Command command;
    command.SetText(line_.c_str() + at);
    const bool parsed = scene_->ParseCommand(command);
    const int result = scene_->ExecuteCommand(command, cast, first == 3 ? args : nullptr, first == 3 ? I(w, 2) : 0);
    out_ += w[0] + " " + command.GetText() + (parsed ? "" : " (parse failed)") + " -> " + std::to_string(result) + "\n";
  }

  std::string State(const std::string& name) {
    Cast* cast = scene_->FindCast(name.c_str());
    if (!cast) return name + " gone";
    std::string text = name;
    for (const std::string& field : show_) {
      if (field == "pos") text += " pos " + Vec(cast->GetPosition());
      if (field == "speed") text += " speed " + Vec(cast->GetSpeed());
      if (field == "rot") text += " rot " + Quat(cast->GetRotation());
      if (field == "alpha") text += " alpha " + Num(cast->GetAlpha());
      if (field == "mode")
        text += " mode " + std::to_string(cast->GetMoveMode()) + " " + std::to_string(cast->GetMoveElapsed()) + "/" +
                std::to_string(cast->GetMoveDuration());
      if (field == "time") text += " motion " + std::to_string(cast->GetMotionIndex()) + "@" +
                                   std::to_string(cast->GetMotionTime());
      if (field == "flags") text += " flags " + Hex(cast->GetFlags());
      if (field == "own") text += " own " + Hex(cast->GetOwnFlags());
      if (field == "mask") text += " mask " + Hex(cast->GetFlagMask());
      if (field == "initprop")
        text += " initprop " + ValueText(cast->GetInitProperty(0)) + " " + ValueText(cast->GetInitProperty(1)) + " " +
                ValueText(cast->GetInitProperty(2));
      if (field == "ctrl") text += " ctrl " + Hex(cast->GetPreviousControl());
      if (field == "yaw") text += " yaw " + Num(cast->GetControlYaw(0)) + " " + Num(cast->GetControlYaw(1));
      if (field == "turn") text += " turn " + Num(cast->GetTurnFactor()) + " extra " + Quat(cast->GetAngularSpeed());
      if (field == "prev") text += " prev " + Vec(cast->GetPreviousPosition());
      if (field == "contacts") text += " contacts " + std::to_string(cast->GetContactCount());
      float angle = 0.0f;
      if (field == "ground")
        text += " ground " + (cast->GetObstacleHitGroundAngle(angle) ? Num(angle / kDegrees) : std::string("none"));
      if (field == "wallyaw")
        text += " wallyaw " + (cast->GetObstacleHitYawAngle(angle) ? Num(angle / kDegrees) : std::string("none"));
      if (field == "vec") text += " vec " + Vec(cast->GetScriptVector());
      if (field[0] == 'p' && field.size() > 1 && std::isdigit(static_cast<unsigned char>(field[1])))
        text += " " + field + " " + ValueText(cast->Property(std::atoi(field.c_str() + 1)), scene_.get());
      if (field == "bones") text += Bones(*cast);
      for (int i = 0; field == "controls" && i < cast->GetBoneControlCount(); ++i)
        text += std::string(i ? " " : " controls ") + cast->GetBoneControls()[i].name +
                (cast->GetBoneControls()[i].frame ? "+" : "-");
      const Cast* parent = cast->GetParentLink().cast.Get();
      if (field == "parent") text += std::string(" parent ") + (parent ? parent->GetName() : "-");
      if (field == "strain") text += " strain " + std::to_string(cast->GetStrainCounter());
      if (field == "hits") text += " hits" + Hits(*cast);
      if (field == "ik") {
        text += " ik";
        const IKChain& chain = cast->GetIKChain();
        for (int i = 0; i < chain.GetCount(); ++i)
          text += " " + Vec({chain.GetJoint(i)->angleX, chain.GetJoint(i)->angleY, chain.GetJoint(i)->angleZ});
      }
      // "@FRAME": where the frame's origin stands in the world.
      Vector3 point;
      if (field[0] == '@' && cast->TransformByBone(field.c_str() + 1, {0.0f, 0.0f, 0.0f}, point))
        text += " " + field + " " + Vec(point);
    }
    return text;
  }

  // The bone controls in use: frame, mode, rotation and offset.
  static std::string Bones(Cast& cast) {
    std::string text = " bones";
    const BoneControl* controls = cast.GetBoneControls();
    for (int i = 0; controls && i < cast.GetBoneControlCount(); ++i) {
      const BoneControl& control = controls[i];
      if (control.mode == kBoneControlNone) continue;
      const Matrix& m = control.matrix;
      text += std::string(" ") + control.name + ":" + std::to_string(control.mode) + " " +
              Quat(QuaternionRotationMatrix(m)) + " " + Vec({m.m[3][0], m.m[3][1], m.m[3][2]});
    }
    return text;
  }

  // The latest hits: the list the last hit section filled, up to its end; a
  // cast that is gone shows as "-".
  static std::string Hits(Cast& cast) {
    std::string text;
    for (const CastHit& hit : cast.HitList(cast.GetCurrentHitList() ^ 1)) {
      if (hit.cast.IsNull()) break;
      const Cast* other = hit.cast.Get();
      text += std::string(" ") + (other ? other->GetName() : "-") + " " + Hex(hit.bits);
    }
    return text;
  }

  // The classes' edge-stopper walls: the faces that still stand (a removed
  // face has all its corners at vertex 0), each as its three corners.
  void Walls() {
    for (int i = 0; i < scene_->ClassCount(); ++i) {
      const ObjectClass* cls = scene_->ClassAt(i);
      const Mesh* walls = EdgeStopperWallMesh(cls);
      if (!walls) continue;
      std::string faces;
      int standing = 0;
      for (std::uint32_t f = 0; f < walls->GetNumFaces(); ++f) {
        std::uint32_t c[3];
        walls->GetFace(f, c);
        if (c[0] == 0 && c[1] == 0 && c[2] == 0) continue;
        ++standing;
        faces += " " + Vec(walls->Position(c[0])) + Vec(walls->Position(c[1])) + Vec(walls->Position(c[2])) + "\n";
      }
      out_ += std::string("walls ") + cls->GetClassName() + " " + std::to_string(standing) + " of " +
              std::to_string(walls->GetNumFaces()) + " faces, " + std::to_string(walls->GetNumVertices()) +
              " vertices\n" + faces;
    }
  }

  // The cast's position in the other's own axes and its yaw against the other's.
  void Local(Cast& cast, Cast& other) {
    Matrix inverse;
    MatrixInverse(&inverse, nullptr, other.GetWorldMatrix(false));
    const Quaternion turn = QuaternionMultiply(cast.GetRotation(), QuaternionInverse(other.GetRotation()));
    out_ += std::string(cast.GetName()) + " in " + other.GetName() + " " +
            Vec(Vec3TransformCoord(cast.GetPosition(), inverse)) + " turned " + Quat(turn) + "\n";
  }

  void Tables() {
    const Scene& s = *scene_;
    const FieldBounds& f = s.GetFieldBounds();
    out_ += "scene \"" + std::string(s.GetName()) + "\" fps " + std::to_string(s.GetFps()) + " fall " +
            Num(s.GetFallSpeed()) + " render " + Hex(s.GetRenderFlags()) + " clear " + Hex(s.GetClearColor()) +
            "\n field x " + Num(f.xMin) + ".." + Num(f.xMax) + " y " + Num(f.yMin) + ".." + Num(f.yMax) + " z " +
            Num(f.zMin) + ".." + Num(f.zMax) + "\n";
    if (s.GetScriptText()) out_ += " script\n";
    static const char* const kHooks[] = {"OnLoop", "OnBegin", "OnEnd", "OnMessage", "OnInput"};
    for (int i = 0; i < kSceneCommandCount; ++i) {
      const Command& c = scene_->GetSceneCommand(static_cast<SceneCommand>(i));
      if (c.HasText()) out_ += std::string(" hook ") + kHooks[i] + " \"" + c.GetText() + "\"\n";
    }
    out_ += "classes " + std::to_string(s.ClassCount()) + "\n";
    for (int i = 0; i < s.ClassCount(); ++i) {
      const ObjectClass* cls = s.ClassAt(i);
      std::string path = s.ClassPathAt(i);
      if (path.compare(0, dir_.size(), dir_) == 0) path = path.substr(dir_.size());
      out_ += " " + std::to_string(i) + " " + path + " " + cls->GetClassName() + " flags " + Hex(cls->GetFlags()) +
              " motions";
      for (int m = 0; m < cls->MotionCount(); ++m) out_ += std::string(" ") + cls->MotionAt(m)->GetName();
      out_ += "\n";
    }
    out_ += "casts " + std::to_string(s.CastCount()) + "\n";
    for (int i = 0; i < s.CastCount(); ++i) {
      const Cast& c = *s.CastAt(i);
      out_ += " " + std::to_string(i) + " \"" + c.GetName() + "\" class " +
              (c.GetClass() ? c.GetClass()->GetClassName() : "(none)") + " pos " + Vec(c.GetInitPos()) + " rot " +
              Quat(c.GetInitRotate()) + " motion " + std::to_string(c.GetInitMotion()) + "@" +
              std::to_string(c.GetInitTime()) + " flags " + Hex(c.GetInitFlags()) + "/" + Hex(c.GetInitFlagMask()) +
              " region " + std::to_string(c.GetRegionType()) + " " + Num(c.GetRegionRadius()) + " " +
              Num(c.GetRegionHeight()) + " " + Hex(c.GetRegionAttribute()) + "\n";
      for (int p = 0; p < kCastPropertyCount; ++p) {
        const ScriptValue& value = c.GetInitProperty(p);
        if (value.type != SVT_None) out_ += "  property " + std::to_string(p) + " " + ValueText(value) + "\n";
      }
    }
  }

  // Sounds print where they are played; after a "hooks" step, actions the
  // scene does not know (the hooks of the case classes) where they run, with
  // the cast's motion and time; "#KILL" then deletes its cast, "#UNRG" takes
  // its class out of the table.
  class RecordingScene : public GameScene {
   public:
    explicit RecordingScene(std::string& out) : out_(out) {}
    int OnUserCommand(const Command& command, Cast* cast) override {
      if (!traceHooks) return GameScene::OnUserCommand(command, cast);
      out_ += std::string("  ") + command.GetText() + " " + (cast ? cast->GetName() : "-");
      if (cast) out_ += " " + std::to_string(cast->GetMotionIndex()) + "@" + std::to_string(cast->GetMotionTime());
      out_ += "\n";
      if (cast && std::string(command.GetText()) == "#KILL") {
        DeleteCast(cast);
        return 0;
      }
      for (int i = 0; cast && std::string(command.GetText()) == "#UNRG" && i < ClassCount(); ++i)
        if (ClassAt(i) == cast->GetClass()) {
          UnregisterClass(i);
          return 0;
        }
      return GameScene::OnUserCommand(command, cast);
    }
    bool OnError(int, int, int code) override {
      out_ += "  error " + std::to_string(code) + "\n";
      return false;
    }
    void PlayCommandSound(std::uint32_t code, float volume, float pan) override {
      out_ += "sound " + Hex(code) + " volume " + Num(volume) + " pan " + Num(pan) + "\n";
    }

    bool traceHooks = false;

   private:
    std::string& out_;
  };

  std::string dir_;
  std::string line_;
  ScriptedInput pad_;
  std::uint32_t tick_ = 0;
  std::string out_;
  std::unique_ptr<RecordingScene> scene_ = std::make_unique<RecordingScene>(out_);
  TraceClass trace_{out_, *scene_};
  std::vector<std::string> show_ = {"pos"};
  IKChain chain_;
  GlyphTable glyphs_;
};

namespace fs = std::filesystem;

const fs::path kCases = fs::path(T3D_SOURCE_DIR) / "tests/scene/cases";

class SceneCase : public testing::TestWithParam<std::string> {};

TEST_P(SceneCase, TraceMatchesExpected) {
  const std::string trace = Runner(kCases.string() + "/").Run(ReadTextFile(kCases / "steps" / (GetParam() + ".steps")));
  EXPECT_EQ(GoldenText(kCases / "steps" / (GetParam() + ".trace"), trace), trace);
}

INSTANTIATE_TEST_SUITE_P(Cases, SceneCase, testing::ValuesIn(ListCases(kCases / "steps", ".steps")),
                         [](const testing::TestParamInfo<std::string>& param) { return param.param; });

}  // namespace
