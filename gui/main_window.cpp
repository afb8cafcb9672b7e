#include "gui/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHeaderView>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScrollBar>
#include <QSettings>
#include <QStatusBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "gui/board_panel.h"
#include "gui/chip_map.h"
#include "gui/hex_model.h"
#include "gui/image_info.h"
#include "gui/image_loader.h"
#include "gui/messages.h"
#include "gui/production_panel.h"
#include "gui/version.h"

namespace {

constexpr int kRecentFiles = 8;
constexpr int kLogLines = 2000;

QString ImageFilters() {
  return MainWindow::tr(
      "Chip images (*.hex *.ihx *.ihex *.s19 *.s28 *.s37 *.srec *.mot "
      "*.bin *.raw *.img);;Intel HEX (*.hex *.ihx *.ihex);;"
      "S-records (*.s19 *.s28 *.s37 *.srec *.mot);;"
      "Raw binary (*.bin *.raw *.img);;All files (*)");
}

}  // namespace

MainWindow::MainWindow(const Launch& simulated, const Launch& hardware,
                       QWidget* parent)
    : QMainWindow(parent), programmer_(&buffer_) {
  setObjectName("mainWindow");
  setWindowIcon(QIcon(":/icons/tarnwick-gui.png"));
  setAcceptDrops(true);
  programmer_.SetLaunches(simulated, hardware);

  hex_model_ = new HexModel(&buffer_, this);
  hex_view_ = new QTableView(this);
  hex_view_->setObjectName("hexView");
  hex_view_->setModel(hex_model_);
  hex_view_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  hex_view_->setSelectionMode(QAbstractItemView::SingleSelection);
  hex_view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  hex_view_->setShowGrid(false);
  hex_view_->setWordWrap(false);
  const int line = QFontMetrics(hex_view_->font()).height() + 4;
  hex_view_->verticalHeader()->setDefaultSectionSize(line);
  hex_view_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  hex_view_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  SizeHexColumns();
  // Wide enough for every column: the text is what a user looks for.
  int width = hex_view_->verticalHeader()->sizeHint().width() +
              hex_view_->verticalScrollBar()->sizeHint().width() +
              2 * hex_view_->frameWidth() + 4;
  for (int c = 0; c <= HexModel::kTextColumn; ++c)
    width += hex_view_->columnWidth(c);
  hex_view_->setMinimumWidth(width);
  hex_view_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setCentralWidget(hex_view_);

  stage_ = new QLabel(this);
  stage_->setObjectName("stage");
  progress_ = new QProgressBar(this);
  progress_->setObjectName("progress");
  progress_->setMaximumWidth(240);
  progress_->setVisible(false);
  sums_ = new QLabel(this);
  sums_->setObjectName("statusSums");
  statusBar()->addWidget(stage_, 1);
  statusBar()->addPermanentWidget(progress_);
  statusBar()->addPermanentWidget(sums_);

  MakeDocks();
  MakeActions();

  connect(&programmer_, &Programmer::started, this, &MainWindow::OnStarted);
  connect(&programmer_, &Programmer::eventArrived, this, &MainWindow::OnEvent);
  connect(&programmer_, &Programmer::progressed, this, &MainWindow::OnProgress);
  connect(&programmer_, &Programmer::signatureRead, this,
          &MainWindow::OnSignature);
  connect(&programmer_, &Programmer::finished, this, &MainWindow::OnFinished);
  connect(&programmer_, &Programmer::compatibilityKnown, this,
          &MainWindow::OnCompatibility);
  connect(&watch_, &FileWatch::changed, this, &MainWindow::OnFileChanged);
  connect(&buffer_, &ChipBuffer::changed, this, [this] {
    const ImageChecksums& s = buffer_.Checksums();
    const QString sums =
        buffer_.HasImage()
            ? tr("SUM16 %1  CRC-32 %2")
                  .arg(QString::fromStdString(Sum16Text(s.sum16)),
                       QString::fromStdString(Crc32Text(s.crc32)))
            : QString();
    sums_->setText(sums);
    production_->SetImage(buffer_.HasImage()
                              ? tr("%1 (%2)").arg(buffer_.Name(), sums)
                              : tr("none: open a file first"));
  });
  connect(chip_map_, &ChipMap::addressChosen, this, &MainWindow::ShowAddress);
  connect(board_panel_, &BoardPanel::boardChanged, this,
          &MainWindow::OnBoardChanged);
  connect(production_, &ProductionPanel::startRequested, this,
          &MainWindow::StartProduction);
  connect(production_, &ProductionPanel::stopRequested, &programmer_,
          &Programmer::Stop);

  Restore();
  UpdateActions();
  UpdateTitle();
}

void MainWindow::SizeHexColumns() {
  const QFontMetrics metrics(hex_view_->font());
  const int cell = metrics.horizontalAdvance("000");
  for (int c = 0; c < HexModel::kBytesPerRow; ++c)
    hex_view_->setColumnWidth(c, cell);
  hex_view_->setColumnWidth(HexModel::kTextColumn,
                            metrics.horizontalAdvance(QString(16, 'M')) + cell / 2);
}

void MainWindow::MakeDocks() {
  auto dock = [this](const char* name, const QString& title, QWidget* widget,
                     Qt::DockWidgetArea area) {
    auto* d = new QDockWidget(title, this);
    d->setObjectName(name);
    d->setWidget(widget);
    addDockWidget(area, d);
    return d;
  };
  chip_map_ = new ChipMap(&buffer_, this);
  chip_map_->setObjectName("chipMap");
  dock("chipMapDock", tr("Chip map"), chip_map_, Qt::RightDockWidgetArea);

  auto* board_and_image = new QWidget(this);
  board_panel_ = new BoardPanel(board_and_image);
  image_info_ = new ImageInfo(&buffer_, board_and_image);
  auto* layout = new QVBoxLayout(board_and_image);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(board_panel_);
  layout->addWidget(image_info_);
  layout->addStretch();
  dock("boardDock", tr("Board and image"), board_and_image,
       Qt::LeftDockWidgetArea);

  production_ = new ProductionPanel(this);
  production_->setObjectName("production");
  dock("productionDock", tr("Production run"), production_,
       Qt::RightDockWidgetArea);

  log_ = new QPlainTextEdit(this);
  log_->setObjectName("log");
  log_->setReadOnly(true);
  log_->setMaximumBlockCount(kLogLines);
  dock("logDock", tr("Log"), log_, Qt::BottomDockWidgetArea);
  tabifyDockWidget(findChild<QDockWidget*>("chipMapDock"),
                   findChild<QDockWidget*>("productionDock"));
  findChild<QDockWidget*>("chipMapDock")->raise();
}

QAction* MainWindow::AddAction(QMenu* menu, const char* name,
                               const QString& text,
                               const QKeySequence& shortcut) {
  auto* action = new QAction(text, this);
  action->setObjectName(name);
  action->setShortcut(shortcut);
  menu->addAction(action);
  return action;
}

void MainWindow::MakeActions() {
  QMenu* file = menuBar()->addMenu(tr("&File"));
  open_ = AddAction(file, "open", tr("&Open..."), Qt::CTRL | Qt::Key_O);
  recent_menu_ = file->addMenu(tr("Open &recent"));
  recent_menu_->setObjectName("recentFiles");
  reload_ = AddAction(file, "reload", tr("Re&load"), Qt::Key_F5);
  save_ = AddAction(file, "save", tr("&Save the buffer as..."),
                    Qt::CTRL | Qt::Key_S);
  file->addSeparator();
  watch_file_ = AddAction(file, "watchFile", tr("&Watch the file"),
                          Qt::CTRL | Qt::SHIFT | Qt::Key_W);
  watch_file_->setCheckable(true);
  write_on_change_ =
      AddAction(file, "writeOnChange", tr("Write the chip when it &changes"),
                Qt::CTRL | Qt::ALT | Qt::Key_W);
  write_on_change_->setCheckable(true);
  file->addSeparator();
  QAction* quit = AddAction(file, "quit", tr("&Quit"), Qt::CTRL | Qt::Key_Q);
  connect(open_, &QAction::triggered, this, &MainWindow::ChooseFile);
  connect(reload_, &QAction::triggered, this, &MainWindow::Reload);
  connect(save_, &QAction::triggered, this, &MainWindow::SaveBuffer);
  connect(quit, &QAction::triggered, this, &MainWindow::close);
  connect(watch_file_, &QAction::toggled, this, [this](bool on) {
    watch_.Watch(on ? path_ : QString());
    if (!on) write_on_change_->setChecked(false);
  });
  connect(write_on_change_, &QAction::toggled, this, [this](bool on) {
    if (on) watch_file_->setChecked(true);
  });

  QMenu* chip = menuBar()->addMenu(tr("&Chip"));
  const struct {
    const char* name;
    Command command;
    QKeySequence shortcut;
  } kChip[] = {
      {"signature", Command::kSignature, Qt::CTRL | Qt::Key_I},
      {"read", Command::kRead, Qt::CTRL | Qt::Key_R},
      {"write", Command::kWrite, Qt::CTRL | Qt::Key_W},
      {"verify", Command::kVerify, Qt::CTRL | Qt::Key_Y},
      {"erase", Command::kErase, Qt::CTRL | Qt::Key_E},
      {"blankCheck", Command::kBlankCheck, Qt::CTRL | Qt::Key_B},
  };
  QToolBar* tools = addToolBar(tr("Chip"));
  tools->setObjectName("chipToolBar");
  tools->setToolButtonStyle(Qt::ToolButtonTextOnly);
  for (const auto& c : kChip) {
    QAction* action =
        AddAction(chip, c.name, CommandName(c.command), c.shortcut);
    const Command command = c.command;
    connect(action, &QAction::triggered, this,
            [this, command] { StartCommand(command); });
    chip_actions_ << action;
    tools->addAction(action);
  }
  chip->addSeparator();
  stop_ =
      AddAction(chip, "stop", tr("&Stop at the next address"), Qt::Key_Escape);
  connect(stop_, &QAction::triggered, &programmer_, &Programmer::Stop);
  tools->addSeparator();
  tools->addAction(stop_);

  QMenu* board = menuBar()->addMenu(tr("&Board"));
  QAction* sim =
      AddAction(board, "simulatedBoard", tr("&Simulated board in a folder..."),
                Qt::CTRL | Qt::SHIFT | Qt::Key_B);
  QAction* hardware = AddAction(board, "realHardware", tr("Real &hardware"),
                                Qt::CTRL | Qt::SHIFT | Qt::Key_H);
  QAction* ports = AddAction(board, "checkTarnwick",
                             tr("&Check tarnwick and find the ports"),
                             Qt::CTRL | Qt::SHIFT | Qt::Key_P);
  connect(sim, &QAction::triggered, board_panel_, &BoardPanel::ChooseSimFolder);
  connect(hardware, &QAction::triggered, this, [this] {
    Board b = board_panel_->CurrentBoard();
    b.simulated = false;
    board_panel_->SetBoard(b);
    OnBoardChanged(b);
  });
  connect(ports, &QAction::triggered, this, &MainWindow::CheckTarnwick);

  QMenu* production = menuBar()->addMenu(tr("&Production"));
  production_start_ =
      AddAction(production, "productionStart", tr("&Start the production run"),
                Qt::CTRL | Qt::Key_P);
  connect(production_start_, &QAction::triggered, this,
          &MainWindow::StartProduction);
  production->addAction(stop_);

  QMenu* view = menuBar()->addMenu(tr("&View"));
  QAction* go = AddAction(view, "goToAddress", tr("&Go to address..."),
                          Qt::CTRL | Qt::Key_G);
  connect(go, &QAction::triggered, this, &MainWindow::GoToAddress);
  view->addSeparator();
  const struct {
    const char* dock;
    const char* name;
    Qt::Key key;
  } kDocks[] = {{"chipMapDock", "showChipMap", Qt::Key_1},
                {"boardDock", "showBoard", Qt::Key_2},
                {"productionDock", "showProduction", Qt::Key_3},
                {"logDock", "showLog", Qt::Key_4}};
  for (const auto& d : kDocks) {
    QAction* toggle = findChild<QDockWidget*>(d.dock)->toggleViewAction();
    toggle->setObjectName(d.name);
    toggle->setShortcut(Qt::CTRL | d.key);
    view->addAction(toggle);
  }

  QMenu* help = menuBar()->addMenu(tr("&Help"));
  QAction* about = AddAction(help, "about", tr("&About Tarnwick"), Qt::Key_F1);
  connect(about, &QAction::triggered, this, &MainWindow::About);
}

void MainWindow::Restore() {
  QSettings settings;
  restoreGeometry(settings.value("window/geometry").toByteArray());
  if (!restoreState(settings.value("window/state").toByteArray()))
    resize(1100, 720);
  Board board;
  board.simulated = settings.value("board/simulated", true).toBool();
  board.sim_dir = settings.value("board/simDir").toString();
  board.part = settings.value("board/part").toString();
  board_panel_->SetBoard(board);
  programmer_.SetBoard(board);
  folder_ = settings.value("files/folder").toString();
  recent_ = settings.value("files/recent").toStringList();
  watch_file_->setChecked(settings.value("files/watch", false).toBool());
  write_on_change_->setChecked(
      settings.value("files/writeOnChange", false).toBool());
  production_->LoadSettings();
  ShowRecent();
}

void MainWindow::SaveSettings() {
  QSettings settings;
  settings.setValue("window/geometry", saveGeometry());
  settings.setValue("window/state", saveState());
  const Board board = programmer_.CurrentBoard();
  settings.setValue("board/simulated", board.simulated);
  settings.setValue("board/simDir", board.sim_dir);
  settings.setValue("board/part", board.part);
  settings.setValue("files/folder", folder_);
  settings.setValue("files/recent", recent_);
  settings.setValue("files/watch", watch_file_->isChecked());
  settings.setValue("files/writeOnChange", write_on_change_->isChecked());
  production_->SaveSettings();
}

void MainWindow::CheckTarnwick() { programmer_.CheckCompatibility(); }

void MainWindow::UseSimulatedBoard(const QString& dir) {
  Board board = programmer_.CurrentBoard();
  board.simulated = true;
  board.sim_dir = QFileInfo(dir).absoluteFilePath();
  board_panel_->SetBoard(board);
  OnBoardChanged(board);
}

void MainWindow::OnBoardChanged(const Board& board) {
  const bool size_fixed_before = !programmer_.CurrentBoard().part.isEmpty();
  programmer_.SetBoard(board);
  board_panel_->SetSignature(tr("not read yet"));
  buffer_.ForgetChip();
  const int size = board.part == "89c52"   ? 8192
                   : board.part == "89c51" ? 4096
                                           : 0;
  if (size > 0 && size != buffer_.ChipSize()) {
    buffer_.SetChipSize(size);
    if (!path_.isEmpty()) OpenFile(path_);
  } else if (size == 0 && size_fixed_before && !path_.isEmpty()) {
    OpenFile(path_);
  }
}

// --- Files -------------------------------------------------------------------

bool MainWindow::OpenFile(const QString& path) {
  if (programmer_.Busy()) {
    Log(tr("A run is going: the file is opened once it has ended."));
    return false;
  }
  const bool fixed = !programmer_.CurrentBoard().part.isEmpty();
  const LoadedImage loaded =
      LoadImageForBuffer(path, buffer_.ChipSize(), fixed);
  const QString name = QFileInfo(path).fileName();
  if (!loaded.ok) {
    Log(tr("%1: %2").arg(name, loaded.error));
    stage_->setText(loaded.error);
    return false;
  }
  buffer_.SetImage(loaded.image, loaded.chip_size, name);
  image_info_->SetFormat(FormatName(loaded.format));
  path_ = QFileInfo(path).absoluteFilePath();
  folder_ = QFileInfo(path_).absolutePath();
  if (watch_file_->isChecked()) watch_.Watch(path_);
  AddRecent(path_);
  const ImageChecksums& s = buffer_.Checksums();
  Log(tr("Opened %1 (%2): %3 bytes given, SUM16 %4, CRC-32 %5.")
          .arg(path_, FormatName(loaded.format))
          .arg(s.bytes_given)
          .arg(QString::fromStdString(Sum16Text(s.sum16)),
               QString::fromStdString(Crc32Text(s.crc32))));
  if (loaded.chip_size > 4096 && !fixed)
    Log(tr("The image needs an 8 KB chip (89C52)."));
  UpdateActions();
  UpdateTitle();
  return true;
}

void MainWindow::ChooseFile() {
  const QString path = QFileDialog::getOpenFileName(
      this, tr("Open an image file"), folder_, ImageFilters());
  if (!path.isEmpty()) OpenFile(path);
}

void MainWindow::Reload() {
  if (!path_.isEmpty()) OpenFile(path_);
}

void MainWindow::SaveBuffer() {
  if (!buffer_.HasImage()) return;
  const QString path = QFileDialog::getSaveFileName(
      this, tr("Save the buffer as"), folder_, ImageFilters());
  if (path.isEmpty()) return;
  const QByteArray bytes = buffer_.ImageBytes();
  std::string error;
  const SaveResult saved = SaveImageFile(
      FilePath(QFile::encodeName(path).toStdString()), ImageFormat::kAuto,
      std::vector<uint8_t>(bytes.begin(), bytes.end()), &error);
  if (saved != SaveResult::kSaved) {
    Log(tr("%1 was not saved (%2).").arg(path, QString::fromStdString(error)));
    return;
  }
  folder_ = QFileInfo(path).absolutePath();
  AddRecent(path);
  Log(tr("Saved the buffer as %1.").arg(path));
}

void MainWindow::OnFileChanged(const QString& path) {
  if (path != path_) return;
  if (programmer_.Busy()) {
    reload_pending_ = true;
    write_pending_ = write_on_change_->isChecked();
    return;
  }
  Log(tr("%1 changed on disk: read again.").arg(QFileInfo(path).fileName()));
  if (OpenFile(path) && write_on_change_->isChecked())
    StartCommand(Command::kWrite);
}

void MainWindow::AddRecent(const QString& path) {
  recent_.removeAll(path);
  recent_.prepend(path);
  while (recent_.size() > kRecentFiles) recent_.removeLast();
  ShowRecent();
}

void MainWindow::ShowRecent() {
  recent_menu_->clear();
  for (int i = 0; i < recent_.size(); ++i) {
    const QString path = recent_[i];
    QAction* action = recent_menu_->addAction(
        tr("&%1 %2").arg(i + 1).arg(QFileInfo(path).fileName()));
    action->setToolTip(path);
    action->setData(path);
    connect(action, &QAction::triggered, this,
            [this, path] { OpenFile(path); });
  }
  recent_menu_->setEnabled(!recent_.isEmpty());
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() == 1 && urls.first().isLocalFile() && !programmer_.Busy())
    event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event) {
  const QList<QUrl> urls = event->mimeData()->urls();
  if (urls.size() != 1 || !urls.first().isLocalFile()) return;
  event->acceptProposedAction();
  OpenFile(urls.first().toLocalFile());
}

// --- Runs --------------------------------------------------------------------

void MainWindow::StartCommand(Command command) {
  QString why;
  if (!programmer_.Start(command, {}, &why)) {
    Log(tr("%1: %2").arg(CommandName(command), why));
    stage_->setText(why);
  }
}

void MainWindow::StartProduction() {
  const BatchSettings settings = production_->Settings();
  QString why = BatchSettingsProblem(settings);
  if (why.isEmpty() &&
      programmer_.Start(Command::kBatch, BatchArguments(settings), &why))
    return;
  Log(tr("%1: %2").arg(CommandName(Command::kBatch), why));
  stage_->setText(why);
}

void MainWindow::OnStarted(Command command) {
  if (command == Command::kBatch) production_->RunStarted();
  progress_->setRange(0, 0);  // busy until the first progress event
  progress_->setVisible(command != Command::kPorts);
  stage_->setText(CommandName(command));
  title_state_ = CommandName(command);
  Log(tr("%1: tarnwick %2")
          .arg(CommandName(command), programmer_.LastArguments().join(' ')));
  UpdateActions();
  UpdateTitle();
}

void MainWindow::OnEvent(const TarnwickEvent& event) {
  using Type = TarnwickEvent::Type;
  board_panel_->TakeEvent(event, programmer_.Current() == Command::kPorts);
  production_->TakeEvent(event);
  if (event.type == Type::kWarning || event.type == Type::kError) {
    Log(ProblemText(event));
    const QString text = event.Text("text");
    if (!text.isEmpty()) Log(tr("  (tarnwick: %1)").arg(text));
  } else if (event.type == Type::kResult &&
             programmer_.Current() == Command::kBatch) {
    Log(tr("Chip %1: %2")
            .arg(event.Number("chip"))
            .arg(ResultText(event.json)));
  }
}

void MainWindow::OnProgress(const QString& stage, qint64 done, qint64 total,
                            qint64 address) {
  if (total > 0) {
    progress_->setRange(0, static_cast<int>(total));
    progress_->setValue(static_cast<int>(done));
  }
  chip_map_->SetActiveAddress(static_cast<int>(address));
  stage_->setText(tr("%1 %2").arg(StageName(stage), Hex(address, 4)));
  const int percent = total > 0 ? static_cast<int>(100 * done / total) : 0;
  title_state_ = tr("%1 %2%").arg(StageName(stage)).arg(percent);
  UpdateTitle();
}

void MainWindow::OnSignature(int chip_size, const QString& text) {
  board_panel_->SetSignature(text);
  if (programmer_.Current() == Command::kSignature ||
      programmer_.Current() == Command::kBatch)
    Log(text);
  if (chip_size > 0 && chip_size != buffer_.ChipSize() &&
      programmer_.CurrentBoard().part.isEmpty()) {
    buffer_.SetChipSize(chip_size);
    reload_pending_ = !path_.isEmpty();
  }
}

void MainWindow::OnFinished(Command command, bool ok, const QString& message) {
  if (command == Command::kBatch) production_->RunEnded(message);
  progress_->setVisible(false);
  chip_map_->SetActiveAddress(-1);
  if (command == Command::kRead && ok) {
    path_.clear();
    watch_.Watch(QString());
    image_info_->SetFormat(QString());
  }
  if (command != Command::kPorts) {
    stage_->setText(message);
    Log(tr("%1: %2").arg(CommandName(command), message));
    title_state_ = ok ? tr("%1 passed").arg(CommandName(command))
                   : programmer_.StopAsked()
                       ? tr("%1 stopped").arg(CommandName(command))
                       : tr("%1 FAILED").arg(CommandName(command));
  } else {
    title_state_.clear();
  }
  UpdateActions();
  UpdateTitle();
  if (closing_) {
    close();
    return;
  }
  if (reload_pending_) {
    reload_pending_ = false;
    const bool write = write_pending_;
    write_pending_ = false;
    if (OpenFile(path_) && write) StartCommand(Command::kWrite);
  }
}

void MainWindow::OnCompatibility(Compatibility compatibility,
                                 const QString& why) {
  if (compatibility == Compatibility::kReady) {
    Log(tr("tarnwick is ready."));
  } else {
    Log(why);
    stage_->setText(why);
  }
  UpdateActions();
}

// --- The rest ----------------------------------------------------------------

void MainWindow::GoToAddress() {
  bool ok = false;
  const QString text = QInputDialog::getText(this, tr("Go to address"),
                                             tr("Address (hexadecimal):"),
                                             QLineEdit::Normal, QString(), &ok);
  if (!ok) return;
  const int address = text.trimmed().toInt(&ok, 16);
  if (ok && address >= 0 && address < buffer_.ChipSize()) ShowAddress(address);
}

void MainWindow::ShowAddress(int address) {
  const QModelIndex index = hex_model_->IndexOf(address);
  hex_view_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  hex_view_->setCurrentIndex(index);
}

void MainWindow::About() {
  QMessageBox::about(
      this, tr("About Tarnwick"),
      tr("<p><b>Tarnwick %1</b>: reads, programs, verifies and erases "
         "89C51-family chips on a home-made programmer board, through the "
         "tarnwick command line.</p>"
         "<p>Free software under the GNU General Public License, version 2 "
         "or (at your option) any later version. It comes with ABSOLUTELY NO "
         "WARRANTY.</p>")
          .arg(QStringLiteral(TARNWICK_GUI_VERSION)));
}

void MainWindow::UpdateActions() {
  const bool busy = programmer_.Busy();
  const Compatibility c = programmer_.CurrentCompatibility();
  const bool usable =
      c == Compatibility::kReady || c == Compatibility::kUnknown;
  const bool can_run = !busy && usable;
  for (QAction* action : chip_actions_) action->setEnabled(can_run);
  for (const char* name : {"write", "verify", "productionStart"})
    findChild<QAction*>(name)->setEnabled(can_run && buffer_.HasImage());
  findChild<QAction*>("checkTarnwick")->setEnabled(!busy);
  stop_->setEnabled(busy);
  open_->setEnabled(!busy);
  reload_->setEnabled(!busy && !path_.isEmpty());
  save_->setEnabled(buffer_.HasImage());
  recent_menu_->setEnabled(!busy && !recent_.isEmpty());
  production_->SetIdle(can_run && buffer_.HasImage());
}

void MainWindow::UpdateTitle() {
  QString title = tr("Tarnwick");
  if (buffer_.HasImage()) title += " - " + buffer_.Name();
  if (!title_state_.isEmpty()) title += " - " + title_state_;
  setWindowTitle(title);
}

void MainWindow::Log(const QString& text) {
  log_->appendPlainText(QStringLiteral("%1  %2").arg(
      QTime::currentTime().toString("HH:mm:ss"), text));
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (programmer_.Busy()) {
    event->ignore();
    if (closing_) return;  // already stopping
    const auto answer = QMessageBox::question(
        this, tr("A run is going"),
        tr("%1 is running. Stop it at the next address and close once it "
           "has ended?")
            .arg(CommandName(programmer_.Current())),
        QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer != QMessageBox::Yes) return;
    if (!programmer_.Busy()) {  // it ended while the question was open
      QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
      return;
    }
    closing_ = true;
    stage_->setText(tr("Stopping at the next address, then closing..."));
    programmer_.Stop();
    return;
  }
  SaveSettings();
  event->accept();
}
