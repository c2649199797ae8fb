#include "ui/mainframe/main_views.h"

#include <QLabel>
#include <QVBoxLayout>

namespace dovel::ui {

HomeView::HomeView(QWidget* parent) : QWidget(parent) {
  auto* layout = new QVBoxLayout(this);
  auto* note = new QLabel(QString::fromUtf8("Dovel 홈페이지\n\n홈 화면은 다음 판에서 열립니다."), this);
  note->setAlignment(Qt::AlignCenter);
  layout->addWidget(note);
}

}  // namespace dovel::ui
