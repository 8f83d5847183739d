// Loading the Ogg library: the result codes, the program folder, and that a
// refused library leaves nothing behind. The committed pieces it decodes are
// checked where the music tests decode them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "sound/sound_manager.h"
#include "sound/sound_test_support.h"
#include "sound/vorbis_library.h"

namespace {

TEST(VorbisLibraryTest, LoadsOnlyACompleteLibraryWithASmallEnoughState) {
  TempFolder folder;
  folder.Write("text.so", "not a library");
  // A pipe at the name would keep the loader waiting for a writer.
  ASSERT_EQ(mkfifo((folder.path() + "pipe.so").c_str(), 0600), 0);
  struct Case {
    const char* name;
    std::string path;
    int result;
  };
  const std::vector<Case> cases = {
      {"the library", T3D_WUVORBIS, kVorbisLoaded},
      {"no file", folder.path() + "missing.so", kVorbisNotLoadable},
      {"a file that is no library", folder.path() + "text.so", kVorbisNotLoadable},
      {"a pipe", folder.path() + "pipe.so", kVorbisNotLoadable},
      {"a name missing, even one never called", T3D_WUVORBIS_NO_CROSSLAP, kVorbisNameMissing},
      {"a decoder state of 961 bytes", T3D_WUVORBIS_961, kVorbisStateTooLarge},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VorbisLibrary library;
    EXPECT_EQ(LoadVorbisLibrary(library, c.path.c_str()), c.result);
    EXPECT_EQ(library.module != nullptr, c.result == kVorbisLoaded);
    EXPECT_EQ(library.CanDecode(), c.result == kVorbisLoaded);
    UnloadVorbisLibrary(library);
    EXPECT_EQ(library.module, nullptr);
    EXPECT_FALSE(library.CanDecode());
  }
}

TEST(VorbisLibraryTest, OpensTheLibraryOfTheProgramFolderOnce) {
  ProgramFolder program;
  VorbisLibrary library;
  ASSERT_EQ(LoadVorbisLibrary(library, nullptr), kVorbisLoaded);
  void* module = library.module;
  EXPECT_EQ(LoadVorbisLibrary(library, "/no/such/library.so"), kVorbisLoaded);
  EXPECT_EQ(library.module, module);
  UnloadVorbisLibrary(library);

  // The game needs the library even when it plays no music.
  ProgramFolder without(false);
  GameSoundManager manager;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(manager.Initialize(AudioOutput::kNone));
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "t3dplayer: the Ogg Vorbis library \"wuvorbis.so\" cannot be used: it is missing or is no library\n");
}

}  // namespace
