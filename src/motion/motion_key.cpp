// MotionKey: clearing, kind changes and deep copies.
#include "motion/motion_key.h"

#include <new>

#include "motion/key_type.h"

void MotionKey::Clear() {
  command_.reset();
  time = -1;
  kind = 0;
  flags = 0;
  words_.fill(0);
}

void MotionKey::SetKind(std::uint32_t newKind) {
  kind = newKind;
  if (newKind == kKindEvent) {
    command_.reset(new (std::nothrow) Command());
  } else {
    command_.reset();
  }
}

void MotionKey::Assign(const MotionKey& other) {
  if (this == &other) return;
  Clear();
  time = other.time;
  SetKind(other.kind);
  flags = other.flags;
  if (kind == kKindEvent) {
    if (command_ != nullptr && other.command_ != nullptr) *command_ = *other.command_;
  } else {
    words_ = other.words_;
  }
}

void MotionKey::SetQuaternion(const Quaternion& q) {
  SetFloat(0, q.x);
  SetFloat(1, q.y);
  SetFloat(2, q.z);
  SetFloat(3, q.w);
}

void MotionKey::SetVector(const Vector3& v) {
  SetFloat(0, v.x);
  SetFloat(1, v.y);
  SetFloat(2, v.z);
}

bool MotionKey::Write(MarkupWriter& writer) {
  const KeyType* type = KeyTypeByKind(kind);
  return type == nullptr || type->WriteText(writer, *this);
}
