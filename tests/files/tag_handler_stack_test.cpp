#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "files/tag_handler_stack.h"
#include "support/case_files.h"

namespace {

namespace fs = std::filesystem;

// Records its events into a shared log; a child element named like one of
// its `children` is pushed and reads its own children until its end tag.
class LoggingElement : public MarkupElement {
 public:
  LoggingElement(std::string name, std::string& log) : name_(std::move(name)), log_(log) {}

  bool OnChildElement(TagHandlerStack& stack, const char* name, const char* const* attributeNames,
                      const char* const* attributeValues, int attributeCount) override {
    log_ += name_ + ".child " + name;
    if (const char* value = FindAttribute("value", attributeNames, attributeValues, attributeCount))
      log_ += std::string(" value=") + value;
    log_ += "\n";
    if (std::string(name) == "Refuse") return false;
    if (std::string(name) == "Sub") {
      children_.push_back(std::make_unique<LoggingElement>(name_ + "/Sub", log_));
      stack.Push(children_.back().get(), &children_.back()->text_);
    }
    return true;
  }
  void OnEndElement(TagHandlerStack& stack, const char* name) override {
    log_ += name_ + ".end " + name + "\n";
    // Only the element's own end tag gives control back to its parent.
    if (name_.ends_with("/Sub") && std::string(name) == "Sub") stack.Pop();
  }
  void OnText(TagHandlerStack& stack, const char* text) override {
    log_ += name_ + ".text " + text + "\n";
    if (std::string* target = stack.GetTextTarget()) *target += text;
  }

  std::string text_;
  std::vector<std::unique_ptr<LoggingElement>> children_;

 private:
  std::string name_;
  std::string& log_;
};

// The events each element saw, the parse's answer, the stack's success, the
// texts its children collected and whether the root is on top again.
TEST(TagHandlerStackTest, EventsGoToTheElementOnTopUntilOneRefuses) {
  struct Case {
    const char* text;
    bool withRoot;
    const char* expected;
  };
  const Case cases[] = {
      {"<Doc><Sub value=\"1\">one<Leaf/>two</Sub>three<Sub>four</Sub></Doc>", true,
       "Root.child Doc\nRoot.child Sub value=1\nRoot/Sub.text one\nRoot/Sub.child Leaf\nRoot/Sub.end Leaf\n"
       "Root/Sub.text two\nRoot/Sub.end Sub\nRoot.text three\nRoot.child Sub\nRoot/Sub.text four\n"
       "Root/Sub.end Sub\nRoot.end Doc\nparsed 1 succeeded 1 texts onetwo|four| root on top\n"},
      {"<Refuse/><After/>", true, "Root.child Refuse\nparsed 0 succeeded 0 texts  root on top\n"},
      // An empty stack accepts every element; only markup errors fail.
      {"<A x=\"1\">text</A>", false, "parsed 1 succeeded 1 texts \n"},
      {"<A x=1>", false, "parsed 0 succeeded 0 texts \n"},
  };
  for (const Case& c : cases) {
    std::string log;
    LoggingElement root("Root", log);
    TagHandlerStack stack;
    if (c.withRoot) stack.Push(&root);
    MarkupReader reader;
    reader.SetText(c.text);
    log += "parsed " + std::to_string(reader.ParseElements(stack, nullptr));
    log += " succeeded " + std::to_string(stack.Succeeded()) + " texts ";
    for (const auto& child : root.children_) log += child->text_ + "|";
    EXPECT_EQ(log + (c.withRoot && stack.Top() == &root ? " root on top\n" : "\n"), c.expected) << c.text;
    stack.ClearError(nullptr, reader);
    EXPECT_TRUE(stack.Succeeded()) << c.text;
  }
}

// The file's author learns where it stopped and why; the stack's success
// flag falls as before.
TEST(TagHandlerStackTest, AnErrorTellsTheFileAndLineWhereTheMarkupStopped) {
  for (const auto& row : ReadTableRows(fs::path(T3D_SOURCE_DIR) / "tests/files/tables/markup_stops.rows", 2, 10)) {
    std::string log;
    LoggingElement root("Root", log);
    TagHandlerStack stack;
    stack.SetPath("models/cat.txt");
    stack.Push(&root);
    MarkupReader reader;
    reader.SetText(row[0].c_str());
    testing::internal::CaptureStderr();
    const bool parsed = reader.ParseElements(stack, nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), row[1]) << row[0];
    EXPECT_EQ(stack.Succeeded(), parsed) << row[0];
  }
}

TEST(TagHandlerStackTest, StackHolds100EntriesAndPopStopsAtEmpty) {
  std::string log;
  std::vector<std::unique_ptr<LoggingElement>> elements;
  for (int i = 0; i < kTagStackSize + 1; ++i)
    elements.push_back(std::make_unique<LoggingElement>(std::to_string(i), log));
  std::string target;

  TagHandlerStack stack;
  stack.Pop();
  EXPECT_EQ(stack.GetDepth(), 0);
  EXPECT_EQ(stack.Top(), nullptr);
  stack.SetTextTarget(&target);
  EXPECT_EQ(stack.GetTextTarget(), nullptr);

  for (auto& element : elements) stack.Push(element.get());
  EXPECT_EQ(stack.GetDepth(), kTagStackSize);
  EXPECT_EQ(stack.Top(), elements[kTagStackSize - 1].get()) << "the 101st push is ignored";
  stack.SetTextTarget(&target);
  EXPECT_EQ(stack.GetTextTarget(), &target);
  stack.Pop();
  EXPECT_EQ(stack.Top(), elements[kTagStackSize - 2].get());
  EXPECT_EQ(stack.GetTextTarget(), nullptr);
  for (int i = 0; i < kTagStackSize + 5; ++i) stack.Pop();
  EXPECT_EQ(stack.GetDepth(), 0);
  EXPECT_EQ(stack.Top(), nullptr);
}

// The folder of the path the loader set last, cut as every loader cuts: the
// cut itself is the folder-cut table's, here only that the stack takes it.
TEST(TagHandlerStackTest, DirectoryIsThePathUpToItsLastSeparator) {
  TagHandlerStack stack;
  EXPECT_EQ(stack.GetDirectory(), "");
  stack.SetPath("data\\cat.txt");
  EXPECT_EQ(stack.GetDirectory(), "data\\");
  stack.SetPath("models/\x83\x5C.txt");  // "ソ": its second byte is no separator
  EXPECT_EQ(stack.GetDirectory(), "models/");
}

TEST(TagHandlerStackTest, WordsOutsideTheTwoSlotsAreIgnored) {
  TagHandlerStack stack;
  stack.SetWord(1, -3);
  stack.SetWord(2, 99);
  stack.SetWord(-1, 99);
  EXPECT_EQ(stack.GetWord(0), 0);
  EXPECT_EQ(stack.GetWord(1), -3);
  EXPECT_EQ(stack.GetWord(2), 0);
}

}  // namespace
