// ScriptServices: what the Cast and Scene script classes ask of parts of the
// player beside the scene tables (posing, contacts, edge stoppers, camera
// follow, sound, timers, fades, camera switches, character sets, text slots,
// string lists), and SceneServices, the scene's own. Each scene's
// SceneClasses holds one; tests put a recorder in its place.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/math/math_types.h"
#include "scene/text/glyph_table.h"
#include "scene/text/text_slot.h"
#include "script/value.h"

class Cast;
class Scene;
class SharedTexture;

// A full-screen fade as the frame update advances it.
struct FadeRequest {
  std::int32_t total = 0;
  std::int32_t inEnd = 0;
  std::int32_t outStart = 0;
  std::uint32_t color1 = 0;  // ARGB
  std::uint32_t color2 = 0;
  std::uint32_t mode = 0;    // bit 31 and the blend mode in the low 24 bits
};

class ScriptServices {
 public:
  virtual ~ScriptServices() = default;

  // ---- casts ----
  // The named frame's combined matrix in the cast's own pose at its motion
  // and time, with the identity as world matrix (the root frame when no
  // frame has the name).
  virtual Matrix CastFrameMatrix(Cast& cast, const char* frame);
  // The yaw of this frame's obstacle contact, radians; false without one.
  virtual bool CastObstacleHitYaw(const Cast& cast, float& angle);
  // True when the cast's class has an edge-stopper wall mesh.
  virtual bool CastHasEdgeStopper(const Cast& cast);
  // Removes the wall faces of `cast`'s edge stopper within the "SPHR" sphere
  // of `other`'s frame `frame`.
  virtual void CastDeleteEdgeStopperFaces(Cast& cast, Cast& other, const char* frame);
  // Places the camera cast around the target after the camera guides.
  virtual void CastFollowTarget(Cast& camera, Cast& target);
  // Plays a loaded sound (volume 0..1, pan -1 the left speaker to +1 the
  // right, start in seconds).
  virtual void PlaySound(std::uint32_t id, float volume, float pan, float start);

  // ---- the scene ----
  // A timer calling `function` of the scene's engine `delay` frames from now
  // with copies of the three values (references already resolved by the
  // caller). False when the table is full or the function does not exist.
  virtual bool SetTimer(std::int32_t delay, std::int32_t id, const char* function, const ScriptValue (&values)[3]);
  // Removes every timer with the id; all of them for -1.
  virtual void KillTimer(std::int32_t id);
  // Mode 0 switches to the camera cast at once, any other blends over `frames`.
  virtual void SwitchCamera(Cast* camera, std::int32_t mode, std::int32_t frames, std::int32_t x);
  // Takes the first free of the fade slots; false when none is free.
  virtual bool AddFade(const FadeRequest& fade);
  // Character set `set` (0..31) takes the image (null: none, or it could not
  // be loaded) and the glyphs, replacing what it held.
  virtual void SetCharacterSet(int set, std::shared_ptr<SharedTexture> image, std::vector<Glyph> glyphs);
  virtual void PutCharacters(const CharacterRequest& request);
  virtual void DeleteCharacters(int slot);
  // The text's width in the character set.
  virtual float CharacterLength(int set, const std::string& text);
  // Reads the string list (a path below the program folder).
  virtual void LoadStringList(const std::string& file);
  // The list's text for the id; false when it has none.
  virtual bool GetString(std::int32_t id, std::string& out);
};

// The services a scene gives its script classes unless a test puts its own in
// place: sound goes to the scene's sound manager; timers, fades, camera
// switches, text slots, character sets and the string list act on the scene,
// the camera follow places the camera cast, frame matrices come from the
// cast's own pose, and contacts and edge stoppers act on the casts as the
// defaults do.
class SceneServices : public ScriptServices {
 public:
  explicit SceneServices(Scene& scene) : scene_(scene) {}
  void PlaySound(std::uint32_t id, float volume, float pan, float start) override;
  // The game's camera follow.
  void CastFollowTarget(Cast& camera, Cast& target) override;
  bool SetTimer(std::int32_t delay, std::int32_t id, const char* function, const ScriptValue (&values)[3]) override;
  void KillTimer(std::int32_t id) override;
  void SwitchCamera(Cast* camera, std::int32_t mode, std::int32_t frames, std::int32_t x) override;
  bool AddFade(const FadeRequest& fade) override;
  void SetCharacterSet(int set, std::shared_ptr<SharedTexture> image, std::vector<Glyph> glyphs) override;
  void PutCharacters(const CharacterRequest& request) override;
  void DeleteCharacters(int slot) override;
  float CharacterLength(int set, const std::string& text) override;
  void LoadStringList(const std::string& file) override;
  bool GetString(std::int32_t id, std::string& out) override;

 private:
  Scene& scene_;
};
