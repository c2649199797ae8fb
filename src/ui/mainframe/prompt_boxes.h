#pragma once

#include <QString>
#include <QWidget>

namespace dovel::ui {

// Where the client's message boxes go. The desktop shows them as modal boxes;
// tests put a recorder in their place so that nothing waits for a click.
class PromptBoxes {
 public:
  virtual ~PromptBoxes() = default;
  // A Yes/No question; true for Yes.
  virtual bool ask_yes_no(QWidget* parent, const QString& text) = 0;
  virtual void tell(QWidget* parent, const QString& text) = 0;
};

class ModalPromptBoxes final : public PromptBoxes {
 public:
  bool ask_yes_no(QWidget* parent, const QString& text) override;
  void tell(QWidget* parent, const QString& text) override;
};

}  // namespace dovel::ui
