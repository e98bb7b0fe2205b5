#include "ZFileBrowser.h"

#include <QApplication>
#include <QEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPixmap>

#include <ZListBoxItem.h>

#include "shell/startup.h"
#include "vardel.h"

#include <dirent.h>

QList<BrowserRow> browserRows(QStringList folders, QStringList files, const QString& dir)
{
    folders.sort(Qt::CaseSensitive);
    files.sort(Qt::CaseSensitive);

    QList<BrowserRow> rows;
    bool hasParent = false;
    const auto add = [&](const QStringList& names, BrowserRow::Kind kind) {
        for (const QString& name : names) {
            if (name == QLatin1String("."))
                continue;
            if (name == QLatin1String(".."))
                hasParent = true;
            rows.append({kind, name});
        }
    };
    add(folders, BrowserRow::Folder);
    add(files, BrowserRow::File);

    if (!hasParent && dir != QLatin1String("/") && dir.size() != 1)
        rows.prepend({BrowserRow::Back, QStringLiteral("..")});
    return rows;
}

namespace {

// Whether the directory can really be listed by this process. QDir's own
// readability test asks for the real user's rights, and an entry list that
// fails is simply empty, so open it once to be sure.
bool canList(const QString& path)
{
    DIR* dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return false;
    ::closedir(dir);
    return true;
}

QString currentProgramDir()
{
    return Startup::programDir(QCoreApplication::arguments().value(0),
                               QCoreApplication::applicationDirPath());
}

} // namespace

FileBrowser::FileBrowser(const QString& filter, const QString& layout, QWidget* parent,
                         int flags, ZSkinService::WidgetClsID cls)
    : ZListBox(layout, parent, flags, cls)
    , filter(filter)
    , pickedPath(QLatin1String(""))
{
    // The row pictures come from the program directory; know it before the
    // first listing so that it has them too.
    ProgDir = currentProgramDir();
    setDir(QDir::currentPath());

    connect(this, &ZListBox::highlighted, this, &FileBrowser::itemHighlighted);
    connect(this, &ZListBox::selected, this, &FileBrowser::itemSelected);
    connect(this, &ZListBox::clicked, this, &FileBrowser::itemClicked);
}

FileBrowser::~FileBrowser() = default;

void FileBrowser::setDir(const QString& path)
{
    clear();

    QDir dir(path, filter, QDir::Name | QDir::IgnoreCase, QDir::AllEntries);
    if (!dir.exists() || !canList(path))
        return;

    dir.setFilter(QDir::AllDirs | QDir::Hidden);
    const QStringList folders = dir.entryList();
    dir.setFilter(QDir::Files | QDir::Hidden);
    const QStringList files = dir.entryList();

    currentDir = dir.canonicalPath();

    const QPixmap pictures[] = {
        QPixmap(ProgDir + QLatin1String("/images/folder.png")),
        QPixmap(ProgDir + QLatin1String("/images/file.png")),
        QPixmap(ProgDir + QLatin1String("/images/back.png")),
    };
    const QString rowLayout = layout();
    for (const BrowserRow& row : browserRows(folders, files, currentDir)) {
        auto* item = new ZListBoxItem(this, rowLayout);
        item->setPixmap(0, pictures[row.kind]);
        item->appendSubItem(1, row.name);
        insertItem(item, -1, true);
    }
}

bool FileBrowser::showEntry(const QString& path)
{
    const QFileInfo info(path);
    setDir(info.path());
    for (int i = 0; i < count(); ++i) {
        if (rowName(i) != info.fileName())
            continue;
        // A row that is current already would not be highlighted again.
        if (currentItem() == i)
            itemHighlighted(i);
        else
            setCurrentItem(i, true);
        return true;
    }
    return false;
}

QString FileBrowser::rowName(int index) const
{
    const ZListBoxItem* row = item(index);
    return row ? row->getSubItemText(1, 0) : QString();
}

QString FileBrowser::rowPath(int index) const
{
    return currentDir + u'/' + rowName(index);
}

void FileBrowser::itemHighlighted(int index)
{
    const QString path = rowPath(index);
    if (index >= 0 && index < count() && QFileInfo(path).isFile()) {
        pickedPath = path;
        emit picked(path);
        emit isFilePicked(true);
    } else {
        pickedPath = QLatin1String("");
        emit isFilePicked(false);
    }
}

void FileBrowser::itemSelected(int index)
{
    if (index < 0 || index >= count())
        return;
    const QString path = rowPath(index);
    const QFileInfo info(path);
    if (info.isDir())
        setDir(path);
    else if (info.isFile())
        pickedPath = path;
}

void FileBrowser::itemClicked(ZListBoxItem* row)
{
    const int i = index(row);
    if (i < 0)
        return;
    const QString path = rowPath(i);
    if (QFileInfo(path).isDir()) {
        setDir(path);
        enteredByClick.start();
    }
}

// A click enters a folder at once, so the rest of a double click would land
// on whatever row of the new listing lies under the mouse and go on into it.
// The presses of that double click are dropped.
bool FileBrowser::viewportEvent(QEvent* event)
{
    const bool press = event->type() == QEvent::MouseButtonPress
                       || event->type() == QEvent::MouseButtonDblClick;
    if (press && enteredByClick.isValid()
        && enteredByClick.elapsed() < QApplication::doubleClickInterval()) {
        event->accept();
        return true;
    }
    return ZListBox::viewportEvent(event);
}
