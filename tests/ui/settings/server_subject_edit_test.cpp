#include "ui/settings/server_subject_edit.h"

#include <gtest/gtest.h>

#include "settings_page_fixture.h"

namespace dovel::ui {
namespace {

using test::commit_text;
using ui::test::RecordingMessageSink;

const QString kTooLong = QStringLiteral("제목이 50바이트(한글25자, 영문 50자)가 넘으면 안됩니다.");

struct TypingCase {
  const char* what;
  QString start;
  QString typed;
  bool accepted;
};

class ServerSubjectTyping : public ::testing::TestWithParam<TypingCase> {};

TEST_P(ServerSubjectTyping, RefusesTheByteAfterTheFiftiethAndPutsTheTextBack) {
  const TypingCase& c = GetParam();
  RecordingMessageSink messages;
  ServerSubjectEdit edit(messages);
  edit.set_initial_text(c.start);
  edit.setCursorPosition(static_cast<int>(c.start.size()));
  commit_text(&edit, c.typed);
  if (c.accepted) {
    EXPECT_EQ(edit.text(), c.start + c.typed);
    EXPECT_TRUE(messages.informed.isEmpty());
  } else {
    EXPECT_EQ(edit.text(), c.start);
    EXPECT_EQ(messages.informed, QStringList{kTooLong});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ServerSubjectTyping,
    ::testing::Values(TypingCase{"25th syllable makes 50 bytes", QString(24, QChar(0xAC00)), QStringLiteral("나"), true},
                      TypingCase{"26th syllable makes 52 bytes", QString(25, QChar(0xAC00)), QStringLiteral("다"), false},
                      TypingCase{"a letter after 49 bytes", QString(49, QLatin1Char('a')), QStringLiteral("b"), true},
                      TypingCase{"a letter after 50 bytes", QString(50, QLatin1Char('a')), QStringLiteral("b"), false},
                      TypingCase{"a syllable after 49 bytes", QString(49, QLatin1Char('a')), QStringLiteral("가"), false},
                      TypingCase{"a pasted run over the limit", QStringLiteral("도벨"), QString(47, QLatin1Char('x')), false}),
    [](const ::testing::TestParamInfo<TypingCase>& info) { return "Case" + std::to_string(info.index); });

TEST(ServerSubjectEdit, TypingGoesOnAfterARefusalAndEmptyingTheBoxIsAllowed) {
  RecordingMessageSink messages;
  ServerSubjectEdit edit(messages);
  edit.set_initial_text(QString(25, QChar(0xAC00)));
  commit_text(&edit, QStringLiteral("나"));
  ASSERT_EQ(messages.informed.size(), 1);
  edit.backspace();
  commit_text(&edit, QStringLiteral("나"));
  EXPECT_EQ(edit.text(), QString(24, QChar(0xAC00)) + QStringLiteral("나"));
  edit.clear();
  EXPECT_TRUE(edit.text().isEmpty());
  EXPECT_EQ(messages.informed.size(), 1) << "an empty box while typing is no refusal";
}

}  // namespace
}  // namespace dovel::ui
