// Frame search and order, and the allocator contract of the loader: every
// record made is destroyed on failure, dropped containers leave the frame
// bare, and a skin bone without a frame never reaches the model layer (the
// loader's warnings for this file are in its case file's dump).
#include <gtest/gtest.h>

#include "platform/mesh/hierarchy_loader.h"
#include "support/case_files.h"
#include "xfile_test_support.h"

namespace {

// The model layer's way: records of its own, counted.
template <typename Record>
struct Counted : Record {
  int* live;
  explicit Counted(int* counter) : live(counter) { ++*live; }
  ~Counted() override { --*live; }
};

class CountingAllocator : public AllocateHierarchy {
 public:
  int liveFrames = 0, liveContainers = 0;
  int framesLeft = 1000, containersLeft = 1000;
  bool dropContainers = false;
  std::vector<std::string> trace;

  Frame* CreateFrame(std::string_view name) override {
    trace.push_back("frame '" + std::string(name) + "'");
    if (framesLeft-- <= 0) return nullptr;
    auto* frame = new Counted<Frame>(&liveFrames);
    frame->name = std::string(name);
    return frame;
  }
  bool CreateMeshContainer(MeshContainerData&& data, MeshContainer** out) override {
    trace.push_back("container '" + data.name + "' " + std::to_string(data.mesh->GetNumFaces()) +
                    " faces " + std::to_string(data.materials.size()) + " materials" +
                    (data.skinInfo ? " skinned" : ""));
    *out = nullptr;
    if (containersLeft-- <= 0) return false;
    if (dropContainers) return true;
    auto* container = new Counted<MeshContainer>(&liveContainers);
    container->name = data.name;
    container->mesh = std::move(data.mesh);
    container->skinInfo = std::move(data.skinInfo);
    *out = container;
    return true;
  }
  void DestroyFrame(Frame* frame) override { delete frame; }
  void DestroyMeshContainer(MeshContainer* container) override { delete container; }
};

const std::vector<std::uint8_t> kFile =
    Bytes(ReadTextFile(std::string(T3D_SOURCE_DIR) + "/tests/platform/mesh/cases/skins_and_dropped_meshes.x"));

TEST(FrameHierarchy, LoaderCallsTheAllocatorInFileOrderAndDropsBadMeshes) {
  CountingAllocator allocator;
  LoadedHierarchy loaded;
  std::string error;
  ASSERT_TRUE(LoadMeshHierarchyFromXInMemory(kFile, allocator, &loaded, &error)) << error;
  std::vector<Frame*> order;
  ListFramesSiblingsFirst(loaded.root, &order);
  std::string got;
  for (const std::string& call : allocator.trace) got += call + "\n";
  for (Frame* frame : order) got += frame->name + " ";
  EXPECT_EQ("frame 'R'\ncontainer 'First' 1 faces 0 materials\nframe 'A'\nframe 'A1'\nframe 'B'\n"
            "container 'Skinned' 1 faces 0 materials skinned\nR A B A1 ",
            got);
  EXPECT_EQ(nullptr, loaded.animationController);

  Frame* b = FindFrame(loaded.root, "B");
  ASSERT_NE(nullptr, b);
  ASSERT_NE(nullptr, b->meshContainer);
  std::vector<Frame*> bones;
  std::string missing;
  ASSERT_TRUE(FindBoneFrames(*b->meshContainer->skinInfo, loaded.root, &bones, &missing));
  EXPECT_EQ((std::vector<Frame*>{FindFrame(loaded.root, "A1")}), bones);

  DestroyFrameHierarchy(loaded.root, allocator);
  EXPECT_EQ(0, allocator.liveFrames);
  EXPECT_EQ(0, allocator.liveContainers);
}

TEST(FrameHierarchy, AFailingOrDroppingAllocatorLeavesNothingBehind) {
  const struct {
    const char* what;
    int frames, containers;
    bool drop;
    const char* outcome;
  } cases[] = {
      {"first frame", 0, 1000, false, "the allocator made no frame for 'R'"},
      {"third frame", 2, 1000, false, "the allocator made no frame for 'A1'"},
      {"first container", 1000, 0, false, "the allocator refused mesh 'First'"},
      {"second container", 1000, 1, false, "the allocator refused mesh 'Skinned'"},
      // A container the allocator drops leaves its frame bare.
      {"dropped containers", 1000, 1000, true, "loaded, R bare"},
  };
  for (const auto& c : cases) {
    CountingAllocator allocator;
    allocator.framesLeft = c.frames;
    allocator.containersLeft = c.containers;
    allocator.dropContainers = c.drop;
    LoadedHierarchy loaded;
    std::string error;
    if (LoadMeshHierarchyFromXInMemory(kFile, allocator, &loaded, &error)) {
      error = loaded.root->meshContainer ? "loaded, R with a container" : "loaded, R bare";
      DestroyFrameHierarchy(loaded.root, allocator);
    }
    EXPECT_EQ(c.outcome, error) << c.what;
    EXPECT_EQ(nullptr, c.drop ? nullptr : loaded.root) << c.what;
    EXPECT_EQ("0 0", std::to_string(allocator.liveFrames) + " " + std::to_string(allocator.liveContainers)) << c.what;
  }
}

TEST(FrameHierarchy, FindFrameSearchesChildrenBeforeSiblings) {
  LoadOutcome loaded;
  Load(Bytes("xof 0303txt 0032\nFrame R { Frame A { Frame X {} } Frame X {} Frame {} }"), &loaded);
  Frame* r = loaded.hierarchy.root;
  ASSERT_EQ("", r->firstChild->sibling->sibling->name);
  EXPECT_EQ(r->firstChild->firstChild, FindFrame(r, "X"));
  EXPECT_EQ(r, FindFrame(r, "R"));
  EXPECT_EQ(nullptr, FindFrame(r, "Y"));
  EXPECT_EQ(nullptr, FindFrame(r, ""));
  EXPECT_EQ(nullptr, FindFrame(nullptr, "R"));
  auto skin = SkinInfo::Create(1, {{"A", MatrixIdentity(), {}, {}}, {"Y", MatrixIdentity(), {}, {}}});
  std::vector<Frame*> bones;
  std::string missing;
  EXPECT_FALSE(FindBoneFrames(*skin, r, &bones, &missing));
  EXPECT_EQ("Y", missing);
  EXPECT_TRUE(bones.empty());
}

}  // namespace
