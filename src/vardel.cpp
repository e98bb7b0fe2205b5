#include "vardel.h"

#include <QCoreApplication>
#include <QTextCodec>

#include <ZApplication.h>
#include <ZConfig.h>
#include <ZListBox.h>

#include "history/recorder.h"
#include "shell/busylock.h"
#include "shell/shellrun.h"
#include "shell/startup.h"
#include "shell/texts.h"

ZApplication* app = nullptr;
QTextCodec* txtcodec = QTextCodec::codecForName("UTF-8");
QString ProgDir;

namespace {

ZApplication* application()
{
    return app ? app : qobject_cast<ZApplication*>(QCoreApplication::instance());
}

} // namespace

Vardel::Vardel(const QString& argument, QWidget* parent, const char* /*name*/, int /*flags*/)
    : ZKbMainWidget(3, nullptr, "ZMainWidget", 0)
{
    getProgramDir();
    // Every change made from here on is kept in the history (windowless
    // installations too).
    History::setFolder(progDir + "history");
    ZConfig::setReplaceObserver(&History::willChange);
    const ZConfig settings(progDir + "/Vardel.cfg", false);
    langFile = progDir + "/languages/" + settings.readEntry("Vardel", "Language", "");

    // The SIM check changes nothing and needs no lock; an installation
    // holds it throughout, and the window while it fills its lists from the
    // scratch files (a window that cannot get it gives up, and no window
    // opens).
    switch (Startup::modeFor(argument)) {
    case Startup::Mode::SimCheck:
        runZWardlex();
        break;
    case Startup::Mode::Install:
        oneAtATime([&] { Instalar(argument); });
        break;
    case Startup::Mode::Window:
        if (!oneAtATime([&] { CreateWindow(parent); }))
            break;
        if (ZApplication* a = application())
            a->showMainWidget(this);
        return;
    }

    // A windowless start ends here, on its own: main() returns without
    // entering the event loop. Other Vardels (the owner's window, another
    // installation) are left alone.
    QCoreApplication::quit();
    windowless = true;
}

Vardel::~Vardel() = default;

QString Vardel::getProgramDir()
{
    progDir = Startup::programDir();
    return progDir;
}

bool Vardel::languageIsUnicode()
{
    // A list of themes converts hundreds of names: the language file is
    // read for the first of them only.
    if (!textoKnown || textoLanguage != langFile) {
        textoUnicode = Texts::isUnicode(ZConfig(langFile, false));
        textoLanguage = langFile;
        textoKnown = true;
    }
    return textoUnicode;
}

QString Vardel::texto(const char* bytes)
{
    return Texts::decode(bytes, languageIsUnicode());
}

QString Vardel::texto(const QByteArray& bytes)
{
    return texto(bytes.constData());
}

QString Vardel::text(const ZConfig& lang, const char* id)
{
    // A text the chosen language lacks comes from the English file, decoded
    // as that file says.
    bool english = false;
    const QByteArray bytes = Texts::entry(lang, progDir, id, &english).toLatin1();
    return english ? Texts::decode(bytes.constData(), Texts::englishIsUnicode(progDir)) : texto(bytes);
}

QString Vardel::getFileName(const QString& path)
{
    return Shell::fileNameOf(path);
}

void Vardel::emptyList(ZListBox* list)
{
    while (list->count() > 0)
        list->removeItem(0);
}
