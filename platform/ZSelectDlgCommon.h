#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

class QLabel;
class QVBoxLayout;
class QWidget;
class ZListBox;

// Pieces shared by the single and multi select dialogs. Internal.
namespace ZSelectDlgCommon {

// The prompt label (hidden when empty) and the list, added to the body.
QLabel* addPrompt(QWidget* dialog, QVBoxLayout* body, const QString& text);
ZListBox* addList(QWidget* dialog, QVBoxLayout* body, bool radio);
void addEntries(ZListBox* list, const QStringList& entries);

QJsonArray entries(const ZListBox* list);
QJsonArray checked(const ZListBox* list);

// Checks exactly these rows. False (nothing changed) when one is out of range.
bool checkExactly(ZListBox* list, const QList<int>& rows, QString* error);

} // namespace ZSelectDlgCommon
