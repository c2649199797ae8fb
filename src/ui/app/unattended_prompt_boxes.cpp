#include "ui/app/unattended_prompt_boxes.h"

#include "util/log_files.h"

namespace dovel::ui {
namespace {

void log_box(const QString& text) {
  QString line = text.simplified();
  util::LogSystem("%s", line.toStdString().c_str());
}

}  // namespace

bool UnattendedPromptBoxes::ask_yes_no(QWidget*, const QString& text) {
  log_box(text);
  return true;
}

void UnattendedPromptBoxes::tell(QWidget*, const QString& text) { log_box(text); }

}  // namespace dovel::ui
