#include "ui/editors/voice_coil_fit_window.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialogs/field_number.h"

namespace sonvex {

VoiceCoilFitWindow::VoiceCoilFitWindow(QWidget* parent) : QDialog(parent) {
  setObjectName("voiceCoilFitWindow");
  setWindowTitle(QText("Impedanzgang analysieren"));
  auto* layout = new QVBoxLayout(this);
  statusLabel_ = new QLabel(QText("Es sind keine Fehler aufgetreten."), this);
  statusLabel_->setObjectName("statusLabel");
  messagesMemo_ = new QPlainTextEdit(this);
  messagesMemo_->setObjectName("messagesMemo");
  messagesMemo_->setReadOnly(true);
  thieleSmallMemo_ = new QPlainTextEdit(this);
  thieleSmallMemo_->setObjectName("thieleSmallMemo");
  thieleSmallMemo_->setReadOnly(true);
  okButton_ = new QPushButton(QText("Ok"), this);
  okButton_->setObjectName("okButton");
  connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);
  layout->addWidget(statusLabel_);
  layout->addWidget(messagesMemo_, 1);
  layout->addWidget(thieleSmallMemo_, 1);
  layout->addWidget(okButton_, 0, Qt::AlignRight);
  messagesMemo_->hide();
  thieleSmallMemo_->hide();
  resize(460, 220);
}

void VoiceCoilFitWindow::Clear() {
  messagesMemo_->clear();
  messagesMemo_->hide();
  statusLabel_->show();
}

void VoiceCoilFitWindow::ShowMessages(std::string_view memo) {
  Clear();
  if (memo.empty()) return;
  messagesMemo_->setPlainText(QText(memo));
  messagesMemo_->show();
  statusLabel_->hide();
}

}  // namespace sonvex
