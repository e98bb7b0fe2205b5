#include "ZFileBrowser.h"

#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QRegularExpression>

#include <ZListBoxItem.h>

#include "shell/paths.h"
#include "shell/startup.h"
#include "vardel.h"

#include <fnmatch.h>

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

// A row of the browser: the entry's name as its bytes, which the row shows
// decoded.
class BrowserItem : public ZListBoxItem
{
public:
    BrowserItem(ZListBox* list, const QString& layout, const QString& name)
        : ZListBoxItem(list, layout)
        , name(name)
    {
    }
    const QString name;
};

// Whether a file name matches the filter: wildcard patterns separated by
// blanks or ";", letter case ignored, as QDir takes a name filter.
bool matches(const QString& filter, const QString& name)
{
    const QByteArray bytes = Paths::toBytes(name);
    const QStringList patterns = filter.split(QRegularExpression(QStringLiteral("[ ;]")),
                                              Qt::SkipEmptyParts);
    if (patterns.isEmpty())
        return true;
    for (const QString& pattern : patterns) {
        if (::fnmatch(Paths::toBytes(pattern).constData(), bytes.constData(), FNM_CASEFOLD) == 0)
            return true;
    }
    return false;
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
    ProgDir = Startup::programDir();
    setDir(Paths::currentDirectory());

    connect(this, &ZListBox::highlighted, this, &FileBrowser::itemHighlighted);
    connect(this, &ZListBox::selected, this, &FileBrowser::itemSelected);
    connect(this, &ZListBox::clicked, this, &FileBrowser::itemClicked);
}

FileBrowser::~FileBrowser() = default;

void FileBrowser::setDir(const QString& path)
{
    clear();

    QStringList folders;
    QStringList files;
    if (!Paths::listDirectory(path, &folders, &files))
        return;
    files.removeIf([this](const QString& name) { return !matches(filter, name); });

    const QString canonical = Paths::canonical(path);
    currentDir = canonical.isEmpty() ? path : canonical;

    const QPixmap pictures[] = {
        Paths::loadPixmap(ProgDir + QLatin1String("/images/folder.png")),
        Paths::loadPixmap(ProgDir + QLatin1String("/images/file.png")),
        Paths::loadPixmap(ProgDir + QLatin1String("/images/back.png")),
    };
    const QString rowLayout = layout();
    for (const BrowserRow& row : browserRows(folders, files, currentDir)) {
        auto* item = new BrowserItem(this, rowLayout, row.name);
        item->setPixmap(0, pictures[row.kind]);
        item->appendSubItem(1, Paths::forDisplay(row.name));
        insertItem(item, -1, true);
    }
}

bool FileBrowser::showEntry(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return false;
    setDir(slash == 0 ? QStringLiteral("/") : path.left(slash));
    const QString name = path.mid(slash + 1);
    for (int i = 0; i < count(); ++i) {
        if (rowName(i) != name)
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
    const auto* row = dynamic_cast<const BrowserItem*>(item(index));
    return row ? row->name : QString();
}

QString FileBrowser::rowText(int index) const
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
    if (index >= 0 && index < count() && Paths::isRegularFile(path)) {
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
    if (Paths::isDirectory(path))
        enter(index);
    else if (Paths::isRegularFile(path))
        pickedPath = path;
}

void FileBrowser::enter(int index)
{
    const QString from = currentDir;
    const bool up = rowName(index) == QLatin1String("..");
    setDir(rowPath(index));
    if (!up || currentDir == from)
        return;
    // Going up highlights the folder the user came from.
    const QString came = from.mid(from.lastIndexOf(u'/') + 1);
    for (int i = 0; i < count(); ++i) {
        if (rowName(i) == came) {
            setCurrentItem(i, true);
            return;
        }
    }
}

void FileBrowser::itemClicked(ZListBoxItem* row)
{
    const int i = index(row);
    if (i < 0)
        return;
    if (Paths::isDirectory(rowPath(i))) {
        enter(i);
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
