// Object classes. The data-driven class cases in cases/ (see cases/README):
// NAME.object holds commands on one class (frame nodes and bounds, current
// motion and time, motions and look-ups, reading and reading again, the
// property list), NAME.state what they show. Beside them: attachments, mesh
// paths and conversion from .mqo sources, and the fields properties edit.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "motion/model.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/mesh/animation_set.h"
#include "platform/system/content_path.h"
#include "platform/system/error_lines.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const std::string kGolden = std::string(T3D_SOURCE_DIR) + "/tests/motion/golden/";

// A class file in the golden folder, so that "branching_box.x" is found.
bool LoadInGolden(ObjectClass& objectClass, const std::string& text) {
  return objectClass.LoadText(text.c_str(), kGolden + "test.txt");
}

std::string Wrap(const std::string& body) { return "<MotionObject>\n" + body + "</MotionObject>\n"; }

// Seconds after a fixed moment in the past.
void SetWriteTime(const fs::path& path, long seconds) {
  static const fs::file_time_type base = fs::file_time_type::clock::now() - std::chrono::hours(24 * 30);
  fs::last_write_time(path, base + std::chrono::seconds(seconds));
}

std::string FrameNames(const ObjectClass& objectClass) {
  std::string names;
  for (int i = 0; i < objectClass.FrameCount(); ++i)
    names += std::string(i ? " " : "") + objectClass.FrameNodeAt(i)->GetName();
  return names;
}

std::string Answer(bool yes) { return yes ? " -> true\n" : " -> false\n"; }

std::string Format(const char* format, auto... args) {
  char text[1024];
  std::snprintf(text, sizeof text, format, args...);
  return text;
}



// What reading again keeps and drops is the class case class_reload.
TEST(ObjectClassReading, ReloadDropsTheAttachments) {
  struct Probe : ClassAttachment {
    explicit Probe(bool* gone) : gone_(gone) {}
    ~Probe() override { *gone_ = true; }
    bool* gone_;
  };
  ObjectClass objectClass;
  bool gone = false;
  objectClass.SetAttachment(0, std::make_unique<Probe>(&gone));
  objectClass.SetAttachment(kClassAttachmentCount, std::make_unique<Probe>(&gone));
  EXPECT_TRUE(gone) << "an attachment outside the slots is dropped at once";
  gone = false;
  ASSERT_TRUE(LoadInGolden(objectClass, Wrap(" <Function OnHit=\"Hit2\"/>\n")));
  EXPECT_TRUE(gone);
  EXPECT_EQ(objectClass.GetAttachment(0), nullptr);
}

TEST(ObjectClassMesh, MeshIsTakenFromTheClassFilesFolder) {
  TempFolder folder;
  folder.Write("data/obj/a.x", ReadTextFile(kGolden + "branching_box.x"));
  folder.Write("data/obj/cat.txt", Wrap(" <meshfile VALUE=\"a.x\" src=\"\"/>\n"));

  std::vector<std::string> loaded;
  ObjectClass objectClass;
  objectClass.SetModelLoader([&loaded](Model& model, const std::string& path) {
    loaded.push_back(path);
    return model.Load(path);
  });
  ASSERT_TRUE(objectClass.Load(folder.path() + "data\\obj\\cat.txt"));
  ASSERT_EQ(loaded, std::vector<std::string>{folder.path() + "data\\obj\\a.x"});
  EXPECT_NE(objectClass.GetModel(), nullptr);
  EXPECT_STREQ(objectClass.GetMeshFile(), "a.x");
  EXPECT_STREQ(objectClass.GetMeshSrcFile(), "");
  EXPECT_EQ(objectClass.GetConvScale().x, 1.0f);
  EXPECT_EQ(objectClass.GetConvScale().z, 1.0f);

  // A class file in no folder takes the name as it stands; an empty name is
  // no file at all (not the folder).
  loaded.clear();
  ASSERT_TRUE(objectClass.LoadText(Wrap(" <MeshFile value=\"b.x\"/>\n <MeshFile value=\"\"/>\n").c_str(), "cat.txt"));
  EXPECT_EQ(loaded, std::vector<std::string>{"b.x"});
}

// A skin of one triangle on one bone; its third corner lies off the plane
// z = 0, so the converted model shows the scale given on every axis.
const char kTriangleMqo[] =
    "Material 1 {\n\"b\" col(1 0 0 1)\n}\n"
    "Object \"bone\" {\nvertex 3 {\n0 0 0\n0 4 0\n1 0 0\n}\nface 1 {\n3 V(0 1 2)\n}\n}\n"
    "Object \"body\" {\nvertex 3 {\n0 0 0\n2 0 0\n0 2 1\n}\nface 1 {\n3 V(0 1 2) COL(255 255 255)\n}\n}\n";

class ObjectClassConversion : public testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("Template.x", "xof 0303txt 0032\r\n");
    SetProgramDir(folder_.path());
  }
  void TearDown() override { SetProgramDir(""); }
  std::string Path(const std::string& name) const { return folder_.path() + name; }

  TempFolder folder_;
};

TEST_F(ObjectClassConversion, DueOnlyWhenTheSourceIsNewerOrTheModelMissing) {
  struct Case {
    const char* what;
    long mqoTime;  // 0: no file
    long xTime;
    bool converted;
  };
  const Case cases[] = {{"newer source", 2000, 1000, true},
                        {"same times", 1000, 1000, false},
                        {"older source", 1000, 2000, false},
                        {"model missing", 1000, 0, true},
                        {"source missing", 0, 1000, false},
                        {"both missing", 0, 0, false}};
  for (const Case& c : cases) {
    fs::remove(Path("m.mqo"));
    fs::remove(Path("m.x"));
    if (c.mqoTime != 0) {
      folder_.Write("m.mqo", kTriangleMqo);
      SetWriteTime(Path("m.mqo"), c.mqoTime);
    }
    if (c.xTime != 0) {
      folder_.Write("m.x", "old");
      SetWriteTime(Path("m.x"), c.xTime);
    }
    ObjectClass objectClass;
    EXPECT_TRUE(objectClass.ConvertMeshIfNewer(Path("m.mqo"), Path("m.x"), 1, 1, 1)) << c.what;
    const std::string x = folder_.Read("m.x");
    EXPECT_EQ(x.rfind("xof 0303txt 0032\r\nFrame Scene_Root {", 0) == 0, c.converted) << c.what;
  }
}

TEST_F(ObjectClassConversion, ReaderConvertsWithTheZScaleNegatedBeforeLoading) {
  folder_.Write("m.mqo", kTriangleMqo);
  folder_.Write("cat.txt", Wrap(" <MeshFile value=\"m.x\" src=\"m.mqo\" scaleX=\"0.5\" scaleZ=\"2\"/>\n"));
  ObjectClass objectClass;
  ASSERT_TRUE(objectClass.Load(Path("cat.txt")));
  EXPECT_STREQ(objectClass.GetMeshSrcFile(), "m.mqo");
  EXPECT_EQ(objectClass.GetConvScale().z, 2.0f);
  EXPECT_EQ(FrameNames(objectClass), "Scene_Root b");
  ASSERT_NE(objectClass.GetModel(), nullptr);
  const Mesh& mesh = *objectClass.GetModel()->GetRootFrame()->meshContainer->mesh;
  std::string positions;
  for (std::uint32_t v = 0; v < mesh.GetNumVertices(); ++v) {
    const Vector3 p = mesh.Position(v);
    positions += std::to_string(p.x) + " " + std::to_string(p.y) + " " + std::to_string(p.z + 0.0f) + "\n";
  }
  EXPECT_EQ(positions, "0.000000 0.000000 0.000000\n0.000000 2.000000 -2.000000\n1.000000 0.000000 0.000000\n");

  // An empty source names no file: nothing is converted.
  fs::remove(Path("m.x"));
  folder_.Write("cat.txt", Wrap(" <MeshFile value=\"m.x\" src=\"\"/>\n"));
  ASSERT_TRUE(objectClass.Load(Path("cat.txt")));
  EXPECT_FALSE(fs::exists(Path("m.x")));
  EXPECT_EQ(objectClass.GetModel(), nullptr);
}

// A source that does not convert leaves the old .x file, whole, and the class
// loads it.
TEST_F(ObjectClassConversion, AFailedConversionKeepsTheOldModel) {
  folder_.Write("m.x", ReadTextFile(kGolden + "branching_box.x"));
  SetWriteTime(Path("m.x"), 1000);
  folder_.Write("m.mqo", "Object \"bone\" {\nface 0 {\n}\n}\n");
  SetWriteTime(Path("m.mqo"), 2000);
  folder_.Write("cat.txt", Wrap(" <MeshFile value=\"m.x\" src=\"m.mqo\"/>\n"));
  ObjectClass objectClass;
  EXPECT_FALSE(objectClass.ConvertMeshIfNewer(Path("m.mqo"), Path("m.x"), 1, 1, 1));
  ASSERT_TRUE(objectClass.Load(Path("cat.txt")));
  EXPECT_EQ(folder_.Read("m.x"), ReadTextFile(kGolden + "branching_box.x"));
  EXPECT_NE(objectClass.GetModel(), nullptr);
}

// What a refusal says of a path that leads to `real`.
std::string Leads(const std::string& path, const std::string& real) {
  return "\"" + path + (path == real ? "\" lies" : "\" leads to \"" + real + "\",") + " outside the program's folder";
}

// A conversion may write only inside the game: content whose .x or .mqo file
// lies outside the program's folder (a climb, an absolute name, a link) is
// refused with one line and nothing is written; the class then loads
// whatever .x file is there, as after a failed conversion.
TEST_F(ObjectClassConversion, RefusedWhenItsFilesLieOutsideTheProgramFolder) {
  TempFolder outside;
  ASSERT_FALSE(outside.path().empty());
  const std::string out = fs::canonical(outside.path()).string() + "/";
  const std::string climb = "../../" + fs::path(outside.path()).parent_path().filename().string() + "/";
  outside.Write("m.mqo", kTriangleMqo);
  const std::string box = ReadTextFile(kGolden + "branching_box.x");
  fs::create_directories(Path("data"));
  ASSERT_EQ(symlink(outside.path().c_str(), Path("data/link").c_str()), 0);
  ASSERT_EQ(symlink((outside.path() + "old.x").c_str(), Path("data/old.x").c_str()), 0);
  ASSERT_EQ(symlink((outside.path() + "m.mqo").c_str(), Path("data/src.mqo").c_str()), 0);
  struct Case {
    const char* what;
    std::string meshFile;  // the <MeshFile> attributes of data/cat.txt
    std::string refused;   // what the line says of the path
    bool model;            // a model is loaded after the refusal
    std::string unread;    // else the .x file that then cannot be read
  };
  const Case cases[] = {
      {"a .x climbing out", "value=\"" + climb + "old.x\" src=\"m.mqo\"",
       Leads(outside.path() + "old.x", out + "old.x"), true, ""},
      {"a .mqo climbing out", "value=\"m.x\" src=\"" + climb + "m.mqo\"",
       Leads(outside.path() + "m.mqo", out + "m.mqo"), false, "data/m.x"},
      {"a .x in a linked folder", "value=\"link/new.x\" src=\"m.mqo\"",
       Leads(Path("data/link/new.x"), out + "new.x"), false, "data/link/new.x"},
      {"a .x that is a link", "value=\"old.x\" src=\"m.mqo\"", Leads(Path("data/old.x"), out + "old.x"), true,
       ""},
      {"a .mqo that is a link", "value=\"m.x\" src=\"src.mqo\"", Leads(Path("data/src.mqo"), out + "m.mqo"), false,
       "data/m.x"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Each case is a scene of its own, whose lines are all said.
    ForgetWrittenErrorLines();
    outside.Write("old.x", box);
    SetWriteTime(outside.path() + "old.x", 1000);
    folder_.Write("data/m.mqo", kTriangleMqo);
    folder_.Write("data/cat.txt", Wrap(" <MeshFile " + c.meshFile + "/>\n"));
    ObjectClass objectClass;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(objectClass.Load(Path("data/cat.txt")));
    const std::string line = testing::internal::GetCapturedStderr();
    EXPECT_EQ(line.substr(line.find(": not converted: ")),
              ": not converted: " + c.refused + "\n" +
                  (c.unread.empty() ? "" : "t3dplayer: " + c.unread + ": cannot be read\n"));
    EXPECT_EQ(line.find("t3dplayer: data/"), 0u) << line;
    EXPECT_EQ(outside.Read("old.x"), box);
    EXPECT_EQ(outside.Read("new.x"), "<missing>");
    EXPECT_EQ(folder_.Read("data/m.x"), "<missing>");
    EXPECT_EQ(objectClass.GetModel() != nullptr, c.model);
  }

  // An absolute name, as a class file in no folder gives it.
  ObjectClass objectClass;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(objectClass.ConvertMeshIfNewer(Path("data/m.mqo"), outside.path() + "new.x", 1, 1, 1));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: data/m.mqo: not converted: " + Leads(outside.path() + "new.x", out + "new.x") + "\n");
  EXPECT_EQ(outside.Read("new.x"), "<missing>");
  // In a class file with a folder, an absolute name is taken from that folder.
  folder_.Write("data/cat.txt", Wrap(" <MeshFile value=\"" + outside.path() + "new.x\" src=\"m.mqo\"/>\n"));
  testing::internal::CaptureStderr();
  ASSERT_TRUE(objectClass.Load(Path("data/cat.txt")));
  EXPECT_NE(testing::internal::GetCapturedStderr().find("the .x file cannot be written"), std::string::npos);
  EXPECT_EQ(outside.Read("new.x"), "<missing>");
}

// A conversion writes only a .x file, and never the template it copies: an
// output named otherwise would let content replace the program, its Ogg
// library or "Template.x" inside the program's folder. Refused like an output
// outside the folder; the files stay as they were.
TEST_F(ObjectClassConversion, WritesOnlyAnXFileAndNeverTheTemplate) {
  const std::string own[] = {"t3dplayer", "wuvorbis.so", "Template.x"};
  for (const char* name : {"t3dplayer", "wuvorbis.so"}) folder_.Write(name, std::string("the program's own ") + name);
  std::map<std::string, std::string> before;
  for (const std::string& name : own) before[name] = folder_.Read(name);
  folder_.Write("data/Template.x", "a class's own template copy");
  SetWriteTime(Path("data/Template.x"), 1000);
  struct Case {
    const char* meshFile;  // the <MeshFile value> of data/cat.txt
    std::string refused;   // what the line says; empty: converted
    std::string unread;    // why the file named then cannot be read as a model
  };
  const std::string noHeader = "cannot be read: not a .x file (no \"xof \" header)";
  const std::string noMesh = "cannot be read: the file has no frame and no mesh";
  const Case cases[] = {
      {"../wuvorbis.so", "\"" + Path("wuvorbis.so") + "\" is not a .x file", noHeader},
      {"../t3dplayer", "\"" + Path("t3dplayer") + "\" is not a .x file", noHeader},
      {"../Template.x", "\"" + Path("Template.x") + "\" is the program's own \"Template.x\"", noMesh},
      {"../TEMPLATE.X", "\"" + Path("Template.x") + "\" is the program's own \"Template.x\"", noMesh},
      {"m.x.so", "\"" + Path("data/m.x.so") + "\" is not a .x file", "cannot be read"},
      {"Template.x", "", ""},
      {"M.X", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.meshFile);
    ForgetWrittenErrorLines();
    folder_.Write("data/m.mqo", kTriangleMqo);
    folder_.Write("data/cat.txt", Wrap(std::string(" <MeshFile value=\"") + c.meshFile + "\" src=\"m.mqo\"/>\n"));
    ObjectClass objectClass;
    testing::internal::CaptureStderr();
    ASSERT_TRUE(objectClass.Load(Path("data/cat.txt")));
    const std::string line = testing::internal::GetCapturedStderr();
    EXPECT_EQ(line, c.refused.empty() ? ""
                                      : "t3dplayer: data/m.mqo: not converted: " + c.refused + "\n" +
                                            "t3dplayer: data/" + c.meshFile + ": " + c.unread + "\n");
    for (const std::string& name : own) EXPECT_EQ(folder_.Read(name), before[name]) << name;
    EXPECT_EQ(objectClass.GetModel() != nullptr, c.refused.empty());
  }
  EXPECT_EQ(folder_.Read("data/Template.x").rfind("xof 0303txt 0032\r\nFrame Scene_Root {", 0), 0u);
  EXPECT_EQ(folder_.Read("data/M.X").rfind("xof 0303txt 0032\r\nFrame Scene_Root {", 0), 0u);
}

// A link that stays inside the game is no obstacle.
TEST_F(ObjectClassConversion, ConvertsThroughALinkInsideTheProgramFolder) {
  fs::create_directories(Path("shared"));
  ASSERT_EQ(symlink("shared", Path("models").c_str()), 0);
  folder_.Write("m.mqo", kTriangleMqo);
  folder_.Write("cat.txt", Wrap(" <MeshFile value=\"models/m.x\" src=\"m.mqo\"/>\n"));
  ObjectClass objectClass;
  ASSERT_TRUE(objectClass.Load(Path("cat.txt")));
  EXPECT_EQ(folder_.Read("shared/m.x").rfind("xof 0303txt 0032\r\nFrame Scene_Root {", 0), 0u);
  EXPECT_EQ(FrameNames(objectClass), "Scene_Root b");
}

// The disk paths a refusal line quotes are UTF-8, not Shift-JIS text: the
// Japanese folder the game lies in is shown as it is.
TEST_F(ObjectClassConversion, RefusalLineKeepsAJapaneseProgramFolderReadable) {
  const std::string program = Path("ゲームト/game/");
  fs::create_directories(program);
  SetProgramDir(program);
  folder_.Write("ゲームト/game/m.mqo", kTriangleMqo);
  folder_.Write("ゲームト/game/cat.txt", Wrap(" <MeshFile value=\"../m.x\" src=\"m.mqo\"/>\n"));
  ObjectClass objectClass;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(objectClass.Load(program + "cat.txt"));
  const std::string line = testing::internal::GetCapturedStderr();
  EXPECT_EQ(line.rfind("t3dplayer: m.mqo: not converted: \"" + Path("ゲームト/m.x") + "\" lies outside", 0), 0u)
      << "[" << line << "]";
  EXPECT_EQ(folder_.Read("ゲームト/m.x"), "<missing>");
}

// The refusal line names content's and the disk's names in UTF-8, and shows
// the bytes that would drive the terminal escaped: it stays one line that
// colours nothing.
TEST_F(ObjectClassConversion, RefusalLineShowsNamesInUtf8WithControlBytesEscaped) {
  TempFolder outside;
  const std::string out = fs::canonical(outside.path()).string() + "/";
  const std::string evil = outside.MakeFolder("ev\x1b[31mil\nSECOND");
  fs::create_directories(Path("data"));
  // "リンク" in UTF-8, as an unpacking tool names it.
  ASSERT_EQ(symlink(evil.c_str(), Path("data/\xe3\x83\xaa\xe3\x83\xb3\xe3\x82\xaf").c_str()), 0);
  // "モデル\x1b" in Shift-JIS: the source's name as the class file gives it.
  const std::string source = "\x83\x82\x83\x66\x83\x8B\x1b.mqo";
  folder_.Write("data/" + source, kTriangleMqo);
  // "リンク/new.x" in Shift-JIS finds the link by its UTF-8 name.
  folder_.Write("data/cat.txt", Wrap(" <MeshFile value=\"\x83\x8A\x83\x93\x83\x4E/new.x\" src=\"" + source + "\"/>\n"));
  ObjectClass objectClass;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(objectClass.Load(Path("data/cat.txt")));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: data/\xe3\x83\xa2\xe3\x83\x87\xe3\x83\xab\\x1b.mqo: not converted: \"" +
                Path("data/\xe3\x83\xaa\xe3\x83\xb3\xe3\x82\xaf/new.x") + "\" leads to \"" + out +
                "ev\\x1b[31mil\\nSECOND/new.x\", outside the program's folder\n" +
                "t3dplayer: data/\xe3\x83\xaa\xe3\x83\xb3\xe3\x82\xaf/new.x: cannot be read\n");
  EXPECT_TRUE(fs::is_empty(evil));
}

// A right-to-left override in a disk name would make the terminal show the
// rest of the line backwards, so that it reads as something it does not say.
TEST_F(ObjectClassConversion, RefusalLineShowsCharactersThatReorderItEscaped) {
  TempFolder outside;
  const std::string out = fs::canonical(outside.path()).string() + "/";
  const std::string evil = outside.MakeFolder("ev\xe2\x80\xaeli");
  ASSERT_EQ(symlink(evil.c_str(), Path("link").c_str()), 0);
  folder_.Write("m.mqo", kTriangleMqo);
  folder_.Write("cat.txt", Wrap(" <MeshFile value=\"link/new.x\" src=\"m.mqo\"/>\n"));
  ObjectClass objectClass;
  testing::internal::CaptureStderr();
  ASSERT_TRUE(objectClass.Load(Path("cat.txt")));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: m.mqo: not converted: \"" + Path("link/new.x") + "\" leads to \"" + out +
                "ev\\u202eli/new.x\", outside the program's folder\n" + "t3dplayer: link/new.x: cannot be read\n");
  EXPECT_TRUE(fs::is_empty(evil));
}

// Content names the files in Shift-JIS ("モデル"); unpacked on Linux, the
// source's name on the disk is UTF-8. The new .x takes the UTF-8 form, and
// the time check finds the .x in either form.
TEST_F(ObjectClassConversion, JapaneseNamesConvertToTheUtf8FormAndAreFoundAgain) {
  const std::string sjis = "\x83\x82\x83\x66\x83\x8B";
  const std::string box = ReadTextFile(kGolden + "branching_box.x");
  folder_.Write("モデル.mqo", kTriangleMqo);
  SetWriteTime(Path("モデル.mqo"), 2000);
  folder_.Write("cat.txt", Wrap(" <MeshFile value=\"" + sjis + ".x\" src=\"" + sjis + ".mqo\"/>\n"));
  ObjectClass objectClass;
  ASSERT_TRUE(objectClass.Load(Path("cat.txt")));
  EXPECT_EQ(FrameNames(objectClass), "Scene_Root b");
  EXPECT_EQ(folder_.Read("モデル.x").rfind("xof 0303txt 0032\r\nFrame Scene_Root {", 0), 0u);
  EXPECT_EQ(folder_.Read(sjis + ".x"), "<missing>");

  // Newer than its source: not converted again.
  folder_.Write("モデル.x", box);
  SetWriteTime(Path("モデル.x"), 3000);
  ASSERT_TRUE(objectClass.Load(Path("cat.txt")));
  EXPECT_EQ(folder_.Read("モデル.x"), box);

  // An older .x in the content's own bytes is replaced where it is.
  fs::remove(Path("モデル.x"));
  folder_.Write(sjis + ".x", box);
  SetWriteTime(Path(sjis + ".x"), 1000);
  ASSERT_TRUE(objectClass.Load(Path("cat.txt")));
  EXPECT_EQ(FrameNames(objectClass), "Scene_Root b");
  EXPECT_EQ(folder_.Read(sjis + ".x").rfind("xof 0303txt 0032\r\nFrame Scene_Root {", 0), 0u);
  EXPECT_EQ(folder_.Read("モデル.x"), "<missing>");
}

// The names and ranges of the entries are the class case class_properties;
// here the fields they edit.
TEST(ObjectClassProperties, EntriesEditTheClassFields) {
  ObjectClass objectClass;
  PropertyEntry list[64];
  ASSERT_EQ(objectClass.ListProperties(nullptr, nullptr, list, 64), kObjectClassPropertyCount);
  EXPECT_EQ(list[8].value, list[29].value) << "every flag edits the class's one word";
  EXPECT_EQ(ObjectFlagName(20), nullptr);  // the bits without a name
  EXPECT_EQ(ObjectFlagName(32), nullptr);
  EXPECT_EQ(list[34].value, objectClass.GetCommand(kClassOnPreRender).text);
  EXPECT_EQ(list[37].value, list[34].value);
  EXPECT_EQ(list[35].value, objectClass.GetCommand(kClassOnCreate).text);
  EXPECT_STREQ(objectClass.GetName(), "");
  EXPECT_STREQ(objectClass.GetTypeName(), "ObjectClass");
}

}  // namespace

// The commands of a class case (see cases/README) and what they show.
std::string RunClassScript(const std::string& script) {
  ObjectClass objectClass;
  std::string out;
  std::istringstream lines(script);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string command, word;
    int number = 0;
    if (!(words >> command) || command[0] == '#') continue;
    out += line;
    if (command == "read") {
      std::string text;
      for (std::string more; std::getline(lines, more) && more != ".";) text += more + "\n";
      out += Answer(LoadInGolden(objectClass, text));
    } else if (command == "load") {
      words >> word;
      out += Answer(objectClass.Load(kGolden + word));
    } else if (command == "frames") {
      out += "\n";
      for (int i = 0; i < objectClass.FrameCount(); ++i) {
        const FrameNode& node = *objectClass.FrameNodeAt(i);
        const float* at = node.matrix.m[3];
        out += Format("%s at %g %g %g, %d\n", node.GetName(), double{at[0]}, double{at[1]}, double{at[2]},
                      node.userValue);
      }
      const Vector3& c = objectClass.GetBoundingCenter();
      out += Format("bounds at %g %g %g radius %g, farthest vertex %g\n", double{c.x}, double{c.y}, double{c.z},
                    double{objectClass.GetBoundingRadius()}, double{objectClass.GetLargestVertexDistance()});
    } else if (command == "frame") {
      // NAME ("(null)" and "" too): its index; the node found must agree.
      words >> word;
      const char* name = word == "(null)" ? nullptr : word == "\"\"" ? "" : word.c_str();
      const int index = objectClass.FindFrameNodeIndex(name);
      const bool agree = objectClass.FindFrameNode(name) == objectClass.FrameNodeAt(index);
      out += " -> " + std::to_string(index) + (agree ? "\n" : " (another node found)\n");
    } else if (command == "node") {
      const FrameNode* node = objectClass.FrameNodeAt(words >> number ? number : 0);
      out += std::string(" -> ") + (node ? node->GetName() : "(none)") + "\n";
    } else if (command == "motions") {
      // Per motion its tracks with their key counts ("*" the first track,
      // "!" one another motion owns) and whether it makes an animation set.
      out += "\n";
      for (int m = 0; m < objectClass.MotionCount(); ++m) {
        Motion& motion = *objectClass.MotionAt(m);
        out += Format("%s, length %d:", motion.GetName(), motion.GetLength());
        for (int t = 0; t < motion.TrackCount(); ++t) {
          const MotionFrame& track = *motion.FrameAt(t);
          out += Format(" %s%s%s/%d", track.IsFirstTrack() ? "*" : "", track.Owner() == &motion ? "" : "!",
                        track.GetName(), track.KeyCount());
        }
        std::shared_ptr<AnimationSet> set;
        out += objectClass.BuildAnimationSet(m, &set) ? ", animates\n" : ", no animation\n";
      }
    } else if (command == "current") {
      const bool taken = objectClass.SetCurrentMotion(words >> number ? number : 0);
      out += Format(" -> %s, motion %d of length %d at %d\n", taken ? "true" : "false",
                    objectClass.GetCurrentMotionIndex(), objectClass.CurrentMotionLength(),
                    objectClass.GetCurrentTime());
    } else if (command == "time") {
      objectClass.SetCurrentTime(words >> number ? number : 0);
      out += " -> " + std::to_string(objectClass.GetCurrentTime()) + "\n";
    } else if (command == "resize") {
      out += Answer(objectClass.ResizeMotions(words >> number ? number : 0));
    } else if (command == "rename") {
      words >> number >> word;
      objectClass.MotionAt(number)->SetName(word.c_str());
      out += "\n";
    } else if (command == "motion") {
      words >> word;
      const int index = objectClass.FindMotionIndex(word.c_str());
      const bool agree = objectClass.FindMotion(word.c_str()) == objectClass.MotionAt(index);
      out += " -> " + std::to_string(index) + (agree ? "\n" : " (another motion found)\n");
    } else if (command == "state") {
      const Vector3& scale = objectClass.GetConvScale();
      const Vector3& largest = objectClass.GetLargestScale();
      const std::string* text = objectClass.GetScript();
      out += Format("\nname \"%s\", mesh \"%s\" from \"%s\" at %g %g %g, %s\n", objectClass.GetClassName(),
                    objectClass.GetMeshFile(), objectClass.GetMeshSrcFile(), double{scale.x}, double{scale.y},
                    double{scale.z}, objectClass.GetModel() ? "a model" : "no model");
      out += Format("flags #%08x, solid colour #%08x, glare %d, largest scale %g %g %g\nhooks", objectClass.GetFlags(),
                    objectClass.GetSolidColor(), objectClass.GetGlare(), double{largest.x}, double{largest.y},
                    double{largest.z});
      for (int i = 0; i < kClassCommandCount; ++i)
        out += std::string(" \"") + objectClass.GetCommand(static_cast<ClassCommand>(i)).text + "\"";
      out += text ? ", script \"" + *text + "\"\n" : ", no script\n";
    } else if (command == "props") {
      PropertyEntry list[64];
      const int count = objectClass.ListProperties(nullptr, nullptr, list, words >> number ? number : 64);
      out += "\n";
      for (int i = 0; i < count; ++i)
        out += Format("%s %u %g..%g%s\n", list[i].name, list[i].type, double{list[i].min}, double{list[i].max},
                      list[i].primary ? " primary" : "");
    } else {
      out += " -> unknown command\n";
    }
  }
  return out;
}
