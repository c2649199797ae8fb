#pragma once

#include "ui/mainframe/prompt_boxes.h"

namespace dovel::ui {

// The message boxes of a run nobody watches (the screenshot run): each text
// goes to the system log and every question is answered "yes", so that nothing
// waits for a click.
class UnattendedPromptBoxes final : public PromptBoxes {
 public:
  bool ask_yes_no(QWidget* parent, const QString& text) override;
  void tell(QWidget* parent, const QString& text) override;
};

}  // namespace dovel::ui
