#pragma once

#include <QString>

#include "BaseDlg.h"

class FileBrowser;
class ZConfig;
class ZMultiLineEdit;

// The soft-key text of a language file entry, decoded as the file's UNICODE
// entry says (UTF-8 when it is "1", Latin-1 otherwise).
QString languageText(const ZConfig& language, const char* id);

// Full-screen file chooser: a browser that starts at "/", a select key and a
// cancel key. After exec() returned 1, fileName holds the chosen file ("" when
// a folder was highlighted) and dirName the directory shown, both as their
// bytes (shell/paths.h), ready for a command.
class ZFileOpenDialog : public MyBaseDlg
{
    Q_OBJECT
public:
    ZFileOpenDialog();
    ~ZFileOpenDialog() override;

    QString fileName;
    QString dirName;
    FileBrowser* browser;

protected:
    void accept() override;
    bool answerFile(const QString& path) override;
    QJsonObject describe() const override;
};

// Full-screen dialog that asks for a file name and a directory to save into.
// Accepting with an empty name explains and keeps the dialog open. fileName
// is the typed name's UTF-8 bytes, dirName the directory's bytes.
class ZFileSaveDialog : public MyBaseDlg
{
    Q_OBJECT
public:
    ZFileSaveDialog();
    ~ZFileSaveDialog() override;

    ZMultiLineEdit* nameField;
    QString fileName;
    QString dirName;
    FileBrowser* browser;

protected:
    void accept() override;
    bool answerFile(const QString& path) override;
    bool answerText(const QString& text) override;
    QJsonObject describe() const override;
    void keyPressEvent(QKeyEvent* event) override;
};
