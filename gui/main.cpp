// tarnwick-gui: the desktop program for Linux. It drives the board only
// through the tarnwick command line (see Programmer), in the language of the
// system's locale.

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "gui/launch.h"
#include "gui/main_window.h"
#include "gui/version.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setOrganizationName("Tarnwick");
  QApplication::setApplicationName("tarnwick-gui");
  QApplication::setApplicationVersion(TARNWICK_GUI_VERSION);
  QApplication::setDesktopFileName("invalid.tarnwick.Tarnwick");

  // The program's texts, and Qt's own (its dialogs' buttons), for the
  // system's language; English needs neither.
  QTranslator own, qt;
  if (own.load(QLocale(), "tarnwick", "_", ":/i18n"))
    QApplication::installTranslator(&own);
  if (qt.load(QLocale(), "qtbase", "_",
              QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qt);

  QCommandLineParser parser;
  parser.setApplicationDescription(QApplication::translate(
      "main",
      "Reads, programs, verifies and erases 89C51-family chips "
      "through the tarnwick command line."));
  parser.addHelpOption();
  parser.addVersionOption();
  const QCommandLineOption sim(
      "sim",
      QApplication::translate("main", "Drive the simulated board in DIR."),
      QApplication::translate("main", "DIR"));
  const QCommandLineOption tarnwick(
      "tarnwick",
      QApplication::translate("main",
                              "The tarnwick program to drive (default: the "
                              "one beside this program, else on PATH)."),
      QApplication::translate("main", "PATH"));
  parser.addOption(sim);
  parser.addOption(tarnwick);
  parser.addPositionalArgument(
      "file", QApplication::translate("main", "An image file to open."),
      QApplication::translate("main", "[FILE]"));
  parser.process(app);

  const QString program =
      FindTarnwick(parser.value(tarnwick), QApplication::applicationDirPath());
  MainWindow window(program.isEmpty() ? Launch() : LaunchFor(program, true),
                    program.isEmpty() ? Launch() : LaunchFor(program, false));
  if (parser.isSet(sim)) window.UseSimulatedBoard(parser.value(sim));
  if (!parser.positionalArguments().isEmpty())
    window.OpenFile(parser.positionalArguments().first());
  window.show();
  window.CheckTarnwick();
  return app.exec();
}
