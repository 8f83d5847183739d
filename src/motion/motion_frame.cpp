// MotionFrame: storing, finding, sorting and querying keys, and the track's
// markup form.
#include "motion/motion_frame.h"

#include <algorithm>

#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "motion/key_type.h"
#include "motion/motion.h"
#include "platform/system/content_path.h"
#include "platform/system/safe_string.h"

namespace {

bool KeyLess(const MotionKey& a, const MotionKey& b) { return KeyOrderLess(a.kind, a.time, b.kind, b.time); }

}  // namespace

void MotionFrame::SetName(const char* name) { SafeStrCopy(name_, name != nullptr ? name : "", sizeof name_); }

MotionKey* MotionFrame::KeyAt(int index) {
  return index >= 0 && index < KeyCount() ? &keys_[static_cast<std::size_t>(index)] : nullptr;
}

const MotionKey* MotionFrame::KeyAt(int index) const {
  return index >= 0 && index < KeyCount() ? &keys_[static_cast<std::size_t>(index)] : nullptr;
}

bool MotionFrame::HoldsKey(const MotionKey* key) const {
  return !keys_.empty() && key >= keys_.data() && key < keys_.data() + keys_.size();
}

int MotionFrame::FindKey(std::uint32_t kind, std::int32_t time) const {
  if (ordered_) {
    auto it = std::lower_bound(keys_.begin(), keys_.end(), std::pair{kind, time},
                               [](const MotionKey& key, const std::pair<std::uint32_t, std::int32_t>& wanted) {
                                 return KeyOrderLess(key.kind, key.time, wanted.first, wanted.second);
                               });
    if (it != keys_.end() && it->kind == kind && it->time == time) return static_cast<int>(it - keys_.begin());
    return -1;
  }
  for (std::size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i].kind == kind && keys_[i].time == time) return static_cast<int>(i);
  return -1;
}

bool MotionFrame::GetKey(std::uint32_t kind, std::int32_t time, MotionKey& out, bool exactOnly) const {
  const KeyType* type = KeyTypeByKind(kind);
  if (type == nullptr) return false;
  if (keys_.empty()) {
    // Callers that use the key without looking at the answer get the
    // kind's default (identity rotation, unit scale), not a collapsed pose.
    type->InitKey(out, time);
    return false;
  }
  if (ordered_) {
    int found = FindKey(kind, time);
    if (found >= 0) {
      out.Assign(keys_[static_cast<std::size_t>(found)]);
      return true;
    }
  }
  return GetKeyNearest(kind, time, out, exactOnly);
}

bool MotionFrame::GetKeyNearest(std::uint32_t kind, std::int32_t time, MotionKey& out, bool exactOnly) const {
  const KeyType* type = KeyTypeByKind(kind);
  if (type == nullptr) return false;
  const MotionKey* earlier = nullptr;
  const MotionKey* later = nullptr;
  const MotionKey* first = nullptr;
  for (const MotionKey& key : keys_) {
    if (key.kind != kind) continue;
    if (key.time == time) {
      out.Assign(key);
      return true;
    }
    if (key.time < time && (earlier == nullptr || key.time > earlier->time)) earlier = &key;
    if (key.time > time && (later == nullptr || key.time < later->time)) later = &key;
    if (first == nullptr || key.time < first->time) first = &key;
  }
  if (exactOnly) {
    type->InitKey(out, time);
    return false;
  }
  MotionKey wrapped;
  if (earlier != nullptr && later == nullptr) {
    // The last key runs towards the first one placed one length later. When
    // the length does not lie beyond the earlier key (a length of 0 or below,
    // or keys at or past it) there is no such place: the earlier key holds.
    const std::int32_t length = owner_ != nullptr ? owner_->GetLength() : 0;
    if (length > earlier->time) {
      wrapped.Assign(*first);
      wrapped.time = length;
      later = &wrapped;
    }
  }
  return type->Interpolate(out, earlier, later, time);
}

void MotionFrame::Sort() {
  std::stable_sort(keys_.begin(), keys_.end(), KeyLess);
  sorted_ = true;
  ordered_ = true;
}

void MotionFrame::NoteAppended() {
  const std::size_t n = keys_.size();
  if (n >= 2 && !KeyLess(keys_[n - 2], keys_[n - 1])) ordered_ = false;
}

bool MotionFrame::SetKey(const MotionKey& key) {
  const KeyType* type = KeyTypeByKind(key.kind);
  if (type == nullptr) return false;
  sorted_ = false;
  int found = FindKey(key.kind, key.time);
  if (found >= 0) {
    keys_[static_cast<std::size_t>(found)].Assign(key);
    return true;
  }
  if (type->NeedsFlaggedTrack() && !firstTrack_) return false;
  keys_.push_back(key);
  NoteAppended();
  return true;
}

void MotionFrame::AppendNewKey(MotionKey&& key) {
  keys_.push_back(std::move(key));
  NoteAppended();
}

bool MotionFrame::DeleteKey(std::uint32_t kind, std::int32_t time) {
  for (std::size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i].time == time && (kind == kAnyKind || keys_[i].kind == kind)) {
      keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(i));
      if (keys_.empty()) {
        keys_.shrink_to_fit();
        ordered_ = true;
      }
      return true;
    }
  }
  return false;
}

void MotionFrame::DeleteKeysWithFlags(std::uint32_t kind, std::uint32_t mask) {
  // One pass that keeps the order of the rest: removing the keys one by one
  // would make re-baking a long track quadratic.
  auto doomed = [&](const MotionKey& key) { return (kind == 0 || key.kind == kind) && (key.flags & mask) != 0; };
  keys_.erase(std::remove_if(keys_.begin(), keys_.end(), doomed), keys_.end());
  if (keys_.empty()) {
    keys_.shrink_to_fit();
    ordered_ = true;
  }
}

bool MotionFrame::Resize(int count) {
  if (count < 0) return false;
  if (count == KeyCount()) return true;
  keys_.resize(static_cast<std::size_t>(count));
  if (count == 0) keys_.shrink_to_fit();
  sorted_ = false;
  ordered_ = std::is_sorted(keys_.begin(), keys_.end(), KeyLess) &&
             std::adjacent_find(keys_.begin(), keys_.end(), [](const MotionKey& a, const MotionKey& b) {
               return a.kind == b.kind && a.time == b.time;
             }) == keys_.end();
  return true;
}

bool MotionFrame::Write(MarkupWriter& writer) {
  bool ok = writer.Printf("  <MotionFrame name=\"%s\">\n", name_);
  for (MotionKey& key : keys_) ok = key.Write(writer) && ok;
  return writer.Append("  </MotionFrame>\n") && ok;
}

bool MotionFrame::OnChildElement(TagHandlerStack& stack, const char* name, const char* const* attributeNames,
                                 const char* const* attributeValues, int attributeCount) {
  for (int i = 0; const KeyType* type = KeyTypeByIndex(i); ++i)
    if (!type->ReadText(stack, *this, name, attributeNames, attributeValues, attributeCount)) return false;
  return true;
}

void MotionFrame::OnEndElement(TagHandlerStack& stack, const char* name) {
  if (name != nullptr && EqualsIgnoreAsciiCase(name, "MotionFrame")) stack.Pop();
}
