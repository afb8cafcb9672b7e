// The end-to-end test's drag source: a small window at the screen's top
// left that, pressed, drags the file named on its command line as a file
// manager would (XDND). It says each state on a line of its own, for the
// test to wait for: shown, dragging, accepted (a window takes the drop),
// then dropped or ignored.   drag_source FILE

#include <QApplication>
#include <QDrag>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextStream>
#include <QUrl>
#include <QWidget>

namespace {

void Say(const char* word) { QTextStream(stdout) << word << Qt::endl; }

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
