#ifndef TARNWICK_GUI_MESSAGES_H_
#define TARNWICK_GUI_MESSAGES_H_

#include <QJsonObject>
#include <QString>

#include "gui/command.h"
#include "gui/event_stream.h"
#include "gui/tarnwick_run.h"

// The program's own words for what tarnwick's events say (tarnwick's
// English is only ever shown as a detail, for codes this program does not
// know). All of them translated.

// Upper-case hexadecimal, `digits` wide: "0FA0".
QString Hex(qint64 value, int digits);

// "Programming", for a progress event's "stage".
QString StageName(const QString& stage);

// The signature event: "1E 51 FF: 89C51, 4 KB".
QString SignatureText(const QJsonObject& signature);

// A result event, for the log and the status bar.
QString ResultText(const QJsonObject& result);

// An error or warning event: this program's words for the codes it knows,
// tarnwick's English for the others.
QString ProblemText(const TarnwickEvent& event);

// What went wrong with the run as a whole (too old or too new a tarnwick, a
// stream cut off, a crash); empty when it ended as it should.
QString EndProblem(const RunEnd& end);

#endif  // TARNWICK_GUI_MESSAGES_H_
