#include "ui/controls/clipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include <gtest/gtest.h>

namespace dovel::ui {
namespace {

std::string repeated(std::string_view piece, size_t times) {
  std::string text;
  for (size_t i = 0; i < times; ++i) text += piece;
  return text;
}

// Hangul counts two bytes a syllable, as the program's clipboard form holds it.
TEST(Clipboard, TextsOfTheLimitOrMoreNeverReachTheClipboard) {
  struct Case {
    std::string text;
    size_t bytes;
    bool copied;
  };
  const Case cases[] = {
      {repeated("a", 10239), 10239, true},
      {repeated("a", 10240), 10240, false},
      {repeated("가", 5119) + "a", 10239, true},
      {repeated("가", 5120), 10240, false},
      {"", 0, true},
  };
  for (const Case& c : cases) {
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    EXPECT_EQ(clipboard_bytes(c.text), c.bytes);
    EXPECT_EQ(CopyToClipboard(c.text), c.copied) << c.bytes;
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), c.copied ? c.text : "before") << c.bytes;
  }
}

TEST(Clipboard, ATextCp949CannotWriteIsCountedInUtf8) {
  const std::string emoji = "\xF0\x9F\x98\x80";  // four UTF-8 bytes, no CP949 form
  EXPECT_EQ(clipboard_bytes(emoji), 4u);
  EXPECT_FALSE(CopyToClipboard(repeated(emoji, 2560)));
  EXPECT_TRUE(CopyToClipboard(repeated(emoji, 2559)));
}

}  // namespace
}  // namespace dovel::ui
