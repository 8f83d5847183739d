// The <MotionObject> file of an object class: the writer, line by line, and
// the element callbacks that read it back (any letter case in names, missing
// attributes tolerated, unknown elements ignored).
#include <cstring>
#include <string>

#include "files/markup_reader.h"
#include "files/markup_writer.h"
#include "files/tag_handler_stack.h"
#include "motion/key_type.h"
#include "motion/object_class.h"
#include "motion/object_flags.h"
#include "platform/system/content_path.h"
#include "platform/system/numbers.h"
#include "platform/system/safe_string.h"

namespace {

struct Attributes {
  const char* const* names;
  const char* const* values;
  int count;
  const char* Find(const char* name) const { return FindAttribute(name, names, values, count); }
};

bool Is(const char* name, const char* wanted) { return EqualsIgnoreAsciiCase(name, wanted); }

// Sets `field` from the attribute when it is there.
void ReadInt(const Attributes& attributes, const char* name, std::int32_t& field) {
  if (const char* value = attributes.Find(name)) field = ReadDecimalInt32(value);
}

void ReadWord(const Attributes& attributes, const char* name, std::uint32_t& field) {
  if (const char* value = attributes.Find(name)) field = ReadFlagWord(value);
}

float ReadScale(const Attributes& attributes, const char* name) {
  const char* value = attributes.Find(name);
  return value != nullptr ? ReadClassFloat(value) : 1.0f;
}

}  // namespace

bool ObjectClass::Write(MarkupWriter& writer) {
  const auto hook = [this](ClassCommand which) { return GetCommand(which).text; };
  bool ok = writer.Append("<MotionObject>\n");
  ok = writer.Printf(" <Name value=\"%s\" />\n", className_) && ok;
  ok = writer.Printf(" <MeshFile value=\"%s\" src=\"%s\" scaleX=\"%f\" scaleY=\"%f\" scaleZ=\"%f\" />\n", meshFile_,
                     meshSrcFile_, static_cast<double>(convScale_.x), static_cast<double>(convScale_.y),
                     static_cast<double>(convScale_.z)) &&
       ok;
  ok = writer.Printf(" <Flags value=\"#%08x\"/>\n", flags_) && ok;
  ok = writer.Printf(" <SolidColor value=\"#%08x\"/>\n", solidColor_) && ok;
  ok = writer.Printf(" <CaseTable file=\"%s\" Type=\"%d\"/>\n", caseTableFile_, caseType_) && ok;
  ok = writer.Printf(" <CurrMotionIdx value=\"%d\" />\n", currMotionIdx_) && ok;
  ok = writer.Printf(" <CurrTime value=\"%d\" />\n", currTime_) && ok;
  ok = writer.Printf(" <Glare value=\"%d\" />\n", glare_) && ok;
  ok = writer.Printf(" <RenderingPriority value=\"%d\" />\n", renderingPriority_) && ok;
  ok = writer.Append(" <Script>\n") && ok;
  if (hasScript_) {
    // Escaped, so that "<", ">", "&" and '"' in the script read back as they are.
    const bool escape = writer.GetEscape();
    writer.SetEscape(true);
    ok = writer.Append(script_) && ok;
    writer.SetEscape(escape);
  }
  ok = writer.Append("</Script>\n") && ok;
  ok = writer.Printf(" <Function OnLoop=\"%s\" OnHit=\"%s\" OnCreate=\"%s\" OnDelete=\"%s\" OnPreRender=\"%s\"/>\n",
                     hook(kClassOnLoop), hook(kClassOnHit), hook(kClassOnCreate), hook(kClassOnDelete),
                     hook(kClassOnPreRender)) &&
       ok;
  for (FrameNode& node : frameNodes_) ok = node.Write(writer) && ok;
  for (Motion& motion : motions_) ok = motion.Write(writer) && ok;
  return writer.Append("</MotionObject>\n") && ok;
}

bool ObjectClass::OnChildElement(TagHandlerStack& stack, const char* name, const char* const* attributeNames,
                                 const char* const* attributeValues, int attributeCount) {
  if (name == nullptr) return true;
  const Attributes attributes{attributeNames, attributeValues, attributeCount};
  if (Is(name, "Name")) {
    if (const char* value = attributes.Find("value")) SetClassName(value);
  } else if (Is(name, "MeshFile")) {
    ReadMeshFile(stack, attributeNames, attributeValues, attributeCount);
  } else if (Is(name, "CaseTable")) {
    if (const char* file = attributes.Find("file")) {
      SafeStrCopy(caseTableFile_, file, sizeof caseTableFile_);
      const char* type = attributes.Find("Type");
      caseType_ = type != nullptr ? ReadDecimalInt32(type) : 0;
    }
  } else if (Is(name, "Flags")) {
    ReadWord(attributes, "value", flags_);
  } else if (Is(name, "SolidColor")) {
    ReadWord(attributes, "value", solidColor_);
  } else if (Is(name, "CurrMotionIdx")) {
    ReadInt(attributes, "value", currMotionIdx_);
  } else if (Is(name, "CurrTime")) {
    ReadInt(attributes, "value", currTime_);
  } else if (Is(name, "Glare")) {
    ReadInt(attributes, "value", glare_);
  } else if (Is(name, "RenderingPriority")) {
    ReadInt(attributes, "value", renderingPriority_);
  } else if (Is(name, "Script")) {
    inScript_ = true;
  } else if (Is(name, "Function")) {
    struct Hook {
      const char* attribute;
      ClassCommand command;
    };
    constexpr Hook kHooks[] = {{"OnLoop", kClassOnLoop},
                               {"OnHit", kClassOnHit},
                               {"OnCreate", kClassOnCreate},
                               {"OnDelete", kClassOnDelete},
                               {"OnPreRender", kClassOnPreRender}};
    for (const Hook& hook : kHooks)
      if (const char* text = attributes.Find(hook.attribute)) GetCommand(hook.command).SetText(text);
  } else if (Is(name, "Frame")) {
    FrameNode* node = FindFrameNode(attributes.Find("name"));
    if (node != nullptr) {
      stack.Push(node);
    } else {
      stack.Push(&skippedFrame_);
    }
  } else if (Is(name, "Motion")) {
    ReadMotion(stack, attributeNames, attributeValues, attributeCount);
  }
  return true;
}

void ObjectClass::ReadMeshFile(TagHandlerStack& stack, const char* const* names, const char* const* values,
                               int count) {
  const Attributes attributes{names, values, count};
  const char* value = attributes.Find("value");
  if (value == nullptr) return;
  convScale_ = {ReadScale(attributes, "scaleX"), ReadScale(attributes, "scaleY"), ReadScale(attributes, "scaleZ")};
  SafeStrCopy(meshFile_, value, sizeof meshFile_);
  const char* src = attributes.Find("src");
  SafeStrCopy(meshSrcFile_, src != nullptr ? src : "", sizeof meshSrcFile_);

  // Names are taken from the class file's folder as they stand. An empty name
  // is no file (not the folder): the class then has no mesh and nothing is
  // converted. A path too long for the system's buffers is not cut to some
  // other file: the model loader refuses it.
  const std::string folder = stack.GetDirectory();
  if (value[0] == '\0') {
    UnloadMesh();
    return;
  }
  const std::string xPath = folder + value;
  if (src != nullptr && src[0] != '\0') ConvertMeshIfNewer(folder + src, xPath, convScale_.x, convScale_.y, convScale_.z);
  LoadMesh(xPath);
}

void ObjectClass::ReadMotion(TagHandlerStack& stack, const char* const* names, const char* const* values, int count) {
  const Attributes attributes{names, values, count};
  const char* name = attributes.Find("name");
  if (name == nullptr) return;
  Motion* motion = FindMotion(name);
  if (motion == nullptr) {
    ResizeMotions(MotionCount() + 1);
    motion = MotionAt(MotionCount() - 1);
    motion->SetName(name);
  }
  if (const char* length = attributes.Find("length")) motion->SetLength(ReadDecimalInt32(length));
  if (const char* text = attributes.Find("onloop")) motion->OnLoop().SetText(text);
  if (const char* text = attributes.Find("onhit")) motion->OnHit().SetText(text);
  if (const char* text = attributes.Find("OnPreRender")) motion->OnPreRender().SetText(text);
  if (const char* type = attributes.Find("cameratype")) motion->SetCameraType(ReadDecimalInt32(type));
  if (const char* flags = attributes.Find("orflags")) motion->SetOrFlags(ReadFlagWord(flags));
  // The offset stays in force for the motions that follow, until another sets it.
  if (const char* base = attributes.Find("basetime")) stack.SetWord(kKeyTimeOffsetWord, ReadDecimalInt32(base));
  stack.Push(motion);
}

void ObjectClass::OnEndElement(TagHandlerStack& stack, const char* name) {
  if (name == nullptr) return;
  if (Is(name, "MotionObject")) {
    stack.Pop();
    Finish();
  } else if (Is(name, "Script")) {
    inScript_ = false;
  }
}

void ObjectClass::OnText(TagHandlerStack& stack, const char* text) {
  if (inScript_) SetScript(text != nullptr ? text : "", stack.GetTextLines());
}

void ObjectClass::SkippedFrame::OnEndElement(TagHandlerStack& stack, const char* name) {
  if (name != nullptr && Is(name, "Frame")) stack.Pop();
}
