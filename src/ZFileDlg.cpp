#include "ZFileDlg.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLabel>
#include <QVBoxLayout>

#include <ZConfig.h>
#include <ZMessageDlg.h>
#include <ZMultiLineEdit.h>
#include <ZSoftKey.h>

#include "ZFileBrowser.h"
#include "shell/paths.h"
#include "shell/startup.h"
#include "shell/texts.h"

QString languageText(const ZConfig& language, const char* id)
{
    bool english = false;
    const QByteArray bytes = Texts::entry(language, Startup::programDir(), id, &english).toLatin1();
    const bool unicode = english ? Texts::englishIsUnicode(Startup::programDir()) : Texts::isUnicode(language);
    return unicode ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes);
}

namespace {

constexpr int fileBrowserClass = 4;

// The browser of both file dialogs, listing "/", stretched over the content.
FileBrowser* addBrowser(QWidget* content, QVBoxLayout* column)
{
    auto* browser = new FileBrowser(QStringLiteral("*"), QStringLiteral("%I%M"), content, 0,
                                    static_cast<ZSkinService::WidgetClsID>(fileBrowserClass));
    browser->setDir(QStringLiteral("/"));
    column->addWidget(browser, 1);
    return browser;
}

ZSoftKey* makeKeys(MyBaseDlg* dialog, const QString& select, const QString& cancel)
{
    auto* keys = new ZSoftKey(nullptr, dialog, dialog);
    keys->setText(ZSoftKey::LEFT, select, 0);
    keys->setText(ZSoftKey::RIGHT, cancel, 0);
    keys->setClickedSlot(ZSoftKey::RIGHT, dialog, SLOT(reject()));
    keys->setClickedSlot(ZSoftKey::LEFT, dialog, SLOT(accept()));
    return keys;
}

// The listing as entries, the highlighted row as the one checked.
void describeBrowser(QJsonObject& fields, const FileBrowser* browser, const QString& text)
{
    QJsonArray entries;
    for (int i = 0; i < browser->count(); ++i)
        entries.append(browser->rowText(i));
    QJsonArray checked;
    if (browser->currentItem() >= 0)
        checked.append(browser->currentItem());
    fields[QStringLiteral("text")] = text;
    fields[QStringLiteral("entries")] = entries;
    fields[QStringLiteral("checked")] = checked;
}

} // namespace

ZFileOpenDialog::ZFileOpenDialog()
{
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);
    browser = addBrowser(content, column);
    setMainWidgetTitle(QStringLiteral("Vardel"));
    setContentWidget(content);

    // The texts come from the language chosen in the settings file.
    const QString programDir = Startup::programDir();
    const ZConfig settings(programDir + QLatin1String("/Vardel.cfg"), false);
    const ZConfig language(programDir + QLatin1String("/languages/")
                               + settings.readEntry(QStringLiteral("Vardel"),
                                                    QStringLiteral("Language"), QLatin1String("")),
                           false);
    setCSTWidget(makeKeys(this, languageText(language, "MENU_SELECT"),
                          languageText(language, "MENU_CANCEL")));
}

ZFileOpenDialog::~ZFileOpenDialog() = default;

void ZFileOpenDialog::accept()
{
    fileName = browser->pickedPath;
    dirName = browser->currentDir;
    MyBaseDlg::accept();
}

bool ZFileOpenDialog::answerFile(const QString& path)
{
    if (!browser->showEntry(path))
        return false;
    accept();
    return true;
}

QJsonObject ZFileOpenDialog::describe() const
{
    QJsonObject fields = MyBaseDlg::describe();
    describeBrowser(fields, browser, Paths::forDisplay(browser->currentDir));
    return fields;
}

ZFileSaveDialog::ZFileSaveDialog()
{
    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);

    auto* label = new QLabel(QStringLiteral("Filename to save:"), content);
    label->setIndent(5);
    column->addWidget(label);
    nameField = new ZMultiLineEdit(content);
    column->addWidget(nameField);
    browser = addBrowser(content, column);

    setMainWidgetTitle(QStringLiteral("Vardel"));
    setContentWidget(content);

    const ZConfig language(QStringLiteral("/tmp/VardelLang"), false);
    setCSTWidget(makeKeys(this,
                          language.readEntry(QStringLiteral("VARDEL"),
                                             QStringLiteral("MENU_SELECT"), QLatin1String("")),
                          language.readEntry(QStringLiteral("VARDEL"),
                                             QStringLiteral("MENU_CANCEL"), QLatin1String(""))));
}

ZFileSaveDialog::~ZFileSaveDialog() = default;

void ZFileSaveDialog::accept()
{
    const QString name = nameField->text();
    if (name.isEmpty()) {
        ZMessageDlg message(QStringLiteral("Error"), QStringLiteral("Please enter a file name."),
                            ZMessageDlg::TypeInformation, 0, this, "About");
        message.setPicture(QStringLiteral("Dialog_Question_Mark.gif"));
        message.exec();
        return;
    }
    // The typed name as the bytes of a file name, like dirName.
    fileName = Paths::fromQt(name);
    dirName = browser->currentDir;
    MyBaseDlg::accept();
}

bool ZFileSaveDialog::answerFile(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString dir = slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/")
                                                                     : path.left(slash);
    browser->setDir(dir);
    // Never save into some other directory than the one asked for.
    const QString canonical = Paths::canonical(dir);
    if (canonical.isEmpty() || browser->currentDir != canonical)
        return false;
    nameField->setText(Paths::forDisplay(path.mid(slash + 1)));
    accept();
    return true;
}

bool ZFileSaveDialog::answerText(const QString& text)
{
    nameField->setText(text);
    accept();
    return true;
}

QJsonObject ZFileSaveDialog::describe() const
{
    QJsonObject fields = MyBaseDlg::describe();
    describeBrowser(fields, browser, nameField->text());
    return fields;
}

void ZFileSaveDialog::keyPressEvent(QKeyEvent* event)
{
    // Left and Right move in the name; the list keeps Up and Down.
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        QCoreApplication::sendEvent(nameField, event);
        return;
    }
    MyBaseDlg::keyPressEvent(event);
}
