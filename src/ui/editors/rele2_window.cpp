#include "ui/editors/rele2_window.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/field_number.h"

namespace sonvex {

TFormReLe2::TFormReLe2(QWidget* parent) : QDialog(parent) {
  setObjectName("FormReLe2");
  setWindowTitle(QText("Impedanzgang analysieren"));
  auto* layout = new QVBoxLayout(this);
  label1_ = new QLabel(QText("Es sind keine Fehler aufgetreten."), this);
  label1_->setObjectName("Label1");
  memoReLe_ = new QPlainTextEdit(this);
  memoReLe_->setObjectName("MemoReLe");
  memoReLe_->setReadOnly(true);
  memoTS_ = new QPlainTextEdit(this);
  memoTS_->setObjectName("MemoTS");
  memoTS_->setReadOnly(true);
  button1_ = new QPushButton(QText("Ok"), this);
  button1_->setObjectName("Button1");
  connect(button1_, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(label1_);
  layout->addWidget(memoReLe_, 1);
  layout->addWidget(memoTS_, 1);
  layout->addWidget(button1_, 0, Qt::AlignRight);
  memoReLe_->hide();
  memoTS_->hide();
  resize(460, 220);
}

void TFormReLe2::Clear() {
  memoReLe_->clear();
  memoReLe_->hide();
  label1_->show();
}

void TFormReLe2::ShowMessages(std::string_view memo) {
  Clear();
  if (memo.empty()) return;
  memoReLe_->setPlainText(QText(memo));
  memoReLe_->show();
  label1_->hide();
}

}  // namespace sonvex
