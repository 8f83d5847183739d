// How each key type answers between keys (the per-frame query) and how it
// bakes a track (a key at every frame between the authored ones).
#include <algorithm>
#include <cstdint>
#include <vector>

#include "motion/key_types.h"
#include "motion/motion.h"
#include "platform/math/quaternion.h"
#include "platform/math/vector.h"

namespace {

// The interpolation parameter between two key times, in floating point.
// Between proper neighbours it lies in (0, 1); times that coincide or run
// backwards (keys at or past the motion's length) give the nearest end
// instead of a division by zero or an extrapolation.
float Fraction(std::int32_t t0, std::int32_t t1, std::int32_t t) {
  const std::int64_t span = std::int64_t{t1} - t0;
  if (span <= 0) return 0.0f;
  const float s = static_cast<float>(std::int64_t{t} - t0) / static_cast<float>(span);
  return std::clamp(s, 0.0f, 1.0f);
}

float Lerp(float a, float b, float s) { return a + (b - a) * s; }

void LerpWords(MotionKey& out, const MotionKey& a, const MotionKey& b, int first, int count, float s) {
  for (int i = first; i < first + count; ++i) out.SetFloat(i, Lerp(a.GetFloat(i), b.GetFloat(i), s));
}

// The common answer: both neighbours -> the default at t with `value`
// computed from them; one -> a copy of it at t; none -> the default.
template <typename Value>
bool InterpolateWith(const KeyType& type, MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                     std::int32_t time, Value value) {
  if (earlier != nullptr && later != nullptr) {
    type.InitKey(out, time);
    value(out, *earlier, *later, Fraction(earlier->time, later->time, time));
  } else if (earlier != nullptr || later != nullptr) {
    out.Assign(earlier != nullptr ? *earlier : *later);
    out.time = time;
  } else {
    type.InitKey(out, time);
  }
  return true;
}

struct BakePoint {
  std::int32_t time;
  MotionKey key;
};

struct BakeSegment {
  const BakePoint* prev;
  const BakePoint* cur;
  const BakePoint* next;
  const BakePoint* after;
};

// The bake shared by every interpolated kind: drop the generated keys, then
// run over the authored ones as a loop and generate a key (flags 3) at every
// frame of the motion between them. Each frame lies strictly between two
// authored times, so it never meets a key of the kind and is appended
// directly; the segments are disjoint, so the work is linear in the length.
// `segmentValue(segment)` gives the function that sets a key's value at s.
template <typename SegmentValue>
bool BakeWith(const KeyType& type, MotionFrame& track, SegmentValue segmentValue) {
  const std::uint32_t kind = type.GetKind();
  track.DeleteKeysWithFlags(kind, kKeyGenerated);

  int n = 0;
  for (int i = 0; i < track.KeyCount(); ++i)
    if (track.KeyAt(i)->kind == kind) ++n;
  const std::int64_t length = track.Owner() != nullptr ? track.Owner()->GetLength() : 0;
  if (n < 2 || n >= kBakeListSize || length <= 0) return true;

  std::vector<BakePoint> points;
  points.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < track.KeyCount(); ++i) {
    const MotionKey* key = track.KeyAt(i);
    if (key->kind == kind) points.push_back(BakePoint{key->time, *key});
  }
  std::stable_sort(points.begin(), points.end(),
                   [](const BakePoint& a, const BakePoint& b) { return a.time < b.time; });

  auto at = [&](int i) -> const BakePoint& { return points[static_cast<std::size_t>(((i % n) + n) % n)]; };
  const int first = points.front().time != 0 ? -1 : 0;
  MotionKey made;
  for (int i = first; i < n; ++i) {
    const BakeSegment segment{&at(i - 1), &at(i), &at(i + 1), &at(i + 2)};
    std::int64_t start = segment.cur->time;
    std::int64_t end = segment.next->time;
    if (i == -1) {
      start -= length;  // the last key moved back by one length, towards the earliest
    } else if (start >= end) {
      end += length;  // the last key towards the earliest one after the loop
    }
    auto value = segmentValue(segment);
    for (std::int64_t f = std::max<std::int64_t>(start + 1, 0); f < end && f < length; ++f) {
      const float s = static_cast<float>(f - start) / static_cast<float>(end - start);
      type.InitKey(made, static_cast<std::int32_t>(f));
      made.flags = kKeyBaked;
      value(made, s);
      track.AppendNewKey(std::move(made));
    }
  }
  return true;
}

}  // namespace

// Rotations: slerp in the query, squad through the loop of keys in the bake.
bool RotateKey::Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                            std::int32_t time) const {
  return InterpolateWith(*this, out, earlier, later, time,
                         [](MotionKey& o, const MotionKey& a, const MotionKey& b, float s) {
                           o.SetQuaternion(QuaternionSlerp(a.GetQuaternion(), b.GetQuaternion(), s));
                         });
}

bool RotateKey::BakeKeys(MotionFrame& track) const {
  return BakeWith(*this, track, [](const BakeSegment& seg) {
    Quaternion a{}, b{}, c{};
    const Quaternion from = seg.cur->key.GetQuaternion();
    QuaternionSquadSetup(&a, &b, &c, seg.prev->key.GetQuaternion(), from, seg.next->key.GetQuaternion(),
                         seg.after->key.GetQuaternion());
    return [=](MotionKey& out, float s) { out.SetQuaternion(QuaternionSquad(from, a, b, c, s)); };
  });
}

bool VectorKey::Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                            std::int32_t time) const {
  return InterpolateWith(*this, out, earlier, later, time,
                         [](MotionKey& o, const MotionKey& a, const MotionKey& b, float s) {
                           o.SetVector(Vec3Lerp(a.GetVector(), b.GetVector(), s));
                         });
}

bool VectorKey::BakeKeys(MotionFrame& track) const {
  return BakeWith(*this, track, [](const BakeSegment& seg) {
    return [&seg](MotionKey& out, float s) {
      out.SetVector(Vec3Lerp(seg.cur->key.GetVector(), seg.next->key.GetVector(), s));
    };
  });
}

bool SphereKey::Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                            std::int32_t time) const {
  return InterpolateWith(*this, out, earlier, later, time,
                         [](MotionKey& o, const MotionKey& a, const MotionKey& b, float s) {
                           LerpWords(o, a, b, 0, 4, s);
                           o.SetWord(4, a.GetWord(4));
                         });
}

bool SphereKey::BakeKeys(MotionFrame& track) const {
  return BakeWith(*this, track, [](const BakeSegment& seg) {
    return [&seg](MotionKey& out, float s) {
      LerpWords(out, seg.cur->key, seg.next->key, 0, 4, s);
      out.SetWord(4, seg.cur->key.GetWord(4));
    };
  });
}

bool BoxKey::Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                         std::int32_t time) const {
  return InterpolateWith(*this, out, earlier, later, time,
                         [](MotionKey& o, const MotionKey& a, const MotionKey& b, float s) {
                           LerpWords(o, a, b, 0, 5, s);
                         });
}

bool BoxKey::BakeKeys(MotionFrame& track) const {
  return BakeWith(*this, track, [](const BakeSegment& seg) {
    return [&seg](MotionKey& out, float s) { LerpWords(out, seg.cur->key, seg.next->key, 0, 5, s); };
  });
}

bool ColorKey::Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                           std::int32_t time) const {
  if (earlier != nullptr && later != nullptr) {
    // Colours keep whatever flags `out` had; only kind, time and the eight
    // channels are set.
    const std::uint32_t flags = out.flags;
    const float s = Fraction(earlier->time, later->time, time);
    InitKey(out, time);
    out.flags = flags;
    LerpWords(out, *earlier, *later, 0, 8, s);
    return true;
  }
  return InterpolateWith(*this, out, earlier, later, time, [](MotionKey&, const MotionKey&, const MotionKey&, float) {});
}

bool ColorKey::BakeKeys(MotionFrame& track) const {
  return BakeWith(*this, track, [](const BakeSegment& seg) {
    return [&seg](MotionKey& out, float s) { LerpWords(out, seg.cur->key, seg.next->key, 0, 8, s); };
  });
}

bool StepKey::Interpolate(MotionKey& out, const MotionKey* earlier, const MotionKey* later,
                          std::int32_t time) const {
  const MotionKey* exact = earlier != nullptr && earlier->time == time ? earlier
                           : later != nullptr && later->time == time ? later
                                                                     : nullptr;
  if (exact != nullptr) {
    out.Assign(*exact);
    out.time = time;
  } else {
    InitKey(out, time);
  }
  return true;
}
