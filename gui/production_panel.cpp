#include "gui/production_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QVBoxLayout>

#include "gui/messages.h"

namespace {

constexpr int kChipsShown = 50;

bool IsHex(const QString& text) {
  bool ok = false;
  text.toUInt(&ok, 16);
  return ok && !text.isEmpty();
}

}  // namespace

QStringList BatchArguments(const BatchSettings& s) {
  QStringList args;
  if (s.serial) {
    args << "--serial"
         << QStringLiteral("%1,%2,%3")
                .arg(s.serial_address.trimmed().toUpper())
                .arg(s.serial_size)
                .arg(s.serial_format)
         << "--serial-file" << s.serial_file;
    if (!s.serial_start.trimmed().isEmpty())
      args << "--serial-start" << s.serial_start.trimmed();
    if (s.serial_step != 1)
      args << "--serial-step" << QString::number(s.serial_step);
    args << "--on-fail" << s.on_fail;
  }
  if (!s.journal.isEmpty()) args << "--journal" << s.journal;
  if (s.count > 0) args << "--count" << QString::number(s.count);
  return args;
}

QString BatchSettingsProblem(const BatchSettings& s) {
  if (!s.serial) return QString();
  if (!IsHex(s.serial_address.trimmed()))
    return ProductionPanel::tr(
        "The serial number's address is not a "
        "hexadecimal number.");
  if (s.serial_file.isEmpty())
    return ProductionPanel::tr(
        "Name the file that keeps the next serial "
        "number.");
  return QString();
}

ProductionPanel::ProductionPanel(QWidget* parent) : QWidget(parent) {
  serial_ = new QCheckBox(tr("Write a &serial number into each chip"), this);
  serial_address_ = new QLineEdit(this);
  serial_address_->setValidator(new QRegularExpressionValidator(
      QRegularExpression("[0-9A-Fa-f]{1,4}"), this));
  serial_address_->setPlaceholderText(tr("hexadecimal, e.g. 0FF0"));
  serial_size_ = new QSpinBox(this);
  serial_size_->setRange(1, 19);  // tarnwick checks it against the format
  serial_format_ = new QComboBox(this);
  serial_format_->addItem(tr("binary, low byte first"), "le");
  serial_format_->addItem(tr("binary, high byte first"), "be");
  serial_format_->addItem(tr("packed BCD"), "bcd");
  serial_format_->addItem(tr("ASCII digits"), "ascii");
  serial_file_ = new QLineEdit(this);
  serial_start_ = new QLineEdit(this);
  serial_start_->setValidator(
      new QRegularExpressionValidator(QRegularExpression("[0-9]{0,18}"), this));
  serial_step_ = new QSpinBox(this);
  serial_step_->setRange(1, 1000000);
  on_fail_ = new QComboBox(this);
  on_fail_->addItem(tr("a failed chip's number is skipped"), "skip");
  on_fail_->addItem(tr("a failed chip's number is used again"), "reuse");
  journal_ = new QLineEdit(this);
  journal_->setObjectName("journal");
  count_ = new QSpinBox(this);
  count_->setRange(0, 1000000);
  count_->setSpecialValueText(tr("no limit"));
  start_ = new QPushButton(tr("S&tart the production run"), this);
  start_->setObjectName("productionStart");
  stop_ = new QPushButton(tr("St&op at the next address"), this);
  stop_->setObjectName("productionStop");
  stop_->setEnabled(false);
  image_ = new QLabel(this);
  image_->setObjectName("productionImage");
  image_->setWordWrap(true);
  state_ = new QLabel(tr("Not running."), this);
  state_->setObjectName("productionState");
  state_->setWordWrap(true);
  counters_ = new QLabel(this);
  counters_->setObjectName("productionCounters");
  counters_->setWordWrap(true);
  chips_ = new QTableWidget(0, 4, this);
  chips_->setObjectName("lastChips");
  chips_->setHorizontalHeaderLabels(
      {tr("Chip"), tr("Serial"), tr("Result"), tr("Seconds")});
  chips_->horizontalHeader()->setStretchLastSection(true);
  chips_->verticalHeader()->hide();
  chips_->setEditTriggers(QAbstractItemView::NoEditTriggers);

  auto with_browse = [this](QLineEdit* edit, const QString& title) {
    auto* row = new QHBoxLayout;
    auto* browse = new QPushButton(tr("..."), this);
    row->addWidget(edit, 1);
    row->addWidget(browse);
    connect(browse, &QPushButton::clicked, this, [this, edit, title] {
      const QString file = QFileDialog::getSaveFileName(
          this, title, edit->text(), QString(), nullptr,
          QFileDialog::DontConfirmOverwrite);
      if (!file.isEmpty()) edit->setText(file);
    });
    return row;
  };

  auto* serial_box = new QGroupBox(tr("Serial numbers"), this);
  auto* serial_form = new QFormLayout(serial_box);
  serial_form->addRow(serial_);
  serial_form->addRow(tr("&Address:"), serial_address_);
  serial_form->addRow(tr("Si&ze (bytes):"), serial_size_);
  serial_form->addRow(tr("&Format:"), serial_format_);
  serial_form->addRow(tr("&Number file:"),
                      with_browse(serial_file_, tr("The serial number file")));
  serial_form->addRow(tr("First &number:"), serial_start_);
  serial_form->addRow(tr("St&ep:"), serial_step_);
  serial_form->addRow(tr("On &failure:"), on_fail_);
  auto* run_form = new QFormLayout;
  run_form->addRow(tr("Image:"), image_);
  run_form->addRow(tr("&Journal (CSV):"),
                   with_browse(journal_, tr("The journal file")));
  run_form->addRow(tr("Stop after (passing chips):"), count_);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(start_);
  buttons->addWidget(stop_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(serial_box);
  layout->addLayout(run_form);
  layout->addLayout(buttons);
  layout->addWidget(state_);
  layout->addWidget(counters_);
  layout->addWidget(chips_, 1);

  auto serial_on = [this](bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{
             serial_address_, serial_size_, serial_format_, serial_file_,
             serial_start_, serial_step_, on_fail_})
      w->setEnabled(on);
  };
  connect(serial_, &QCheckBox::toggled, this, serial_on);
  serial_on(false);
  connect(start_, &QPushButton::clicked, this,
          &ProductionPanel::startRequested);
  connect(stop_, &QPushButton::clicked, this, &ProductionPanel::stopRequested);
  ShowCounters();
}

BatchSettings ProductionPanel::Settings() const {
  BatchSettings s;
  s.serial = serial_->isChecked();
  s.serial_address = serial_address_->text();
  s.serial_size = serial_size_->value();
  s.serial_format = serial_format_->currentData().toString();
  s.serial_file = serial_file_->text().trimmed();
  s.serial_start = serial_start_->text();
  s.serial_step = serial_step_->value();
  s.on_fail = on_fail_->currentData().toString();
  s.journal = journal_->text().trimmed();
  s.count = count_->value();
  return s;
}

void ProductionPanel::SetSettings(const BatchSettings& s) {
  serial_->setChecked(s.serial);
  serial_address_->setText(s.serial_address);
  serial_size_->setValue(s.serial_size);
  serial_format_->setCurrentIndex(
      std::max(0, serial_format_->findData(s.serial_format)));
  serial_file_->setText(s.serial_file);
  serial_start_->setText(s.serial_start);
  serial_step_->setValue(s.serial_step);
  on_fail_->setCurrentIndex(std::max(0, on_fail_->findData(s.on_fail)));
  journal_->setText(s.journal);
  count_->setValue(s.count);
}

void ProductionPanel::SaveSettings() const {
  const BatchSettings s = Settings();
  QSettings settings;
  settings.beginGroup("production");
  settings.setValue("serial", s.serial);
  settings.setValue("serialAddress", s.serial_address);
  settings.setValue("serialSize", s.serial_size);
  settings.setValue("serialFormat", s.serial_format);
  settings.setValue("serialFile", s.serial_file);
  settings.setValue("serialStart", s.serial_start);
  settings.setValue("serialStep", s.serial_step);
  settings.setValue("onFail", s.on_fail);
  settings.setValue("journal", s.journal);
  settings.setValue("count", s.count);
}

void ProductionPanel::LoadSettings() {
  QSettings settings;
  settings.beginGroup("production");
  BatchSettings s;
  s.serial = settings.value("serial", s.serial).toBool();
  s.serial_address = settings.value("serialAddress").toString();
  s.serial_size = settings.value("serialSize", s.serial_size).toInt();
  s.serial_format = settings.value("serialFormat", s.serial_format).toString();
  s.serial_file = settings.value("serialFile").toString();
  s.serial_start = settings.value("serialStart").toString();
  s.serial_step = settings.value("serialStep", s.serial_step).toInt();
  s.on_fail = settings.value("onFail", s.on_fail).toString();
  s.journal = settings.value("journal").toString();
  s.count = settings.value("count", 0).toInt();
  SetSettings(s);
}

void ProductionPanel::RunStarted() {
  running_ = true;
  passed_ = failed_ = wrong_part_ = stopped_ = 0;
  first_t_ = -1;
  summary_yield_ = summary_rate_ = -1;
  next_serial_.clear();
  chips_->setRowCount(0);
  state_->setText(tr("Waiting for a chip in the socket."));
  start_->setEnabled(false);
  stop_->setEnabled(true);
  ShowCounters();
}

void ProductionPanel::RunEnded(const QString& message) {
  running_ = false;
  state_->setText(tr("Ended: %1").arg(message));
  start_->setEnabled(true);
  stop_->setEnabled(false);
}

void ProductionPanel::SetIdle(bool idle) {
  if (!running_) start_->setEnabled(idle);
}

void ProductionPanel::SetImage(const QString& text) { image_->setText(text); }

void ProductionPanel::TakeEvent(const TarnwickEvent& event) {
  if (!running_) return;
  using Type = TarnwickEvent::Type;
  switch (event.type) {
    case Type::kChip:
      if (first_t_ < 0) first_t_ = event.t;
      state_->setText(event.Text("state") == "inserted"
                          ? tr("Chip %1 in the socket: %2.")
                                .arg(event.Number("chip"))
                                .arg(event.Text("part").isEmpty()
                                         ? tr("unknown part")
                                         : event.Text("part"))
                          : tr("Chip %1 taken out: waiting for the next one.")
                                .arg(event.Number("chip")));
      break;
    case Type::kResult: {
      const QString outcome = event.Text("outcome");
      if (outcome == "pass")
        ++passed_;
      else if (outcome == "fail")
        ++failed_;
      else if (outcome == "refused" || outcome == "wrong-part")
        ++wrong_part_;
      else
        ++stopped_;
      last_t_ = event.t;
      AddChip(event);
      ShowCounters();
      break;
    }
    case Type::kSummary:
      passed_ = static_cast<int>(event.Number("passed", passed_));
      failed_ = static_cast<int>(event.Number("failed", failed_));
      wrong_part_ = static_cast<int>(event.Number("wrong_part", wrong_part_));
      stopped_ = static_cast<int>(event.Number("stopped", stopped_));
      summary_yield_ = event.json.value("yield").toDouble(-1);
      summary_rate_ = event.json.value("chips_per_hour").toDouble(-1);
      if (event.json.value("next_serial").isDouble())
        next_serial_ = QString::number(event.Number("next_serial"));
      ShowCounters();
      break;
    default:
      break;
  }
}

void ProductionPanel::AddChip(const TarnwickEvent& r) {
  const QString outcome = r.Text("outcome");
  const QString result = outcome == "pass"   ? tr("PASS")
                         : outcome == "fail" ? tr("FAIL")
                         : outcome == "refused" || outcome == "wrong-part"
                             ? tr("wrong part")
                             : tr("stopped");
  const QJsonValue serial = r.json.value("serial");
  chips_->insertRow(0);
  const QStringList cells = {
      QString::number(r.Number("chip")),
      serial.isDouble() ? QString::number(serial.toDouble(), 'f', 0)
                        : serial.toString(),
      result, QString::number(r.json.value("seconds").toDouble(), 'f', 1)};
  for (int c = 0; c < cells.size(); ++c) {
    auto* item = new QTableWidgetItem(cells[c]);
    if (c == 2 && outcome != "pass") item->setForeground(Qt::red);
    chips_->setItem(0, c, item);
  }
  if (chips_->rowCount() > kChipsShown) chips_->removeRow(kChipsShown);
  if (serial.isDouble() && outcome == "pass")
    next_serial_ = tr("after %1").arg(cells[1]);
}

void ProductionPanel::ShowCounters() {
  const int judged = passed_ + failed_;
  const int chips = judged + wrong_part_ + stopped_;
  const double yield_part = summary_yield_ >= 0 ? summary_yield_
                            : judged > 0 ? static_cast<double>(passed_) / judged
                                         : -1;
  const QString yield =
      yield_part < 0 ? tr("-")
                     : QStringLiteral("%1 %").arg(100 * yield_part, 0, 'f', 1);
  const double hours = (last_t_ - first_t_) / 3600.0;
  const double per_hour = summary_rate_ >= 0           ? summary_rate_
                          : first_t_ >= 0 && hours > 0 ? chips / hours
                                                       : -1;
  const QString rate =
      per_hour < 0 ? tr("-") : QString::number(per_hour, 'f', 0);
  counters_->setText(
      tr("Passed %1, failed %2, wrong part %3. Yield %4. Chips an hour: %5. "
         "Next serial number: %6.")
          .arg(passed_)
          .arg(failed_)
          .arg(wrong_part_)
          .arg(yield, rate, next_serial_.isEmpty() ? tr("-") : next_serial_));
}
