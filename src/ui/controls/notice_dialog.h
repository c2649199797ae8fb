#pragma once

#include <QDialog>

class QPlainTextEdit;
class QPushButton;

namespace dovel::ui {

// The service's notice to the user after a login with warnings: one read-only
// text and "확인".
class CNoticeDialog final : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kTitle = "Dovel 안내메세지";

  explicit CNoticeDialog(const QString& text, QWidget* parent = nullptr);

  QPlainTextEdit* text_box() const { return text_; }
  QPushButton* ok_button() const { return ok_; }

 private:
  QPlainTextEdit* text_;
  QPushButton* ok_;
};

}  // namespace dovel::ui
