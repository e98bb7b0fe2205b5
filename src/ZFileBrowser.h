#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <QStringList>

#include <ZListBox.h>

// One row of a directory listing as the browser shows it.
struct BrowserRow {
    enum Kind { Folder, File, Back };
    Kind kind;
    QString name;
    bool operator==(const BrowserRow&) const = default;
};

// The rows for a directory whose canonical path is dir, given the names its
// listing holds (as bytes, one character each): folders first, then files,
// each group in case-sensitive byte order; "." left out; ".." shown as an ordinary folder. When the
// listing has no "..", a back row named ".." leads the list, except in "/"
// or a directory of a one-character path.
QList<BrowserRow> browserRows(QStringList folders, QStringList files, const QString& dir);

// A list that shows one directory at a time, folders first, and lets the
// user walk the tree. Highlighting a file picks it; entering a folder (select
// or click) lists it.
//
// Paths and names are held as their bytes (see shell/paths.h): the rows show
// the names decoded for the eye, a byte that is not UTF-8 as U+FFFD, but
// every path the browser gives out names exactly the entry listed.
class FileBrowser : public ZListBox
{
    Q_OBJECT
public:
    FileBrowser(const QString& filter, const QString& layout, QWidget* parent, int flags,
                ZSkinService::WidgetClsID cls);
    ~FileBrowser() override;

    // Lists a directory. When it cannot be read the list is left empty and
    // currentDir keeps its old value.
    void setDir(const QString& path);

    // Lists the directory of path and highlights the row of its last part,
    // as a user walking there would. False when there is no such row.
    bool showEntry(const QString& path);

    // The row's entry name (its bytes), the text the row shows, and the
    // entry's full path in currentDir.
    QString rowName(int index) const;
    QString rowText(int index) const;
    QString rowPath(int index) const;

    QString filter;     // name filter for files; folders are never filtered
    QString currentDir; // canonical path of the directory listed
    QString pickedPath; // the file last highlighted or selected, or ""

signals:
    void picked(const QString& path);
    void isFilePicked(bool isFile);

protected:
    bool viewportEvent(QEvent* event) override;

private slots:
    void itemHighlighted(int index);
    void itemSelected(int index);
    void itemClicked(ZListBoxItem* item);

private:
    // Lists the folder of that row; for "..", highlights the folder left.
    void enter(int index);

    QElapsedTimer enteredByClick; // since a click last listed a folder
};
