// The author's reference, docs/authoring.md, against the player: every member
// the script classes register into the game's engines stands in it with its
// kind and its number of arguments, every "#" action the scene and the game's
// scene carry stands in it, and it names nothing the player lacks.
//
// The reference keeps both in tables of a fixed form. Under "## Script
// classes", a heading "### `Class`" per class and a row per member:
//   | `Name` | method | `a`, `b` | result | what it does |
// (the kind: method, read-only property, read-write property or write-only
// property; the arguments as names in backticks, "—" for none). Under
// "## Actions", the tables "### Built-in actions" and "### The game's own
// actions" with a row per action whose first cell holds its codes:
//   | `#DSJT`, `#UNJT` | parameters | what it does |
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "classes/class_runner.h"
#include "classes/script_classes.h"
#include "motion/command.h"
#include "scene/cast/cast.h"
#include "scene/game/game_scene.h"
#include "scene/scenario_runtime.h"
#include "scene/scene.h"

namespace {

namespace fs = std::filesystem;

const fs::path kReference = fs::path(T3D_SOURCE_DIR) / "docs/authoring.md";
const fs::path kArchery = fs::path(T3D_SOURCE_DIR) / "tests/classes/cases/reference/archery.scn";

std::vector<std::string> ReadLines(const fs::path& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The number of "#" of a heading line, 0 for any other line.
std::size_t HeadingLevel(const std::string& line) {
  const std::size_t marks = line.find_first_not_of('#');
  return marks != std::string::npos && marks > 0 && line[marks] == ' ' ? marks : 0;
}

// The lines under the heading, up to the next heading of its level or above.
std::vector<std::string> Section(const std::vector<std::string>& lines, const std::string& heading) {
  const std::size_t level = HeadingLevel(heading);
  std::vector<std::string> section;
  bool inside = false;
  for (const std::string& line : lines) {
    const std::size_t lineLevel = HeadingLevel(line);
    if (inside && lineLevel != 0 && lineLevel <= level) break;
    if (inside) section.push_back(line);
    if (line == heading) inside = true;
  }
  return section;
}

// The cells of a table row; "\|" stands for a bar inside a cell.
std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::string cell;
  for (std::size_t i = 1; i < row.size(); ++i) {
    if (row[i] == '\\' && i + 1 < row.size() && row[i + 1] == '|') {
      cell += '|';
      ++i;
    } else if (row[i] == '|') {
      const std::size_t first = cell.find_first_not_of(' ');
      cells.push_back(first == std::string::npos ? "" : cell.substr(first, cell.find_last_not_of(' ') - first + 1));
      cell.clear();
    } else {
      cell += row[i];
    }
  }
  return cells;
}

// The texts between backticks.
std::vector<std::string> Quoted(const std::string& cell) {
  std::vector<std::string> names;
  for (std::size_t open = cell.find('`'); open != std::string::npos; open = cell.find('`', open)) {
    const std::size_t close = cell.find('`', open + 1);
    if (close == std::string::npos) break;
    names.push_back(cell.substr(open + 1, close - open - 1));
    open = close + 1;
  }
  return names;
}

bool IsEntryRow(const std::string& line) { return line.rfind("| `", 0) == 0; }

// ---- members ----

struct Member {
  std::string kind;
  int arguments = 0;
  bool operator==(const Member&) const = default;
};
using ClassMembers = std::map<std::string, std::map<std::string, Member>>;

std::string KindName(int kind) {
  switch (kind) {
    case MK_Method: return "method";
    case MK_ReadOnly: return "read-only property";
    case MK_WriteOnly: return "write-only property";
    case MK_ReadWrite: return "read-write property";
  }
  return "kind " + std::to_string(kind);
}

ClassMembers ReferenceMembers() {
  ClassMembers classes;
  std::map<std::string, Member>* current = nullptr;
  for (const std::string& line : Section(ReadLines(kReference), "## Script classes")) {
    if (line.rfind("### ", 0) == 0) {
      const std::vector<std::string> name = Quoted(line);
      current = name.empty() ? nullptr : &classes[name[0]];
    } else if (current && IsEntryRow(line)) {
      const std::vector<std::string> cells = Cells(line);
      if (cells.size() < 3) continue;
      (*current)[Quoted(cells[0])[0]] = {cells[1], static_cast<int>(Quoted(cells[2]).size())};
    }
  }
  return classes;
}

// The members of every class the game's two engines get, as registered.
ClassMembers PlayerMembers() {
  UseGameScriptClasses();
  Quiet<Scene> scene;
  Quiet<ScenarioRuntime> root;
  ClassMembers classes;
  for (CCScript* engine : {static_cast<CCScript*>(&scene), static_cast<CCScript*>(&root)}) {
    for (int slot = 0; slot < kMaxClasses && engine->ClassAt(slot); ++slot) {
      NativeClass* cls = engine->ClassAt(slot);
      auto& members = classes[cls->ClassName()];
      for (const MemberRecord* row = cls->GetMemberTable(); row && row->kind != MK_End; ++row)
        members[row->name] = {KindName(row->kind), row->kind == MK_Method ? row->argCount : 0};
    }
  }
  return classes;
}

std::string Describe(const Member& member) {
  return member.kind + " with " + std::to_string(member.arguments) + " arguments";
}

// One line per difference, empty when the two agree.
std::string MemberDifferences(const ClassMembers& reference, const ClassMembers& player) {
  static const std::map<std::string, Member> kNone;
  auto membersOf = [](const ClassMembers& classes, const std::string& cls) -> const std::map<std::string, Member>& {
    const auto found = classes.find(cls);
    return found == classes.end() ? kNone : found->second;
  };
  std::ostringstream out;
  for (const auto& [cls, members] : player) {
    if (!reference.contains(cls)) out << cls << ": a class the reference lacks\n";
    const auto& documented = membersOf(reference, cls);
    for (const auto& [name, member] : members) {
      const auto row = documented.find(name);
      if (row == documented.end()) {
        out << cls << "." << name << ": not in the reference\n";
      } else if (!(row->second == member)) {
        out << cls << "." << name << ": the reference says " << Describe(row->second) << ", the player has "
            << Describe(member) << "\n";
      }
    }
  }
  for (const auto& [cls, members] : reference) {
    const auto& registered = membersOf(player, cls);
    for (const auto& [name, member] : members)
      if (!registered.contains(name)) out << cls << "." << name << ": in the reference, not in the player\n";
  }
  return out.str();
}

TEST(AuthoringReferenceTest, ListsEveryMemberOfEveryScriptClassWithItsKindAndArguments) {
  EXPECT_EQ(MemberDifferences(ReferenceMembers(), PlayerMembers()), "");
}

// ---- actions ----

std::set<std::string> ReferenceActions(const std::string& table) {
  std::set<std::string> codes;
  const std::vector<std::string> actions = Section(ReadLines(kReference), "## Actions");
  for (const std::string& line : Section(actions, table)) {
    if (!IsEntryRow(line)) continue;
    for (const std::string& code : Quoted(Cells(line)[0])) codes.insert(code);
  }
  return codes;
}

std::string CodeText(std::uint32_t code) {
  std::string text = "#";
  for (int shift = 24; shift >= 0; shift -= 8) text += static_cast<char>(code >> shift);
  return text;
}

// Every code content can write with capitals, digits and "_".
template <class Visit>
void ForEachActionCode(Visit&& visit) {
  static constexpr char kCharacters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_";
  for (char a : std::string_view(kCharacters))
    for (char b : std::string_view(kCharacters))
      for (char c : std::string_view(kCharacters))
        for (char d : std::string_view(kCharacters))
          visit(static_cast<std::uint32_t>(a) << 24 | static_cast<std::uint32_t>(b) << 16 |
                static_cast<std::uint32_t>(c) << 8 | static_cast<std::uint32_t>(d));
}

Command ActionCommand(std::uint32_t code) {
  Command command;
  command.type = CommandType::Action;
  command.code = code;
  return command;
}

// The scene hands the game's hook every code it does not carry itself.
class HandOnProbe : public Quiet<Scene> {
 public:
  int OnUserCommand(const Command&, Cast*) override {
    handedOn = true;
    return 0;
  }
  bool handedOn = false;
};

std::set<std::string> BuiltInActions() {
  HandOnProbe scene;
  std::set<std::string> codes;
  Command command = ActionCommand(0);
  ForEachActionCode([&](std::uint32_t code) {
    command.code = code;
    scene.handedOn = false;
    // Without a cast or parameters every action refuses, or has nothing to act on.
    scene.ExecuteCommand(command, nullptr, nullptr, 0);
    if (!scene.handedOn) codes.insert(CodeText(code));
  });
  return codes;
}

TEST(AuthoringReferenceTest, ListsEveryBuiltInAction) {
  EXPECT_EQ(ReferenceActions("### Built-in actions"), BuiltInActions());
}

// The game's actions take no code they do not know and do nothing without
// the casts they work with. In this scene each of them leaves a mark: the
// error of a missing parameter, or a change to the archer (deleted below the
// arrow floor, its shot speed set, its arrow released) or to the camera.
class Archery {
 public:
  Archery() {
    scene_.LoadScene(kArchery.string());
    scene_.StartCasts();
    // Running, so that a deletion only marks the cast.
    scene_.SetFrameCounter(0);
    archer_ = scene_.FindCast("Archer");
    camera_ = scene_.FindCast("Camera");
    Cast* arrow = scene_.FindCast("Arrow");
    archer_->GetChildLink().cast = arrow->GetHandle();
    arrow->GetParentLink().cast = archer_->GetHandle();
  }

  bool Reacts(std::uint32_t code) {
    command_.code = code;
    const int result = scene_.OnUserCommand(command_, archer_);
    return result != 0 || camera_->Property(24).type != SVT_None || archer_->Property(2).type != SVT_None ||
           !archer_->GetChildLink().cast.Get() || (archer_->GetOwnFlags() & kCastDeletedWhileRunning) != 0;
  }

 private:
  Quiet<GameScene> scene_;
  Command command_ = ActionCommand(0);
  Cast* archer_ = nullptr;
  Cast* camera_ = nullptr;
};

std::set<std::string> GameActions() {
  auto archery = std::make_unique<Archery>();
  std::set<std::string> codes;
  ForEachActionCode([&](std::uint32_t code) {
    if (!archery->Reacts(code)) return;
    codes.insert(CodeText(code));
    archery = std::make_unique<Archery>();
  });
  return codes;
}

TEST(AuthoringReferenceTest, ListsEveryActionOfTheGame) {
  EXPECT_EQ(ReferenceActions("### The game's own actions"), GameActions());
}

}  // namespace
