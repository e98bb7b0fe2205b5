#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>

class QWidget;

// Scripted answers and the transcript, for tests and scripted demos.
//
// EZX_AUTOMATION names a script file; when it is set every dialog that would
// wait for the user takes its answer from the script instead, and the
// main-window steps of the script run once the main widget is shown.
// EZX_TRANSCRIPT names a file that receives one JSON object per line (the
// file is appended to; every line is flushed at once). Both are read when
// first needed; reset() makes the next use read them again.
// The script language is described in docs/automation.md.
namespace ZAutomation {

bool active(); // EZX_AUTOMATION is set

struct Answer {
    enum Kind { Cancelled, Accept, Reject, Check, Text, Number, File } kind = Cancelled;
    QList<int> checks; // Check: the entries to check, in script order
    QString text;      // Text: the text; File: the path's bytes, one character each
    int number = 0;    // Number
    QString line;      // the script line taken ("" when the script was used up)
};

// Next answer line for a dialog. "shot" lines met on the way are carried out
// first (the dialog asking should already be visible). When the script is
// used up, or the next line is a main-window step (left in place), or the
// line is no answer at all (taken), the result is Cancelled; line then tells
// which.
Answer nextAnswer();

void recordDialog(const QJsonObject& fields);   // adds "event":"dialog"
void record(const QJsonObject& event);          // one JSON line to EZX_TRANSCRIPT
void recordCommand(const QString& command);     // {"event":"command","command":...}

// --- used by the platform itself, and by tests ---

// Whether a transcript file is set.
bool recording();

// Queues the main-window steps of the script to start once the event loop
// runs, against that widget. Called by ZApplication::showMainWidget.
void startSteps(QWidget* mainWidget);

// Runs one main-window step line now ("tab 1", "dump", ...). Returns false
// and records an "error" event when the step cannot be done.
bool runStep(QWidget* mainWidget, const QString& line);

// Writes a PNG of what a person would see: the main widget with any open
// options menu, full-screen dialog, dialog or notice composed over it.
bool saveScreenShot(const QString& path);

// The JSON "answer" value a dialog records: the line taken, or null.
QJsonValue answerValue(const Answer& answer);

// Forgets the script, its position and the transcript file, so that the next
// use reads EZX_AUTOMATION and EZX_TRANSCRIPT again. For tests.
void reset();

} // namespace ZAutomation
