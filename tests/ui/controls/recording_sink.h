#pragma once

#include <QString>

#include <vector>

#include "ui/controls/message_sink.h"

namespace dovel::ui::test {

// Keeps every box a window would show; questions get the answer set beforehand.
class RecordingSink final : public MessageSink {
 public:
  void inform(const QString& text) override { informed.push_back(text.toStdString()); }
  bool ask(const QString& text) override {
    asked.push_back(text.toStdString());
    return answer;
  }
  void notice(const QString& text) override { notices.push_back(text.toStdString()); }

  bool answer = false;
  std::vector<std::string> informed;
  std::vector<std::string> asked;
  std::vector<std::string> notices;
};

}  // namespace dovel::ui::test
