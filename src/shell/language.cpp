// The language chooser.

#include "vardel.h"

#include <QApplication>
#include <QStringList>
#include <QTextCodec>

#include <ZConfig.h>
#include <ZListBox.h>
#include <ZNavTabWidget.h>
#include <ZSingleSelectDlg.h>

#include "shell/shellrun.h"

void Vardel::language()
{
    QString title;
    QString currentName;
    {
        const ZConfig lang(langFile, false);
        title = text(lang, "MENU_LANGUAGE");
        currentName = lang.readEntry("VARDEL", "LANG_NAME", "");
    }

    auto* dialog = new ZSingleSelectDlg(title, QString(), nullptr, "ZSingleSelectDlg", true);

    // The files of languages/, one per line in the order ls prints them; each
    // line is one choice.
    Shell::run(QStringLiteral("ls %1/languages/ > %2/ltemp"), progDir, progDir);
    const QString scratch = progDir + "/ltemp";
    QStringList names;
    int current = 0;
    const QStringList files = Shell::readLines(scratch);
    for (int position = 0; position < files.size(); ++position) {
        const ZConfig candidate(progDir + "/languages/" + files[position], false);
        const QString name = candidate.readEntry("VARDEL", "LANG_NAME", "");
        const bool unicode = candidate.readEntry("VARDEL", "UNICODE", "") == QLatin1String("1");
        names << (unicode ? txtcodec->toUnicode(name.toLatin1()) : name);
        if (name == currentName)
            current = position;
    }
    dialog->addItemsList(names);
    if (!names.isEmpty())
        dialog->getListBox()->checkItem(current, true);

    if (dialog->exec() == 1) {
        const int chosen = dialog->getCheckedItemIndex();
        const QStringList again = Shell::readLines(scratch);
        if (chosen >= 0 && chosen < again.size()) {
            const QString& file = again[chosen];
            langFile = progDir + "/languages/" + file;
            textoKnown = false; // the chosen file is read afresh, even when it is the same
            ZConfig settings(progDir + "/Vardel.cfg", true);
            settings.writeEntry("Vardel", "Language", file);
            QApplication::processEvents();

            createMenuOfTab(tabWidget->currentPageIndex());
            Create_SoftKey();

            // Each list keeps its current row: only the words change.
            refillList(listaAutorun, &Vardel::CargarListaAutorun, Highlight::Kept);
            refillList(listaConfig, &Vardel::CargarListaConfig, Highlight::Kept);
            refillList(listaApps, &Vardel::CargarListaApps, Highlight::Kept);
            refillList(listaRobo, &Vardel::CargarListaRobo, Highlight::Kept);
            refillList(listaSkins, &Vardel::CargarListaSkins, Highlight::Kept);
        }
    }
    delete dialog;
    Shell::run(QStringLiteral("rm %1/ltemp"), progDir);
}
