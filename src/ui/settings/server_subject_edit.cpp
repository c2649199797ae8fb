#include "ui/settings/server_subject_edit.h"

#include <algorithm>

#include "settings/settings_page_rules.h"

namespace dovel::ui {

ServerSubjectEdit::ServerSubjectEdit(MessageSink& messages, QWidget* parent) : QLineEdit(parent), messages_(messages) {
  connect(this, &QLineEdit::textChanged, this, &ServerSubjectEdit::on_text_changed);
}

void ServerSubjectEdit::set_initial_text(const QString& text) {
  accepted_text_ = text;
  QSignalBlocker quiet(this);
  setText(text);
}

void ServerSubjectEdit::on_text_changed(const QString& text) {
  if (text == accepted_text_) return;
  // An empty box is allowed while typing; the apply refuses an empty title.
  std::optional<std::string> refusal = text.isEmpty() ? std::nullopt : settings::server_subject_refusal(text.toStdString());
  if (!refusal) {
    accepted_text_ = text;
    return;
  }
  const int cursor = std::min(cursorPosition(), static_cast<int>(accepted_text_.size()));
  {
    QSignalBlocker quiet(this);
    setText(accepted_text_);
  }
  setCursorPosition(cursor);
  messages_.inform(window(), QString::fromStdString(*refusal));
}

}  // namespace dovel::ui
