// A scene file with more casts than the table holds (the other table rules
// are step cases).
#include <gtest/gtest.h>

#include <string>

#include "platform/system/temp_folder.h"
#include "scene/scene.h"

namespace {

TEST(SceneFileTest, CastBeyondTheTableStopsTheFile) {
  TempFolder folder;
  std::string text = "<Scene>\n";
  for (int i = 0; i < kCastTableSize + 1; ++i) text += " <Cast><Name value=\"C" + std::to_string(i) + "\"/></Cast>\n";
  text += " <Name value=\"After\"/>\n</Scene>\n";
  Scene scene;
  EXPECT_TRUE(scene.LoadScene(folder.Write("many.scn", text)));
  EXPECT_EQ(scene.CastCount(), kCastTableSize);
  EXPECT_STREQ(scene.CastAt(kCastTableSize - 1)->GetName(), "C255");
  EXPECT_STREQ(scene.GetName(), "");
}

}  // namespace
