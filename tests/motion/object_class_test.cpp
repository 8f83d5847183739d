// Object classes: frame order and frame nodes, bounds, current motion and
// time, motions and look-ups, mesh paths and conversion from .mqo sources, reloading, the
// property list, and long frame names that must still animate.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "motion/key_type.h"
#include "motion/model.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/mesh/animation_set.h"
#include "platform/system/content_path.h"
#include "platform/system/temp_folder.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

const std::string kGolden = std::string(T3D_SOURCE_DIR) + "/tests/motion/golden/";
const char kLongName[] = "LeftFootOfTheTestModelWithALongName";
const char kCutName[] = "LeftFootOfTheTestModelWithALong";

// A class file in the golden folder, so that "branching_box.x" is found.
bool LoadInGolden(ObjectClass& objectClass, const std::string& text) {
  return objectClass.LoadText(text.c_str(), kGolden + "test.txt");
}

std::string Wrap(const std::string& body) { return "<MotionObject>\n" + body + "</MotionObject>\n"; }

const std::string kBox = " <MeshFile value=\"branching_box.x\"/>\n";

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

// Nodes follow the model's frame order (Root's child Arm; Arm's sibling Leg is
// walked before Arm's child Hand) with their matrices; the bounds come from
// the root mesh, a box from (0, 0, 0) to (2, 4, 2).
TEST(ObjectClassFrames, NodesFollowTheModelAndBoundsComeFromTheRootMesh) {
  ObjectClass objectClass;
  ASSERT_TRUE(LoadInGolden(objectClass, Wrap(kBox)));
  ASSERT_NE(objectClass.GetModel(), nullptr);
  std::string dump;
  for (int i = 0; i < objectClass.FrameCount(); ++i) {
    const FrameNode& node = *objectClass.FrameNodeAt(i);
    char text[96];
    std::snprintf(text, sizeof text, "%s %g %g %g %d\n", node.GetName(), static_cast<double>(node.matrix.m[3][0]),
                  static_cast<double>(node.matrix.m[3][1]), static_cast<double>(node.matrix.m[3][2]), node.userValue);
    dump += text;
  }
  EXPECT_EQ(dump, std::string("Root 0 0 0 4096\nArm 1 0 0 4096\nLeg -1 0 0 4096\n") + kCutName +
                      " 0 -1 0 4096\nHand 0 1 0 4096\n");
  const Vector3& centre = objectClass.GetBoundingCenter();
  EXPECT_EQ((Vector3{1, 2, 1}), centre);
  EXPECT_FLOAT_EQ(objectClass.GetBoundingRadius(), std::sqrt(6.0f));
  EXPECT_FLOAT_EQ(objectClass.GetLargestVertexDistance(), std::sqrt(24.0f));

  struct Case {
    const char* name;
    int index;
  };
  const Case cases[] = {{"Root", 0},      {"Hand", 4},     {"hand", -1},  {kCutName, 3},
                        {kLongName, 3},   {"Missing", -1}, {"", -1},      {nullptr, -1},
                        {"LeftFootOfTheTestModelWithALongNameX", -1}};
  for (const Case& c : cases) {
    EXPECT_EQ(objectClass.FindFrameNodeIndex(c.name), c.index) << (c.name ? c.name : "(null)");
    EXPECT_EQ(objectClass.FindFrameNode(c.name), objectClass.FrameNodeAt(c.index));
  }
  EXPECT_EQ(objectClass.FrameNodeAt(5), nullptr);
  EXPECT_EQ(objectClass.FrameNodeAt(-1), nullptr);
}

TEST(ObjectClassFrames, ClassWithoutMeshHasNoFramesAndEmptyMotions) {
  ObjectClass objectClass;
  ASSERT_TRUE(LoadInGolden(objectClass, Wrap(" <Motion name=\"Idle\" length=\"5\"/>\n <Frame name=\"Root\"/>\n")));
  EXPECT_EQ(objectClass.GetModel(), nullptr);
  EXPECT_EQ(objectClass.FrameCount(), 0);
  EXPECT_EQ(objectClass.FrameNodeAt(0), nullptr);
  EXPECT_EQ(objectClass.FindFrameNodeIndex("Root"), -1);
  ASSERT_EQ(objectClass.MotionCount(), 1);
  EXPECT_EQ(objectClass.MotionAt(0)->TrackCount(), 0);
  std::shared_ptr<AnimationSet> set;
  EXPECT_FALSE(objectClass.BuildAnimationSet(0, &set));
}

// The frame whose name a track cannot hold whole still moves with its track.
TEST(ObjectClassFrames, LongNamedFrameAnimates) {
  ObjectClass objectClass;
  ASSERT_TRUE(LoadInGolden(objectClass, Wrap(kBox + " <Motion name=\"Kick\" length=\"10\">\n"
                                                    "  <MotionFrame name=\"" + kCutName + "\">\n"
                                                    "   <TransKey time=\"0\" x=\"5\" y=\"0\" z=\"0\"/>\n"
                                                    "  </MotionFrame>\n </Motion>\n")));
  std::shared_ptr<AnimationSet> set;
  ASSERT_TRUE(objectClass.BuildAnimationSet(0, &set));
  Model& model = *objectClass.GetModel();
  ASSERT_TRUE(model.CloneAnimationController(2));
  AnimationController& controller = *model.GetAnimationController();
  ASSERT_TRUE(controller.RegisterAnimationSet(set));
  ASSERT_TRUE(controller.SetTrackAnimationSet(0, set));
  model.AdvanceTime(0.0f, nullptr, 0, 1.0f);
  const ModelFrame* foot = model.FindFrameByStoredName(kLongName);
  ASSERT_NE(foot, nullptr);
  // Its own translation (0, -1, 0) plus the key's (5, 0, 0).
  EXPECT_FLOAT_EQ(foot->transformationMatrix.m[3][0], 5.0f);
  EXPECT_FLOAT_EQ(foot->transformationMatrix.m[3][1], -1.0f);
}

TEST(ObjectClassMotions, CurrentMotionAndTimeStayWithinTheMotion) {
  ObjectClass objectClass;
  ASSERT_TRUE(LoadInGolden(objectClass, Wrap(kBox + " <Motion name=\"Walk\" length=\"60\"/>\n"
                                                    " <Motion name=\"Still\" length=\"0\"/>\n"
                                                    " <Motion name=\"Early\" length=\"1333333333333333333337\"/>\n")));
  objectClass.SetCurrentTime(7);
  EXPECT_EQ(objectClass.GetCurrentTime(), -1) << "no current motion";
  EXPECT_FALSE(objectClass.SetCurrentMotion(-1));
  EXPECT_FALSE(objectClass.SetCurrentMotion(3));
  EXPECT_EQ(objectClass.GetCurrentMotionIndex(), -1);
  EXPECT_EQ(objectClass.CurrentMotionLength(), 0);

  ASSERT_TRUE(objectClass.SetCurrentMotion(0));
  EXPECT_EQ(objectClass.CurrentMotionLength(), 60);
  struct Case {
    int time;
    int stored;
  };
  for (const Case c : {Case{500, 59}, Case{-3, 0}, Case{59, 59}, Case{12, 12}}) {
    objectClass.SetCurrentTime(c.time);
    EXPECT_EQ(objectClass.GetCurrentTime(), c.stored) << c.time;
  }
  EXPECT_FALSE(objectClass.SetCurrentMotion(5));
  EXPECT_EQ(objectClass.GetCurrentTime(), 12) << "a refused index changes nothing";
  ASSERT_TRUE(objectClass.SetCurrentMotion(1));
  EXPECT_EQ(objectClass.GetCurrentTime(), -1) << "a motion without frames";
  ASSERT_TRUE(objectClass.SetCurrentMotion(2));
  EXPECT_EQ(objectClass.CurrentMotionLength(), 2147483647) << "a length past 32 bits saturates";
  objectClass.SetCurrentTime(1 << 30);
  EXPECT_EQ(objectClass.GetCurrentTime(), 1 << 30) << "a time inside the long motion is kept";
}

TEST(ObjectClassMotions, ResizingKeepsMotionsAndGivesNewOnesATrackPerFrame) {
  ObjectClass objectClass;
  ASSERT_TRUE(LoadInGolden(objectClass, Wrap(kBox + " <Motion name=\"Walk\" length=\"10\">\n"
                                                    "  <MotionFrame name=\"Arm\"><TransKey time=\"1\" x=\"1\" y=\"2\" "
                                                    "z=\"3\"/></MotionFrame>\n </Motion>\n")));
  EXPECT_FALSE(objectClass.ResizeMotions(-1));
  ASSERT_TRUE(objectClass.ResizeMotions(3));
  ASSERT_EQ(objectClass.MotionCount(), 3);
  EXPECT_STREQ(objectClass.MotionAt(0)->GetName(), "Walk");
  EXPECT_EQ(objectClass.MotionAt(0)->FindFrame("Arm")->KeyCount(), 1);
  for (int m = 0; m < 3; ++m) {
    Motion& motion = *objectClass.MotionAt(m);
    ASSERT_EQ(motion.TrackCount(), 5);
    for (int t = 0; t < 5; ++t) {
      EXPECT_STREQ(motion.FrameAt(t)->GetName(), objectClass.FrameNodeAt(t)->GetName());
      EXPECT_EQ(motion.FrameAt(t)->Owner(), &motion);
      EXPECT_EQ(motion.FrameAt(t)->IsFirstTrack(), t == 0);
    }
  }
  objectClass.MotionAt(2)->SetName("walk");
  EXPECT_EQ(objectClass.FindMotionIndex("walk"), 2);
  EXPECT_EQ(objectClass.FindMotion("Walk"), objectClass.MotionAt(0));
  EXPECT_EQ(objectClass.FindMotionIndex("WALK"), -1);
  ASSERT_TRUE(objectClass.ResizeMotions(1));
  EXPECT_EQ(objectClass.MotionAt(1), nullptr);
  EXPECT_EQ(objectClass.MotionAt(0)->FindFrame("Arm")->KeyCount(), 1);
}

TEST(ObjectClassMotions, LargestScaleComesFromScaleKeysAndNeverFallsBelowOne) {
  const auto scaleKeys = [](const std::string& keys) {
    return Wrap(kBox + " <Motion name=\"A\" length=\"10\"><MotionFrame name=\"Hand\">" + keys +
                "</MotionFrame></Motion>\n");
  };
  struct Case {
    std::string keys;
    Vector3 largest;
  };
  const Case cases[] = {
      {"", {1, 1, 1}},
      {"<ScaleKey time=\"0\" x=\"0.5\" y=\"0.25\" z=\"0.9\"/>", {1, 1, 1}},
      {"<ScaleKey time=\"0\" x=\"0.5\" y=\"3\" z=\"0.9\"/><ScaleKey time=\"4\" x=\"2\" y=\"1\" z=\"1.5\"/>", {2, 3, 1.5f}},
      {"<TransKey time=\"0\" x=\"7\" y=\"7\" z=\"7\"/>", {1, 1, 1}},
  };
  for (const Case& c : cases) {
    ObjectClass objectClass;
    ASSERT_TRUE(LoadInGolden(objectClass, scaleKeys(c.keys)));
    const Vector3& largest = objectClass.GetLargestScale();
    EXPECT_EQ(largest.x, c.largest.x) << c.keys;
    EXPECT_EQ(largest.y, c.largest.y) << c.keys;
    EXPECT_EQ(largest.z, c.largest.z) << c.keys;
  }
}

// Both words take every form of a flag word (its reader has the table).
TEST(ObjectClassReading, FlagsAndSolidColourReadAsFlagWords) {
  ObjectClass objectClass;
  ASSERT_TRUE(LoadInGolden(objectClass, Wrap(" <Flags value=\"-1\"/>\n <SolidColor value=\"17\"/>\n")));
  EXPECT_EQ(objectClass.GetFlags(), 0xFFFFFFFFu);
  EXPECT_EQ(objectClass.GetSolidColor(), 0x11u);
}

TEST(ObjectClassReading, ReloadKeepsSettingsButDropsMotionsModelAndAttachments) {
  struct Probe : ClassAttachment {
    explicit Probe(bool* gone) : gone_(gone) {}
    ~Probe() override { *gone_ = true; }
    bool* gone_;
  };
  ObjectClass objectClass;
  ASSERT_TRUE(LoadInGolden(
      objectClass, Wrap(kBox + " <Name value=\"Cat\"/>\n <Script>\nOne();\n</Script>\n"
                               " <Function OnLoop=\"L\" OnHit=\"H\" OnCreate=\"C\" OnDelete=\"D\" OnPreRender=\"P\"/>\n"
                               " <Motion name=\"Walk\" length=\"4\"/>\n")));
  bool gone = false;
  objectClass.SetAttachment(0, std::make_unique<Probe>(&gone));
  objectClass.SetAttachment(kClassAttachmentCount, std::make_unique<Probe>(&gone));
  EXPECT_TRUE(gone) << "an attachment outside the slots is dropped at once";
  gone = false;

  ASSERT_TRUE(LoadInGolden(objectClass, Wrap(" <Function OnHit=\"Hit2\"/>\n")));
  EXPECT_TRUE(gone);
  EXPECT_EQ(objectClass.GetAttachment(0), nullptr);
  EXPECT_EQ(objectClass.GetModel(), nullptr);
  EXPECT_EQ(objectClass.MotionCount(), 0);
  EXPECT_STREQ(objectClass.GetClassName(), "Cat");
  ASSERT_NE(objectClass.GetScript(), nullptr);
  EXPECT_EQ(*objectClass.GetScript(), "One();\n");
  std::string hooks;
  for (int i = 0; i < kClassCommandCount; ++i)
    hooks += std::string(objectClass.GetCommand(static_cast<ClassCommand>(i)).text) + ",";
  EXPECT_EQ(hooks, "L,Hit2,C,D,,P,");
}

TEST(ObjectClassReading, FailedLoadsAnswerFalseAndKeepWhatWasRead) {
  ObjectClass objectClass;
  EXPECT_FALSE(objectClass.Load(kGolden + "no_such_class.txt"));
  // A key element without its time fails the parse.
  EXPECT_FALSE(LoadInGolden(objectClass, Wrap(kBox + " <Name value=\"Half\"/>\n <Motion name=\"A\" length=\"4\">"
                                                     "<MotionFrame name=\"Root\"><TransKey x=\"1\" y=\"1\" z=\"1\"/>"
                                                     "</MotionFrame></Motion>\n <Glare value=\"9\"/>\n")));
  EXPECT_STREQ(objectClass.GetClassName(), "Half");
  EXPECT_EQ(objectClass.MotionCount(), 1);
  EXPECT_EQ(objectClass.GetGlare(), 0);
  // A missing model is not a failure of the class.
  EXPECT_TRUE(LoadInGolden(objectClass, Wrap(" <MeshFile value=\"missing.x\"/>\n")));
  EXPECT_EQ(objectClass.GetModel(), nullptr);
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
  std::string Path(const char* name) const { return folder_.path() + name; }

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

TEST(ObjectClassProperties, FortyTwoEntriesInTheirOrder) {
  ObjectClass objectClass;
  PropertyEntry list[64];
  ASSERT_EQ(objectClass.ListProperties(nullptr, nullptr, list, 64), kObjectClassPropertyCount);
  std::string dump;
  for (int i = 0; i < kObjectClassPropertyCount; ++i) {
    char line[96];
    std::snprintf(line, sizeof line, "%s %u %g..%g%s\n", list[i].name, list[i].type, static_cast<double>(list[i].min),
                  static_cast<double>(list[i].max), list[i].primary ? " primary" : "");
    dump += line;
  }
  const std::string flags =
      "Visible 7 0..0 primary\nActive 8 0..0 primary\nObstacle 9 0..0 primary\nCollisionDetection 10 0..0 primary\n"
      "FreeFall 11 0..0 primary\nShadowRender 12 0..0 primary\nToonRender 13 0..0 primary\n"
      "EdgeRender 14 0..0 primary\nSolidTRender 15 0..0 primary\nNoSpeedCtrl 16 0..0 primary\n"
      "AlphaBlending 17 0..0 primary\nAddBlending 18 0..0 primary\nSubBlending 19 0..0 primary\n"
      "StopByEdge 20 0..0 primary\nEdgeStopper 21 0..0 primary\nNoticeIKStretched 22 0..0 primary\n"
      "Decoration1 23 0..0 primary\nDecoration2 24 0..0 primary\nNoOmitRendering 25 0..0 primary\n"
      "DeleteAtDisjoint 26 0..0 primary\nCondition1 35 0..0 primary\nCondition2 36 0..0 primary\n"
      "Condition3 37 0..0 primary\nCondition4 38 0..0 primary\n";
  EXPECT_EQ(dump,
            "ClassName 4 0..32 primary\nMeshSrcFile 4 0..260 primary\nConvScaleX 3 0.0001..1000 primary\n"
            "ConvScaleY 3 0.0001..1000 primary\nConvScaleZ 3 0.0001..1000 primary\nMeshFile 4 0..260 primary\n" +
                flags +
                "SolidColor 6 0..0\nScript 5 0..0\nOnLoopFunc 4 0..255\nOnHitFunc 4 0..255\n"
                "OnPreRenderFunc 4 0..255\nOnCreateFunc 4 0..255\nOnDeleteFunc 4 0..255\nOnPreRenderFunc 4 0..255\n"
                "CaseTableFile 4 0..260\nCaseType 1 0..9999\nGlare 1 -255..255\nRenderingPriority 1 -100..100\n");
  EXPECT_EQ(list[8].value, list[29].value) << "every flag edits the class's one word";
  EXPECT_EQ(ObjectFlagName(20), nullptr);  // the bits without a name
  EXPECT_EQ(ObjectFlagName(32), nullptr);
  EXPECT_EQ(list[34].value, objectClass.GetCommand(kClassOnPreRender).text);
  EXPECT_EQ(list[37].value, list[34].value);
  EXPECT_EQ(list[35].value, objectClass.GetCommand(kClassOnCreate).text);
  EXPECT_STREQ(objectClass.GetName(), "");
  EXPECT_STREQ(objectClass.GetTypeName(), "ObjectClass");
  // A short list is filled as far as it goes.
  PropertyEntry few[3];
  EXPECT_EQ(objectClass.ListProperties(nullptr, nullptr, few, 3), 3);
}

}  // namespace
