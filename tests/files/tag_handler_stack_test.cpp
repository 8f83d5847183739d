#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "files/tag_handler_stack.h"

namespace {

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

TEST(TagHandlerStackTest, EventsGoToTheElementOnTop) {
  std::string log;
  LoggingElement root("Root", log);
  TagHandlerStack stack;
  stack.Push(&root);
  MarkupReader reader;
  reader.SetText("<Doc><Sub value=\"1\">one<Leaf/>two</Sub>three<Sub>four</Sub></Doc>");
  ASSERT_TRUE(reader.ParseElements(stack, nullptr));
  EXPECT_EQ(log,
            "Root.child Doc\n"
            "Root.child Sub value=1\n"
            "Root/Sub.text one\n"
            "Root/Sub.child Leaf\n"
            "Root/Sub.end Leaf\n"
            "Root/Sub.text two\n"
            "Root/Sub.end Sub\n"
            "Root.text three\n"
            "Root.child Sub\n"
            "Root/Sub.text four\n"
            "Root/Sub.end Sub\n"
            "Root.end Doc\n");
  ASSERT_EQ(root.children_.size(), 2u);
  EXPECT_EQ(root.children_[0]->text_, "onetwo");
  EXPECT_EQ(root.children_[1]->text_, "four");
  EXPECT_EQ(stack.Top(), &root);
  EXPECT_TRUE(stack.Succeeded());
}

TEST(TagHandlerStackTest, RefusedChildStopsTheParseAndClearsSuccess) {
  std::string log;
  LoggingElement root("Root", log);
  TagHandlerStack stack;
  stack.Push(&root);
  MarkupReader reader;
  reader.SetText("<Refuse/><After/>");
  EXPECT_FALSE(reader.ParseElements(stack, nullptr));
  EXPECT_EQ(log, "Root.child Refuse\n");
  EXPECT_FALSE(stack.Succeeded());
  stack.ClearError(nullptr, reader);
  EXPECT_TRUE(stack.Succeeded());
}

TEST(TagHandlerStackTest, EmptyStackAcceptsEverything) {
  TagHandlerStack stack;
  MarkupReader reader;
  reader.SetText("<A x=\"1\">text</A>");
  EXPECT_TRUE(reader.ParseElements(stack, nullptr));
  EXPECT_TRUE(stack.Succeeded());
  reader.SetText("<A x=1>");
  EXPECT_FALSE(reader.ParseElements(stack, nullptr));
  EXPECT_FALSE(stack.Succeeded());
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

TEST(TagHandlerStackTest, DirectoryIsThePathUpToItsLastSeparator) {
  struct Case {
    const char* path;
    const char* directory;
  };
  const Case cases[] = {
      {"data\\obj\\cat.txt", "data\\obj\\"}, {"/game/scene/a.xml", "/game/scene/"}, {"a/b\\c.txt", "a/b\\"},
      {"cat.txt", ""},                        {"", ""},                           {"dir/", "dir/"},
      // 0x5C as the second byte of a double-byte character is no separator.
      {"dir/\x95\x5c.txt", "dir/"},           {"\x95\x5c", ""},
  };
  TagHandlerStack stack;
  for (const Case& c : cases) {
    stack.SetPath(c.path);
    EXPECT_EQ(stack.GetDirectory(), c.directory) << c.path;
  }
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
