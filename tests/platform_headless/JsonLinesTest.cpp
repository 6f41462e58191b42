#include <sstream>

#include <gtest/gtest.h>

#include "platform/headless/HeadlessDialogs.h"
#include "platform/headless/JsonLinesWriter.h"

namespace qlm {
namespace {

TEST(JsonLinesWriter, EventsComeOutInTheirFixedShape) {
  std::ostringstream out;
  JsonLinesWriter w(out);
  w.Page("Caf\xE9");
  w.Launch("notepad.exe", "\x93quoted\x94");
  w.State({"Intro",
           {{"a", false, "", 3.0},
            {"b$", true, "x\xA0y", 0},
            {"c", false, "", -0.25},
            {"big", false, "", 1e300},
            {"z", false, "", -0.0}},
           {{"Intro", "Title", 1, 10, 20, 110, 40, false, "Hello\r\n"}}});
  w.Exit(0);
  JsonLinesWriter::Json unordered;
  unordered["code"] = 1;
  unordered["event"] = "custom";
  w.Write(unordered);
  EXPECT_EQ(out.str(),
            "{\"event\":\"page\",\"name\":\"Café\"}\n"
            "{\"event\":\"launch\",\"program\":\"notepad.exe\",\"options\":\"“quoted”\"}\n"
            "{\"event\":\"state\",\"page\":\"Intro\",\"vars\":{\"a\":3,\"b$\":\"x\u00a0y\","
            "\"c\":-0.25,\"big\":1e+300,\"z\":0},\"objects\":[{\"page\":\"Intro\",\"name\":"
            "\"Title\",\"kind\":1,\"rect\":[10,20,110,40],\"hidden\":false,\"text\":"
            "\"Hello\\r\\n\"}]}\n"
            "{\"event\":\"exit\",\"code\":0}\n"
            "{\"event\":\"custom\",\"code\":1}\n");
}

TEST(JsonLinesWriter, BytesThatAreNotUtf8DoNotStopTheOutput) {
  std::ostringstream out;
  JsonLinesWriter w(out, CodePage("UTF-8"));
  w.Page("a\xFF");
  EXPECT_EQ(out.str(), "{\"event\":\"page\",\"name\":\"a\xEF\xBF\xBD\"}\n");
}

TEST(HeadlessDialogs, AnswersFromTheQueueElseWithTheFirstButton) {
  struct Case {
    uint32_t style;
    int answer;
  } defaults[] = {
      {mb::kOk, idb::kOk},
      {mb::kOkCancel | mb::kIconQuestion, idb::kOk},
      {mb::kAbortRetryIgnore, idb::kAbort},
      {mb::kYesNoCancel, idb::kYes},
      {mb::kYesNo | mb::kIconWarning, idb::kYes},
      {mb::kRetryCancel, idb::kRetry},
      {mb::kCancelTryContinue, idb::kCancel},
  };
  for (const auto& c : defaults)
    EXPECT_EQ(HeadlessDialogs::DefaultAnswer(c.style), c.answer);

  std::ostringstream out;
  JsonLinesWriter w(out);
  HeadlessDialogs dialogs(w);
  dialogs.PushAnswer(idb::kNo);
  EXPECT_EQ(dialogs.MessageBox("Save \x84"
                               "changes\x93?",
                               "Question", 0x24),
            idb::kNo);
  EXPECT_EQ(dialogs.PendingAnswers(), 0u);
  dialogs.SetCaption("Show");
  dialogs.Message("Cannot find the file\nC:\\x.bmp");
  EXPECT_EQ(out.str(),
            "{\"event\":\"messagebox\",\"caption\":\"Question\",\"text\":\"Save „changes“?\","
            "\"style\":36,\"answer\":7}\n"
            "{\"event\":\"messagebox\",\"caption\":\"Show\",\"text\":\"Cannot find the "
            "file\\nC:\\\\x.bmp\",\"style\":0,\"answer\":1}\n");
}

}  // namespace
}  // namespace qlm
