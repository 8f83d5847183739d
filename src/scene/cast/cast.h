// Cast: one placed game object of a scene (an instance of an object class with
// its own position, motion, flags, links, rail and move mode). The scene owns them; scripts reach them by handle.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "motion/bone_control.h"
#include "platform/math/math_types.h"
#include "scene/cast/cast_handle.h"
#include "scene/cast/ik_chain.h"
#include "scene/scene_limits.h"
#include "script/value.h"

class MarkupReader;
class Model;
class Motion;
class ObjectClass;
class Scene;
struct Command;

// One obstacle contact of this frame; a null cast ends the list.
struct CastContact {
  CastHandle cast;
  Vector3 direction{0.0f, 0.0f, 0.0f};  // from this cast's sphere centre to the contact, world axes
  Vector3 normal{0.0f, 0.0f, 0.0f};     // unit surface normal, world axes
  Vector3 point{0.0f, 0.0f, 0.0f};      // the contact relative to the hit cast's position
  std::uint32_t face = 0;               // the touched face of the obstacle's mesh
};

// A joint to another cast: the cast and a frame index of a class's frame list.
struct CastLink {
  CastHandle cast;
  std::int32_t frame = 0;
  Vector3 vector{0.0f, 0.0f, 0.0f};
  void Clear() { *this = CastLink(); }
};

struct CastHit {
  CastHandle cast;  // null ends the list
  std::uint32_t bits = 0;
};
using CastHitList = std::array<CastHit, kCastHitListSize>;

// A point of a rail: fixed, or following another cast's position and rotation.
struct RailPoint {
  CastHandle cast;
  Vector3 position{0.0f, 0.0f, 0.0f};
  Quaternion rotation{0.0f, 0.0f, 0.0f, 1.0f};
  // The sum of the frame counts up to and including this point's.
  std::int64_t time = 0;
};

// A guide record of a camera cast.
struct CameraGuide {
  std::uint32_t maskA = 0;
  std::uint32_t maskB = 0;
  Vector3 position{0.0f, 0.0f, 0.0f};
};

// Move modes (the per-frame movement a cast runs besides its speed).
enum MoveMode : std::int32_t {
  kMoveNone = 0,
  kMoveIKRelease = 1,
  kMoveGameCommand = 2,  // nothing runs; the flags gain "Visible" and "Active"
  kMoveRail = 3,
  kMoveRailPositionOnly = 4,
  kMoveBackAndForth = 5,
  kMoveBackAndForthPositionOnly = 6,
  kMoveAlphaFade = 7,
  kMoveStartMoving = 8,
};

// The rail kinds of RunOnTheRail; bit 31 leaves the rotation alone.
constexpr std::uint32_t kRailLoop = 0;
constexpr std::uint32_t kRailBackAndForth = 1;
constexpr std::uint32_t kRailPositionOnly = 0x80000000u;
// The repeat count of a rail that never ends.
constexpr std::uint32_t kRailEndless = 0xFFFFFFFFu;
// A move duration that never ends.
constexpr std::int64_t kMoveEndless = -1;

// Region types of a cast's own region (tested by the region query).
enum CastRegionType : std::int32_t { kRegionNone = 0, kRegionSphere = 1, kRegionCylinder = 2 };

class Cast {
 public:
  // A cast of `cls` (may be null: a scene file may name no loaded class) with
  // the initial state; not reset. Its handle comes from the scene's
  // registry, which must outlive it.
  Cast(ObjectClass* cls, CastRegistry& registry);
  ~Cast();
  Cast(const Cast&) = delete;
  Cast& operator=(const Cast&) = delete;

  CastHandle GetHandle() const { return handle_; }
  ObjectClass* GetClass() const { return class_; }
  void SetClass(ObjectClass* cls);
  // The class is going away: the cast goes on without one (and without the
  // bone controls that pointed into its model).
  void ForgetClass();
  // Set while the scene runs the cast's delete hook, so that a hook deleting
  // its own cast does not start the deletion over.
  bool IsBeingDeleted() const { return beingDeleted_; }
  void SetBeingDeleted(bool deleting) { beingDeleted_ = deleting; }

  const char* GetName() const { return name_; }
  // A bounded copy into the 32-byte name (never half a double-byte character).
  void SetName(const char* name);

  // Handles one child element of a scene file's Cast element; unknown
  // elements and elements missing a required attribute change nothing. A
  // class name the scene does not have is told to standard error with the
  // file and line of `reader`, when one is given.
  bool ReadElement(const char* name, const char* const* attributeNames, const char* const* attributeValues,
                   int attributeCount, Scene& scene, const MarkupReader* reader = nullptr);
  // The state a scene starts from: the initial values, empty links, contacts,
  // rail and move mode, the initial properties.
  void Reset();

  // ---- flags ----
  // The effective flag word: the class's, the motion's and its "PARM" key's
  // flags, "Visible"/"Active" of the move mode, masked by FlagMask, then
  // Flags forced on. Cached until an input changes.
  std::uint32_t GetFlags();
  void InvalidateFlags() { flagCache_ = kFlagCacheInvalid; }
  std::uint32_t GetOwnFlags() const { return flags_; }
  void SetOwnFlags(std::uint32_t flags) {
    flags_ = flags;
    InvalidateFlags();
  }
  std::uint32_t GetFlagMask() const { return flagMask_; }
  void SetFlagMask(std::uint32_t mask) {
    flagMask_ = mask;
    InvalidateFlags();
  }
  bool IsDeletedWhileRunning() const { return (flags_ & kCastDeletedWhileRunning) != 0; }

  // ---- initial state (what Reset restores) ----
  std::uint32_t GetInitFlags() const { return initFlags_; }
  // The selection bit of the initial flags: it reaches Flags at the next
  // Reset; Flags and the flag cache stay as they are.
  void SetSelected(bool selected) {
    initFlags_ = selected ? initFlags_ | kCastSelected : initFlags_ & ~kCastSelected;
  }
  std::uint32_t GetInitFlagMask() const { return initFlagMask_; }
  const Vector3& GetInitPos() const { return initPos_; }
  const Quaternion& GetInitRotate() const { return initRotate_; }
  std::int32_t GetInitMotion() const { return initMotion_; }
  std::int32_t GetInitTime() const { return initTime_; }
  const ScriptValue& GetInitProperty(int index) const { return initProperty_[Slot(index, kCastPropertyCount)]; }
  // The swept-move action keeps the previous position in the first three.
  ScriptValue& InitProperty(int index) { return initProperty_[Slot(index, kCastPropertyCount)]; }
  std::int32_t GetRegionType() const { return regionType_; }
  float GetRegionRadius() const { return regionRadius_; }
  float GetRegionHeight() const { return regionHeight_; }
  std::uint32_t GetRegionAttribute() const { return regionAttribute_; }

  // ---- placement ----
  const Vector3& GetPosition() const { return position_; }
  void SetPosition(const Vector3& position) { position_ = position; }
  // A jump without movement: the previous position too.
  void SetPositionBoth(const Vector3& position) { position_ = previousPosition_ = position; }
  const Vector3& GetPreviousPosition() const { return previousPosition_; }
  void SetPreviousPosition(const Vector3& position) { previousPosition_ = position; }
  const Quaternion& GetRotation() const { return rotation_; }
  void SetRotation(const Quaternion& rotation) { rotation_ = rotation; }
  void SetRotationBoth(const Quaternion& rotation) { rotation_ = previousRotation_ = rotation; }
  const Quaternion& GetPreviousRotation() const { return previousRotation_; }
  void SetPreviousRotation(const Quaternion& rotation) { previousRotation_ = rotation; }
  // Velocity in the cast's own axes, distance per frame.
  const Vector3& GetSpeed() const { return speed_; }
  void SetSpeed(const Vector3& speed) { speed_ = speed; }
  const Vector3& GetRidingDisplacement() const { return ridingDisplacement_; }
  void SetRidingDisplacement(const Vector3& displacement) { ridingDisplacement_ = displacement; }
  const Quaternion& GetAngularSpeed() const { return angularSpeed_; }
  void SetAngularSpeed(const Quaternion& turn) { angularSpeed_ = turn; }
  const Matrix& GetStoredWorldMatrix() const { return worldMatrix_; }
  void SetStoredWorldMatrix(const Matrix& world) { worldMatrix_ = world; }
  // Rotation (times the angular speed when asked) and the position as translation.
  Matrix GetWorldMatrix(bool withAngularSpeed) const;
  float GetTurnFactor() const { return turnFactor_; }
  void SetTurnFactor(float factor) { turnFactor_ = factor; }
  float GetAlpha() const { return alpha_; }
  void SetAlpha(float alpha) { alpha_ = alpha; }

  // ---- motion ----
  std::int32_t GetMotionIndex() const { return motionIndex_; }
  std::int32_t GetMotionTime() const { return motionTime_; }
  // The motion the index names in the class; null without one (or without a class).
  Motion* GetCurrentMotion() const;
  // Switches to another motion of the class at time 0; the current one, or
  // an index the class does not have, changes nothing.
  void SetMotion(std::int32_t index, Scene* scene);
  // The time wrapped into the motion; a new time fires the "EVNT" key of
  // the motion's first track at it when a scene is given.
  void SetMotionTime(std::int64_t time, Scene* scene);
  // The class's OnCreate hook, then a bone-control table for the model.
  void OnCreate(Scene& scene);
  // The class's OnDelete hook (once until the cast is started again, however
  // often it is deleted), then the bone-control table goes.
  void OnDelete(Scene& scene);
  // The motion's OnPreRender hook, or the class's.
  void RunPreRender(Scene& scene);
  // A writable table: the cast's pose is taken again at its next read.
  BoneControl* GetBoneControls() {
    ++poseRevision_;
    return boneControls_.get();
  }
  int GetBoneControlCount() const { return boneControlCount_; }
  // Moves on with every change of the bone controls or the class: with the
  // motion and time it says whether a pose taken earlier still holds.
  std::uint32_t GetPoseRevision() const { return poseRevision_; }
  // ---- the model (cast_bones.cpp) ----
  // Poses the class's model at this cast's motion and time with its bone
  // controls, in the cast's own axes, and keeps a copy of the pose; false
  // when the model has no animation controller. The model is shared by the
  // casts of a class: its pose is the last one made.
  bool ApplyMotionPose();
  // The named frame's matrix in this cast's own pose (the root frame when
  // the model has no such frame) turned by the cast's rotation, with or
  // without the cast's position. False without a class or model.
  bool GetBoneMatrix(const char* frame, bool withPosition, Matrix& out) const;
  // The named frame's combined matrix in this cast's own pose, in its own
  // axes (the root frame for a name the model lacks); identity without a model.
  Matrix GetPosedFrameMatrix(const char* frame) const;
  // A point in the named frame's axes carried into world axes; false (out
  // untouched) when there is no model.
  bool TransformByBone(const char* frame, const Vector3& point, Vector3& out) const;
  // Bone control `index` (in the class's frame order) := identity, or the
  // rotation's matrix, plus the offset in its translation, with its diagonal
  // scaled; each of the three may be null. False (nothing changed) for an
  // index outside the table or before OnCreate built one.
  bool SetBoneControl(int index, const Quaternion* rotation, const Vector3* offset, const Vector3* scale,
                      std::int32_t mode, std::uint32_t flag);
  // The same for the class's frame of that name; a name without a frame changes nothing.
  bool SetBoneControlByFrame(const char* frame, const Quaternion* rotation, const Vector3* offset,
                             const Vector3* scale, std::int32_t mode, std::uint32_t flag);
  bool SetBoneMatrix(int index, const Matrix& matrix, std::int32_t mode, std::uint32_t flag);
  // The controls set for one frame go back to identity as the next frame
  // starts; the pose is taken again only when there was one.
  void ClearOneFrameBoneControls();

  // ---- properties, links, contacts ----
  ScriptValue& Property(int index) { return properties_[Slot(index, kCastPropertyCount)]; }
  const Vector3& GetScriptVector() const { return scriptVector_; }
  void SetScriptVector(const Vector3& v) { scriptVector_ = v; }
  CameraGuide& Guide(int index) { return cameraGuides_[Slot(index, kCameraGuideCount)]; }
  CastLink& GetParentLink() { return parentLink_; }
  CastLink& GetChildLink() { return childLink_; }
  CastContact& Contact(int index) { return contacts_[Slot(index, kCastContactCount)]; }
  CastHitList& HitList(int index) { return hitLists_[Slot(index, 2)]; }
  int GetCurrentHitList() const { return currentHitList_; }
  IKChain& GetIKChain() { return ikChain_; }
  // The scene frame of the last direction press of the control word.
  std::uint32_t GetLastDirectionFrame() const { return lastStickPressFrame_; }
  // 0: the facing at the press before the last, 1: at the last press.
  float GetControlYaw(int index) const { return index == 0 ? previousPressYaw_ : pressYaw_; }

  // ---- movement (cast_update.cpp, rails.cpp) ----
  // Leaving an alpha fade puts the fade's end alpha in place first.
  void SetMoveMode(std::int32_t mode, std::int64_t duration);
  std::int32_t GetMoveMode() const { return moveMode_; }
  std::int64_t GetMoveElapsed() const { return moveElapsed_; }
  std::int64_t GetMoveDuration() const { return moveDuration_; }
  void ClearRail();
  // Rails hold kRailPointCount points; further ones are ignored.
  void AddRailCast(const Cast* cast, std::int32_t frames);
  void AddRailPos(const Vector3& position, const Quaternion& rotation, std::int32_t frames);
  int GetRailCount() const { return railCount_; }
  std::int64_t GetRailTotal() const { return railTotal_; }
  const RailPoint& GetRailPoint(int index) const { return rail_[Slot(index, kRailPointCount)]; }
  // kind kRailLoop or kRailBackAndForth, with kRailPositionOnly or not;
  // kRailEndless repeats for ever. Other kinds leave the mode as it is.
  void RunOnTheRail(std::uint32_t kind, std::uint32_t repeat);
  void StartMoving(const Vector3& step, const Quaternion& turn, std::int32_t frames);
  void StartAlphaFade(float targetAlpha, std::int32_t frames);

  // The first per-frame pass: move mode, control, loop hook, hit regions,
  // motion time, speed and gravity. Nothing without a current motion.
  void Update(Scene& scene);

  // ---- control (cast_control.cpp) ----
  // Builds the control word from the pad, the contacts and the conditions
  // and walks the current motion's case list with it: matching records
  // switch the motion, set its time and run their Commands.
  void UpdateControl(Scene& scene);
  std::uint32_t GetPreviousControl() const { return previousControl_; }

  // ---- joints (joints.cpp) ----
  // The joint step that begins StepMovement for a cast with a parent: a
  // rigid join puts the cast at its parent's bone, an IK chain on either
  // side bends toward the other's joint bone. False when the pass ends there
  // (a rigid join, or a script error from the stretch message).
  bool StepJoint(Scene& scene);
  std::int32_t GetStrainCounter() const { return strainCounter_; }
  // Grows the IK chain by a joint driving the class's frame of that name:
  // its offset is where the model frame lies in its parent as loaded, its
  // limits -limit..+limit degrees about each axis (all zero: unlimited).
  // False, no joint added, for a name the class lacks: a joint without a
  // bone would drive whatever bone its index happened to name.
  bool AddIKFrame(const char* frame, float limitX, float limitY, float limitZ);

  // ---- hit regions (hits.cpp) ----
  // The hit regions against the other casts.
  void UpdateHitRegions(Scene& scene);

  // ---- ground, riding and contacts (contacts.cpp, riding.cpp, ground.cpp) ----
  // Carried by the obstacles of last frame's contacts: turned with a platform
  // that turned, moved with one it stands on.
  void RidePlatform(Scene& scene);
  // The joint step, then the swept move from the previous to the current
  // position against the obstacles (and, standing on ground with
  // "StopByEdge", their edge-stopper walls).
  void StepMovement(Scene& scene);
  // The contact list refilled from the obstacle meshes within `margin` of the
  // cast's sphere, when the cast has "Active", "CollisionDetection" and a sphere.
  void CollideCasts(Scene& scene, float margin);
  // Entries up to the first empty one: 32 when the list is full, which then
  // has no terminator and dropped what did not fit.
  int GetContactCount() const;
  // The obstacle of contact i while it is there and not deleted; null for one
  // deleted since the contact was found, which stops and holds up nothing.
  Cast* GetContactObstacle(int index) const;
  // Contact i is a wall: its obstacle is there and its direction lies 30 to
  // 150 degrees from straight down.
  bool IsWallContact(int index) const;
  // The smallest ground angle of the contacts (to down of the direction, to
  // up of the normal); false without contacts.
  bool GetObstacleHitGroundAngle(float& angle) const;
  // The circular mean of the negated headings of the wall contacts (30 to 150
  // degrees from down), in [-pi, pi); false and 0 without wall contacts.
  bool GetObstacleHitYawAngle(float& angle) const;

  // Time spent per update section (counter 0: the whole pass), this second
  // and the last complete one.
  std::uint64_t GetProfile(int section, bool lastSecond) const {
    return (lastSecond ? profileLast_ : profile_)[Slot(section, kCastProfileSections)];
  }
  // The second ended: this second's counters become the last second's.
  void RollProfile();

 private:
  static std::size_t Slot(int index, int count) {
    return index >= 0 && index < count ? static_cast<std::size_t>(index) : 0;
  }

  void ReadName(const char* value, Scene& scene);
  std::uint32_t BuildControlWord(Scene& scene);
  std::uint32_t ContactBits();
  float FacingFromCamera(const Scene& scene) const;
  bool IsPushing(const Scene& scene, std::uint32_t pad);
  void RunHook(const Command* command, Scene& scene);
  const Command* ClassHook(int which) const;
  void RunMoveMode();
  void RunIKRelease();
  void RunRail(bool backAndForth, bool withRotation);
  void RunAlphaFade();
  void RunStartMoving();
  void UpdateSpeed(Scene& scene);
  void CarryBy(const Cast& platform, const Vector3& sphereCentre, bool standing);
  void FreeBoneControls();
  // The pose (cast_bones.cpp): the copy taken when it is out of date, the
  // combined matrix of a frame by its index in frame order (the root for
  // -1), and a bone matrix or point by the class's frame index (tracks,
  // links and IK joints number frames so).
  bool TakePose() const;
  bool EnsurePose() const;
  const Matrix& PosedFrame(int index) const;
  Matrix BoneMatrixAt(int classFrame, bool withPosition) const;
  Vector3 BonePointAt(int classFrame, const Vector3& point) const;
  // The hit section (hits.cpp): the cast's region spheres at its motion and
  // time in world axes, kept until any of those changes, and the walk of the
  // other casts' spheres for one attack sphere.
  struct RegionSphere {
    std::int32_t track = 0;
    std::uint32_t kinds = 0;  // the "SPHR" key's region word
    float radius = 0.0f;
    Vector3 centre{0.0f, 0.0f, 0.0f};
  };
  struct SphereHit;
  const std::vector<RegionSphere>& RegionSpheres() const;
  void FindSphereHit(Scene& scene, const RegionSphere& attack, SphereHit& hit) const;

  CastRegistry& registry_;
  CastHandle handle_;
  ObjectClass* class_ = nullptr;
  bool beingDeleted_ = false;
  // The delete hook has run since the cast was last started.
  bool deleteHookRun_ = false;
  char name_[kCastNameSize] = {};
  std::uint32_t initFlags_ = 0;
  std::uint32_t initFlagMask_ = 0xFFFFFFFFu;
  Vector3 initPos_{0.0f, 0.0f, 0.0f};
  Vector3 initSpeed_{0.0f, 0.0f, 0.0f};
  Quaternion initRotate_{0.0f, 0.0f, 0.0f, 1.0f};
  std::int32_t initMotion_ = 0;
  std::int32_t initTime_ = 0;
  std::int32_t regionType_ = kRegionNone;
  float regionRadius_ = 0.0f;
  float regionHeight_ = 0.0f;
  std::uint32_t regionAttribute_ = 0;
  std::uint32_t flags_ = 0;
  std::uint32_t flagMask_ = 0xFFFFFFFFu;
  std::uint32_t flagCache_ = kFlagCacheInvalid;
  Vector3 previousPosition_{0.0f, 0.0f, 0.0f};
  Vector3 speed_{0.0f, 0.0f, 0.0f};
  Quaternion previousRotation_{0.0f, 0.0f, 0.0f, 1.0f};
  Vector3 position_{0.0f, 0.0f, 0.0f};
  Quaternion rotation_{0.0f, 0.0f, 0.0f, 1.0f};
  Vector3 ridingDisplacement_{0.0f, 0.0f, 0.0f};
  std::int32_t motionIndex_ = 0;
  std::int32_t motionTime_ = 0;
  float alpha_ = 1.0f;
  Quaternion angularSpeed_{0.0f, 0.0f, 0.0f, 1.0f};
  Matrix worldMatrix_ = MatrixIdentity();
  std::array<CastContact, kCastContactCount> contacts_{};
  float turnFactor_ = 1.0f;
  Vector3 scriptVector_{0.0f, 0.0f, 0.0f};
  std::array<CameraGuide, kCameraGuideCount> cameraGuides_{};
  std::array<ScriptValue, kCastPropertyCount> initProperty_;
  std::array<ScriptValue, kCastPropertyCount> properties_;
  std::uint32_t previousControl_ = 0;
  std::uint32_t lastStickPressFrame_ = 0;
  std::uint32_t lastStickDirection_ = 0;
  float previousPressYaw_ = 0.0f;
  float pressYaw_ = 0.0f;
  CastLink parentLink_;
  CastLink childLink_;
  std::array<CastHitList, 2> hitLists_{};
  int currentHitList_ = 0;
  std::unique_ptr<BoneControl[]> boneControls_;
  int boneControlCount_ = 0;
  IKChain ikChain_;
  std::int32_t strainCounter_ = 0;
  // Move mode with its elapsed frames and duration (kMoveEndless: endless).
  // 64 bits, so that long and endless modes and rails with many frames never
  // overflow.
  std::int32_t moveMode_ = kMoveNone;
  std::int64_t moveElapsed_ = 0;
  std::int64_t moveDuration_ = 0;
  std::array<RailPoint, kRailPointCount> rail_{};
  int railCount_ = 0;
  std::int64_t railTotal_ = 0;
  Vector3 movingVector_{0.0f, 0.0f, 0.0f};
  Quaternion movingTurn_{0.0f, 0.0f, 0.0f, 1.0f};
  float fadeStartAlpha_ = 0.0f;
  float fadeEndAlpha_ = 0.0f;
  std::array<std::uint64_t, kCastProfileSections> profile_{};
  std::array<std::uint64_t, kCastProfileSections> profileLast_{};
  // Scratch of the IK release blend, kept so the pass does not allocate.
  std::vector<Quaternion> blendScratch_;
  // This cast's own pose: the model is shared by the casts of a class, so
  // every read of a bone comes from this copy, taken again only when the
  // motion, the time or the model changed since, or the revision, which
  // every change of the bone controls or the class moves on.
  std::uint32_t poseRevision_ = 0;
  mutable std::vector<Matrix> pose_;
  mutable const Model* posedModel_ = nullptr;
  mutable std::int32_t posedMotion_ = 0;
  mutable std::int32_t posedTime_ = 0;
  mutable std::uint32_t posedRevision_ = 0;
  // The region spheres as they stood for this motion, time, pose revision,
  // position and rotation; the hit sections of all casts read them.
  mutable std::vector<RegionSphere> spheres_;
  mutable bool spheresValid_ = false;
  mutable const Motion* spheresMotion_ = nullptr;
  mutable std::int32_t spheresTime_ = 0;
  mutable std::uint32_t spheresRevision_ = 0;
  mutable Vector3 spheresPosition_{0.0f, 0.0f, 0.0f};
  mutable Quaternion spheresRotation_{0.0f, 0.0f, 0.0f, 1.0f};
};
