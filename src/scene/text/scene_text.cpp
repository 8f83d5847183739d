// The scene's script character sets and its string list, as the Scene
// members fill, measure and read them.
#include <cassert>

#include "files/archive.h"
#include "platform/system/content_memory.h"
#include "platform/system/content_report.h"
#include "scene/scene.h"

void Scene::SetCharacterSet(int set, std::shared_ptr<SharedTexture> image, std::vector<Glyph> glyphs) {
  assert(set >= 0 && set < kCharacterSetCount);
  CharacterSetData& data = characterSets_[static_cast<std::size_t>(set)];
  data.glyphs = GlyphTable(std::move(glyphs));
  data.image = std::move(image);
  data.version = ++characterSetVersion_;
}

const CharacterSetData& Scene::CharacterSetAt(int set) const {
  assert(set >= 0 && set < kCharacterSetCount);
  return characterSets_[static_cast<std::size_t>(set)];
}

float Scene::GetCharacterLength(int set, const char* text) const {
  return CharacterSetAt(set).glyphs.GetCharacterLength(text);
}

bool Scene::LoadStringList(const std::string& path) {
  // The old list goes first: a file that cannot be read leaves none.
  stringList_.Clear();
  std::string why = "cannot be read";
  const bool loaded = LoadOrOutOfMemory(
      [&] {
        FileData file;
        if (!LoadFile(path, file)) return false;
        stringList_.Load(file.view());
        return true;
      },
      &why);
  if (!loaded) {
    stringList_.Clear();
    ReportContentFault(path, 0, why);
  }
  return loaded;
}
