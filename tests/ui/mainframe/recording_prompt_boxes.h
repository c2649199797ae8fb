#pragma once

#include <QString>
#include <QStringList>

#include "ui/mainframe/prompt_boxes.h"

namespace dovel::ui::test {

// Keeps every box's text and answers questions with `answer`.
class RecordingPromptBoxes final : public PromptBoxes {
 public:
  bool ask_yes_no(QWidget*, const QString& text) override {
    questions << text;
    return answer;
  }
  void tell(QWidget*, const QString& text) override { told << text; }

  bool answer = true;
  QStringList questions;
  QStringList told;
};

}  // namespace dovel::ui::test
