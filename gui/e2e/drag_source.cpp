// A test fixture of the end-to-end test: a small window at the top left of
// the screen that, when pressed, drags the file named on its command line
// as another program's file manager would (XDND). It tells its state on
// standard output, one word a line, so the test can wait for each:
//   shown        the window is on the screen
//   dragging     the drag began
//   accepted     a window under the pointer takes the drop
//   dropped      the drag ended with a drop; "ignored" when it did not
//
//   drag_source FILE

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextStream>
#include <QUrl>
#include <QWidget>

namespace {

void Say(const char* word) {
  QTextStream(stdout) << word << Qt::endl;
}

class DragSource : public QWidget {
 public:
  explicit DragSource(const QString& file) : file_(file) {
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setGeometry(0, 0, 80, 80);
    setStyleSheet("background: #2b5d8a");
  }

 protected:
  void showEvent(QShowEvent*) override { Say("shown"); }
  void mousePressEvent(QMouseEvent*) override {
    auto* drag = new QDrag(this);
    auto* mime = new QMimeData;
    mime->setUrls({QUrl::fromLocalFile(file_)});
    drag->setMimeData(mime);
    connect(drag, &QDrag::actionChanged, [](Qt::DropAction action) {
      if (action != Qt::IgnoreAction) Say("accepted");
    });
    Say("dragging");
    Say(drag->exec(Qt::CopyAction) == Qt::IgnoreAction ? "ignored" : "dropped");
  }

 private:
  QString file_;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc != 2) return 2;
  DragSource source(QString::fromLocal8Bit(argv[1]));
  source.show();
  return app.exec();
}
