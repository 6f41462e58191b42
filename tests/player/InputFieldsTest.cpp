// Input fields in a running player window: focus, keys against shortcuts, the pop-up menu and
// input-method composition.

#include <gtest/gtest.h>

#include "InputFixture.h"
#include "platform/KeyNames.h"

namespace qlm {
namespace {

using test::InputPlayer;
using test::Object;
using test::Pages;

// Page One: a field "Entry" bound to Entry$ at (10, 10) - (190, 40), shortcuts Q and ENTER, a
// hot spot below the field that hides it. Page Two is empty.
Project FieldProject() {
  Project project = Pages({"One", "Two"});
  ObjectRecord field = Object(kObjInputField, "Entry", {10, 10, 190, 40});
  field.strings[3] = "Entry$";
  field.text = "abc";
  auto shortcut = [](const char* name, const char* key, const char* script) {
    ObjectRecord o = Object(kObjScript, name, {0, 0, 0, 0}, script);
    o.strings[6] = key;
    o.imageValues[1] = 1;
    return o;
  };
  std::vector<ObjectRecord>& objects = project.pages[0].objects;
  objects.push_back(std::move(field));
  objects.push_back(shortcut("Q", "Q", "q=q+1"));
  objects.push_back(shortcut("Enter", "ENTER", "enter=enter+1"));
  objects.push_back(Object(kObjHotSpot, "HideIt", {10, 100, 190, 140}, "Hide(\"Entry\")"));
  return project;
}

std::string Text(InputPlayer& p, const std::string& name) {
  std::string text;
  p.window->Variables().GetText(name, text);
  return text;
}

void Type(InputPlayer& p, char c) {
  // As a window gives a key: the key, then its character.
  p.Key(KeyAction::kDown, static_cast<uint32_t>(c >= 'a' ? c - 'a' + 'A' : c));
  p.loop.PostInput(CharEvent{static_cast<uint8_t>(c)});
  p.loop.Pump();
  p.Key(KeyAction::kUp, static_cast<uint32_t>(c >= 'a' ? c - 'a' + 'A' : c));
}

TEST(InputFields, FocusedFieldTakesTypingKeysWhileOtherKeysStayShortcuts) {
  InputPlayer p(FieldProject());
  EXPECT_EQ(Text(p, "Entry$"), "abc");  // copied when the page was shown
  p.Click(180, 25);
  Type(p, 'q');
  p.Press(vk::kLeft);
  p.Press(vk::kBack);
  EXPECT_EQ(p.Find("One::Entry").text, "abq");
  EXPECT_EQ(Text(p, "Entry$"), "abq");
  EXPECT_EQ(p.Number("q"), 0);
  p.Press(vk::kReturn);
  EXPECT_EQ(p.Number("enter"), 1);
  // A press elsewhere takes the focus: Q is a shortcut again and types nothing.
  p.Click(100, 70);
  Type(p, 'q');
  EXPECT_EQ(p.Number("q"), 1);
  EXPECT_EQ(p.Find("One::Entry").text, "abq");
}

TEST(InputFields, HiddenFieldAndPageChangeTakeTheFocus) {
  InputPlayer p(FieldProject());
  p.Click(180, 25);
  // The hot spot's click hides the field: what is typed next goes nowhere.
  p.Click(100, 120);
  EXPECT_TRUE(p.Hidden("One::Entry"));
  Type(p, 'x');
  EXPECT_EQ(p.Find("One::Entry").text, "abc");

  InputPlayer q(FieldProject(), "second");
  q.Click(180, 25);
  q.window->RunScriptText("Page(\"Two\")");
  q.loop.Run(20);
  EXPECT_EQ(q.Page(), "Two");
  Type(q, 'x');
  EXPECT_EQ(q.Find("One::Entry").text, "abc");
  EXPECT_EQ(q.window->Fields().Focused(), nullptr);
}

TEST(InputFields, OverlongTextIsCutOnceAndEditsStayWhereTheCaretIs) {
  Project project = FieldProject();
  project.pages[0].objects[0].text = std::string(40000, 'a');
  InputPlayer p(std::move(project));
  p.Click(100, 25);
  EXPECT_EQ(p.Find("One::Entry").text.size(), FieldEditor::kMaxLength);
  p.Press(vk::kHome);
  p.Press(vk::kDelete);
  Type(p, 'b');
  const std::string& text = p.Find("One::Entry").text;
  EXPECT_EQ(text.size(), FieldEditor::kMaxLength);
  EXPECT_EQ(text.front(), 'b');
  EXPECT_EQ(Text(p, "Entry$"), text);
}

TEST(InputFields, CharactersOfControlKeysLeaveTheSelectedTextAlone) {
  // A window sends Control+letter, Enter and Tab as a key and then a control character; only
  // the key acts. The whole text is selected each time, as Control+A leaves it.
  struct Case {
    uint32_t key;
    bool ctrl;
    uint8_t ch;
  };
  for (const Case c : {Case{'A', true, 0x01}, Case{'C', true, 0x03}, Case{vk::kReturn, false, '\r'},
                       Case{vk::kTab, false, '\t'}, Case{'B', true, 0x02}}) {
    InputPlayer p(FieldProject());
    p.Click(180, 25);
    p.Press('A', Modifiers{false, true, false});
    p.Key(KeyAction::kDown, c.key, Modifiers{false, c.ctrl, false});
    p.loop.PostInput(CharEvent{c.ch});
    p.loop.Pump();
    EXPECT_EQ(p.Find("One::Entry").text, "abc") << "character " << int{c.ch};
    EXPECT_EQ(Text(p, "Entry$"), "abc") << "character " << int{c.ch};
  }
}

TEST(InputFields, EscapeClosesTheMenuNotThePlayer) {
  InputPlayer p(FieldProject());
  p.Mouse(MouseAction::kRightDown, 50, 25);
  p.Mouse(MouseAction::kRightUp, 50, 25);
  ASSERT_TRUE(p.window->Fields().Menu().Visible());
  p.Press(vk::kEscape);
  EXPECT_FALSE(p.window->Fields().Menu().Visible());
  EXPECT_FALSE(p.window->IsClosed());
  // Without the menu, Escape takes the Cancel path.
  p.Press(vk::kEscape);
  EXPECT_TRUE(p.window->IsClosed());
}

TEST(InputFields, CompositionShowsAtTheCaretUntilTextIsTyped) {
  InputPlayer p(FieldProject());
  p.Click(180, 25);
  p.loop.PostInput(CompositionEvent("ka"));
  p.loop.Pump();
  const ObjectRunState* state = p.window->States().Find(p.Find("One::Entry"));
  ASSERT_TRUE(state && state->field);
  EXPECT_EQ(state->field->composition, "ka");
  EXPECT_EQ(p.Find("One::Entry").text, "abc");
  p.loop.PostInput(CharEvent{'K'});
  p.loop.Pump();
  EXPECT_EQ(state->field->composition, "");
  EXPECT_EQ(p.Find("One::Entry").text, "abcK");
}

}  // namespace
}  // namespace qlm
