#include "gui/board_panel.h"

#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/messages.h"

BoardPanel::BoardPanel(QWidget* parent) : QWidget(parent) {
  simulated_ = new QRadioButton(tr("&Simulated board in a folder"), this);
  hardware_ =
      new QRadioButton(tr("Real &hardware (ports found by tarnwick)"), this);
  sim_dir_ = new QLineEdit(this);
  sim_dir_->setObjectName("simDir");
  browse_ = new QPushButton(tr("Folder..."), this);
  ports_ = new QLabel(tr("not looked for yet"), this);
  ports_->setObjectName("ports");
  ports_->setWordWrap(true);
  name_ = new QLabel(this);
  name_->setObjectName("boardName");
  part_ = new QComboBox(this);
  part_->addItem(tr("as the signature says"), QString());
  part_->addItem(tr("89C51 (4 KB)"), QStringLiteral("89c51"));
  part_->addItem(tr("89C52 (8 KB)"), QStringLiteral("89c52"));
  signature_ = new QLabel(tr("not read yet"), this);
  signature_->setObjectName("signature");
  signature_->setWordWrap(true);
  signature_->setTextInteractionFlags(Qt::TextSelectableByMouse);

  auto* folder = new QHBoxLayout;
  folder->addWidget(sim_dir_, 1);
  folder->addWidget(browse_);
  auto* form = new QFormLayout;
  form->addRow(tr("Ports:"), ports_);
  form->addRow(tr("Board:"), name_);
  form->addRow(tr("&Part:"), part_);
  form->addRow(tr("Signature:"), signature_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(simulated_);
  layout->addLayout(folder);
  layout->addWidget(hardware_);
  layout->addLayout(form);
  layout->addStretch();
  simulated_->setChecked(true);

  connect(simulated_, &QRadioButton::toggled, this, &BoardPanel::Changed);
  connect(sim_dir_, &QLineEdit::editingFinished, this, &BoardPanel::Changed);
  connect(part_, &QComboBox::currentIndexChanged, this, &BoardPanel::Changed);
  connect(browse_, &QPushButton::clicked, this, &BoardPanel::ChooseSimFolder);
}

void BoardPanel::SetBoard(const Board& board) {
  const QSignalBlocker b1(simulated_), b2(hardware_), b3(part_);
  simulated_->setChecked(board.simulated);
  hardware_->setChecked(!board.simulated);
  sim_dir_->setText(board.sim_dir);
  sim_dir_->setEnabled(board.simulated);
  browse_->setEnabled(board.simulated);
  part_->setCurrentIndex(std::max(0, part_->findData(board.part)));
}

Board BoardPanel::CurrentBoard() const {
  Board board;
  board.simulated = simulated_->isChecked();
  board.sim_dir = sim_dir_->text().trimmed();
  board.part = part_->currentData().toString();
  return board;
}

void BoardPanel::ChooseSimFolder() {
  const QString dir = QFileDialog::getExistingDirectory(
      this, tr("The simulated board's folder"), sim_dir_->text());
  if (dir.isEmpty()) return;
  sim_dir_->setText(dir);
  simulated_->setChecked(true);
  Changed();
}

void BoardPanel::TakeEvent(const TarnwickEvent& event, bool ports_run) {
  if (!event.board.isEmpty()) name_->setText(event.board);
  if (event.type == TarnwickEvent::Type::kStart &&
      event.json.contains("rtl_base")) {
    ports_->setText(tr("network card at %1, parallel port at %2")
                        .arg(Hex(event.Number("rtl_base"), 4),
                             Hex(event.Number("epp_port"), 3)));
  } else if (ports_run && (event.type == TarnwickEvent::Type::kError ||
                           event.type == TarnwickEvent::Type::kWarning)) {
    ports_->setText(ProblemText(event));
  }
}

void BoardPanel::SetSignature(const QString& text) {
  signature_->setText(text);
}

void BoardPanel::Changed() {
  const Board board = CurrentBoard();
  sim_dir_->setEnabled(board.simulated);
  browse_->setEnabled(board.simulated);
  emit boardChanged(board);
}
