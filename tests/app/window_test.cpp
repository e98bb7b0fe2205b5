// The window: menus and soft keys per tab, text conversion and the language
// chooser. Runs inside the phone sandbox, since the chooser runs commands.

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <ZApplication.h>
#include <ZConfig.h>
#include <ZListBox.h>
#include <ZListBoxItem.h>
#include <ZNavTabWidget.h>
#include <ZOptionsMenu.h>
#include <ZSingleSelectDlg.h>
#include <ZSoftKey.h>

#include "qtprint.h"
#include "programtests.h"
#include "sandbox.h"
#include "vardel.h"

namespace {

// The program directory of this test run (argv[0] of the application lies
// in it).
QString programDir;

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

QByteArray readBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A language file whose menu texts carry a marker, so that each language is
// recognisable on screen.
QByteArray languageFile(const QByteArray& name, const QByteArray& marker, bool unicode)
{
    QByteArray text = "[VARDEL]\nLANG_NAME = " + name + "\n";
    if (unicode)
        text += "UNICODE = 1\n";
    for (const char* id : {"MENU_LANGUAGE", "MENU_ABOUT", "MENU_EXIT", "MENU_MENU", "MENU_RUNADD",
                           "MENU_RUNDELETE", "MENU_UNINSTALL", "MENU_INSTALL", "MENU_CANCEL", "MENU_SELECT", "MENU_HISTORY"})
        text += QByteArray(id) + " = " + marker + " " + id + "\n";
    return text;
}

QStringList menuTexts(ZOptionsMenu* menu)
{
    QStringList texts;
    for (int i = 0; i < menu->count(); ++i)
        texts << (menu->isSeparator(i) ? QStringLiteral("-") : menu->text(i));
    return texts;
}

// What a single-choice dialog showed when it opened.
struct Shown {
    bool opened = false;
    QString title;
    QStringList entries;
    int checked = -1;
};

// Answers the next single-choice dialog: notes what it shows, then checks
// entry `choose` and confirms, or cancels when choose < 0.
void answerNextChoice(Shown* shown, int choose)
{
    QTimer::singleShot(0, [shown, choose] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* dialog = qobject_cast<ZSingleSelectDlg*>(w);
            if (!dialog || !dialog->isVisible())
                continue;
            shown->opened = true;
            shown->title = dialog->title();
            ZListBox* list = dialog->getListBox();
            for (int i = 0; i < list->count(); ++i)
                shown->entries << list->item(i)->text();
            shown->checked = dialog->getCheckedItemIndex();
            if (choose < 0) {
                dialog->reject();
            } else {
                list->checkItem(choose, true);
                dialog->accept();
            }
            return;
        }
    });
}

class Window : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSandbox::inside());
        QDir(programDir + "languages").removeRecursively();
        QFile::remove(programDir + "Vardel.cfg");
        QFile::remove(programDir + "ltemp");
        ASSERT_TRUE(QDir().mkpath(programDir + "languages"));
        writeBytes(programDir + "languages/en.lng", languageFile("English", "EN", true));
        writeBytes(programDir + "languages/es.lng", languageFile("Espa\xf1ol", "ES", false));
    }

    void chooseLanguage(const QByteArray& file)
    {
        writeBytes(programDir + "Vardel.cfg", "[Vardel]\nLanguage = " + file + "\n");
    }

    std::unique_ptr<Vardel> open()
    {
        auto window = std::make_unique<Vardel>(QString(), nullptr, nullptr, 0);
        QApplication::processEvents();
        return window;
    }
};

TEST_F(Window, StartsOnTheApplicationsTabWithItsMenuAndKeys)
{
    chooseLanguage("en.lng");
    auto w = open();
    EXPECT_EQ(w->progDir, programDir);
    EXPECT_EQ(w->langFile, programDir + "/languages/en.lng");
    EXPECT_EQ(w->mainWidgetTitle(), "Vardel");
    ASSERT_EQ(w->tabWidget->count(), 5);
    EXPECT_EQ(w->tabWidget->currentPageIndex(), 0);
    EXPECT_EQ(w->tabWidget->page(0), w->listaApps);
    EXPECT_EQ(w->tabWidget->page(1), w->listaAutorun);
    EXPECT_EQ(w->tabWidget->page(2), w->listaConfig);
    EXPECT_EQ(w->tabWidget->page(3), w->listaRobo);
    EXPECT_EQ(w->tabWidget->page(4), w->listaSkins);
    EXPECT_EQ(w->listaApps->layout(), "%I%M%I");
    EXPECT_EQ(w->listaSkins->layout(), "%I%M");

    EXPECT_EQ(w->softKey->optMenu(ZSoftKey::LEFT), w->optMenu);
    EXPECT_EQ(w->softKey->text(ZSoftKey::LEFT), "EN MENU_MENU");
    EXPECT_EQ(w->softKey->text(ZSoftKey::RIGHT), "EN MENU_EXIT");
    EXPECT_EQ(menuTexts(w->optMenu), (QStringList{"EN MENU_UNINSTALL", "EN MENU_INSTALL", "-", "EN MENU_LANGUAGE",
                                                  "EN MENU_HISTORY", "-", "EN MENU_ABOUT", "EN MENU_EXIT"}));
    for (int i = 0; i < w->optMenu->count(); ++i)
        EXPECT_EQ(w->optMenu->idAt(i), i);

    // While the menu is open the keys read select and cancel.
    w->softKey->click(ZSoftKey::LEFT);
    EXPECT_EQ(w->softKey->shownText(ZSoftKey::LEFT), "EN MENU_SELECT");
    EXPECT_EQ(w->softKey->shownText(ZSoftKey::RIGHT), "EN MENU_CANCEL");
    w->optMenu->hide();
    EXPECT_EQ(w->softKey->shownText(ZSoftKey::LEFT), "EN MENU_MENU");
}

TEST_F(Window, EachTabGetsAFreshMenuOfItsOwn)
{
    chooseLanguage("en.lng");
    auto w = open();
    const QStringList config{"EN MENU_LANGUAGE", "EN MENU_HISTORY", "-", "EN MENU_ABOUT", "EN MENU_EXIT"};
    const struct {
        int tab;
        QStringList texts;
    } expected[] = {
        {1, {"EN MENU_RUNADD", "EN MENU_RUNDELETE", "-", "EN MENU_LANGUAGE", "EN MENU_HISTORY", "-",
             "EN MENU_ABOUT", "EN MENU_EXIT"}},
        {2, config},
        {3, config},
        {4, {"EN MENU_UNINSTALL", "EN MENU_INSTALL", "-", "EN MENU_LANGUAGE", "EN MENU_HISTORY", "-",
             "EN MENU_ABOUT", "EN MENU_EXIT"}},
        {0, {"EN MENU_UNINSTALL", "EN MENU_INSTALL", "-", "EN MENU_LANGUAGE", "EN MENU_HISTORY", "-",
             "EN MENU_ABOUT", "EN MENU_EXIT"}},
    };
    for (const auto& e : expected) {
        ZOptionsMenu* before = w->optMenu;
        w->tabWidget->setCurrentPage(e.tab);
        EXPECT_NE(w->optMenu, before) << "tab " << e.tab;
        EXPECT_EQ(w->softKey->optMenu(ZSoftKey::LEFT), w->optMenu);
        EXPECT_EQ(menuTexts(w->optMenu), e.texts) << "tab " << e.tab;
        // The soft-key texts stay as they were.
        EXPECT_EQ(w->softKey->text(ZSoftKey::RIGHT), "EN MENU_EXIT");
    }
}

TEST_F(Window, ExitKeyAndExitEntryQuitAtOnce)
{
    chooseLanguage("en.lng");
    auto w = open();
    QTimer::singleShot(0, [&] { w->softKey->click(ZSoftKey::RIGHT); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(qApp->exec(), 0);

    w->tabWidget->setCurrentPage(1);
    QTimer::singleShot(0, [&] { w->optMenu->activateIndex(7); });
    QTimer::singleShot(5000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(qApp->exec(), 0);
}

TEST_F(Window, TextsAreDecodedAsTheLanguageFileSays)
{
    writeBytes(programDir + "languages/utf.lng",
               "[VARDEL]\nUNICODE = 1\nMENU_EXIT = Sal\xc3\xad\n");
    writeBytes(programDir + "languages/latin.lng", "[VARDEL]\nMENU_EXIT = Sal\xc3\xad\n");
    writeBytes(programDir + "languages/other.lng", "[VARDEL]\nUNICODE = yes\nMENU_EXIT = Sal\xed\n");

    chooseLanguage("utf.lng");
    auto w = open();
    EXPECT_EQ(w->softKey->text(ZSoftKey::RIGHT), QString::fromUtf8("Sal\u00ed"));
    EXPECT_EQ(w->texto("\xd0\x96"), QString::fromUtf8("\u0416"));
    w.reset();

    chooseLanguage("latin.lng");
    w = open();
    EXPECT_EQ(w->softKey->text(ZSoftKey::RIGHT), QString::fromLatin1("Sal\xc3\xad"));
    w.reset();

    // Only "1" means UTF-8.
    chooseLanguage("other.lng");
    w = open();
    EXPECT_EQ(w->softKey->text(ZSoftKey::RIGHT), QString::fromLatin1("Sal\xed"));
    // The encoding is read once per language, and again at each choice of
    // a language: a file changed meanwhile counts from that choice on, and
    // every text then follows the chosen file (ls order: en es latin other utf).
    writeBytes(programDir + "languages/other.lng", "[VARDEL]\nUNICODE = 1\nMENU_EXIT = Sal\xc3\xad\n");
    EXPECT_EQ(w->texto("\xc3\xad"), QString::fromLatin1("\xc3\xad"));
    for (const auto& [choice, exit] : {std::pair{3, QString::fromUtf8("Sal\u00ed")},
                                       std::pair{2, QString::fromLatin1("Sal\xc3\xad")},
                                       std::pair{4, QString::fromUtf8("Sal\u00ed")}}) {
        Shown shown;
        answerNextChoice(&shown, choice);
        w->language();
        ASSERT_TRUE(shown.opened);
        EXPECT_EQ(w->softKey->text(ZSoftKey::RIGHT), exit) << choice;
        EXPECT_EQ(w->texto("\xc3\xad"), exit.mid(3)) << choice;
    }
}

TEST_F(Window, WithoutALanguageTextsComeFromEnglish)
{
    auto w = open();
    EXPECT_EQ(w->langFile, programDir + "/languages/");
    EXPECT_EQ(w->softKey->text(ZSoftKey::LEFT), "EN MENU_MENU");
    EXPECT_EQ(menuTexts(w->optMenu)[3], "EN MENU_LANGUAGE");

    // The chooser still lists every file by its name and checks the first.
    Shown shown;
    answerNextChoice(&shown, -1);
    w->language();
    ASSERT_TRUE(shown.opened);
    EXPECT_EQ(shown.title, "EN MENU_LANGUAGE");
    EXPECT_EQ(shown.entries, (QStringList{"English", QString::fromLatin1("Espa\xf1ol")}));
    EXPECT_EQ(shown.checked, 0);

    // A file without a name matches the empty current name: the last such
    // file is checked.
    writeBytes(programDir + "languages/x1.lng", "[VARDEL]\n");
    writeBytes(programDir + "languages/x2.lng", "not a language file\n");
    shown = Shown();
    answerNextChoice(&shown, -1);
    w->language();
    EXPECT_EQ(shown.entries, (QStringList{"English", QString::fromLatin1("Espa\xf1ol"), "", ""}));
    EXPECT_EQ(shown.checked, 3);
}

TEST_F(Window, ChooserListsFilesInLsOrderAndChecksTheCurrentOne)
{
    writeBytes(programDir + "languages/ru.lng",
               "[VARDEL]\nLANG_NAME = \xd0\xa0\xd1\x83\xd1\x81\xd1\x81\xd0\xba\xd0\xb8\xd0\xb9\nUNICODE = 1\n");
    writeBytes(programDir + "languages/B.lng", "[VARDEL]\nLANG_NAME = English\n");
    chooseLanguage("es.lng");
    auto w = open();

    Shown shown;
    answerNextChoice(&shown, -1);
    w->language();
    EXPECT_EQ(shown.title, "ES MENU_LANGUAGE");
    EXPECT_EQ(shown.entries, (QStringList{"English", "English", QString::fromLatin1("Espa\xf1ol"),
                                          QString::fromUtf8("Русский")}));
    EXPECT_EQ(shown.checked, 2);
    w.reset();

    // Two files of the same name: the later one in ls order is checked.
    chooseLanguage("B.lng");
    w = open();
    shown = Shown();
    answerNextChoice(&shown, -1);
    w->language();
    EXPECT_EQ(shown.checked, 1);
}

TEST_F(Window, CancellingChangesNothingAndLeavesNoScratchFile)
{
    chooseLanguage("en.lng");
    const QByteArray settings = readBytes(programDir + "Vardel.cfg");
    auto w = open();
    Shown shown;
    answerNextChoice(&shown, -1);
    w->language();
    ASSERT_TRUE(shown.opened);
    EXPECT_EQ(w->langFile, programDir + "/languages/en.lng");
    EXPECT_EQ(readBytes(programDir + "Vardel.cfg"), settings);
    EXPECT_FALSE(QFile::exists(programDir + "ltemp"));
    EXPECT_EQ(w->softKey->text(ZSoftKey::LEFT), "EN MENU_MENU");
}

TEST_F(Window, ChoosingRebuildsMenuKeysAndListsOfTheShownTab)
{
    chooseLanguage("en.lng");
    auto w = open();
    w->tabWidget->setCurrentPage(3);
    for (ZListBox* list : {w->listaApps, w->listaAutorun, w->listaConfig, w->listaRobo, w->listaSkins}) {
        auto* row = new ZListBoxItem(list, "%I%M");
        row->appendSubItem(1, "stale row");
        list->insertItem(row);
    }

    Shown shown;
    answerNextChoice(&shown, 1);
    w->language();
    ASSERT_TRUE(shown.opened);

    EXPECT_EQ(w->langFile, programDir + "/languages/es.lng");
    EXPECT_EQ(ZConfig(programDir + "/Vardel.cfg", false).readEntry("Vardel", "Language"), "es.lng");
    EXPECT_FALSE(QFile::exists(programDir + "ltemp"));
    // Tab 3 has the settings menu.
    EXPECT_EQ(menuTexts(w->optMenu), (QStringList{"ES MENU_LANGUAGE", "ES MENU_HISTORY", "-", "ES MENU_ABOUT", "ES MENU_EXIT"}));
    EXPECT_EQ(w->softKey->optMenu(ZSoftKey::LEFT), w->optMenu);
    EXPECT_EQ(w->softKey->text(ZSoftKey::LEFT), "ES MENU_MENU");
    EXPECT_EQ(w->softKey->text(ZSoftKey::RIGHT), "ES MENU_EXIT");
    // Every list was emptied and filled again: no stale row is left.
    for (ZListBox* list : {w->listaApps, w->listaAutorun, w->listaConfig, w->listaRobo, w->listaSkins}) {
        for (int i = 0; i < list->count(); ++i)
            EXPECT_NE(list->item(i)->text(), "stale row");
    }
    // The other tabs show the new language when next selected.
    w->tabWidget->setCurrentPage(1);
    EXPECT_EQ(menuTexts(w->optMenu).first(), "ES MENU_RUNADD");
    // Title and tabs stay.
    EXPECT_EQ(w->mainWidgetTitle(), "Vardel");
    EXPECT_EQ(w->tabWidget->count(), 5);
}

} // namespace

int main(int argc, char** argv)
{
    if (const int status = ProgramTests::start(argc, argv); status >= 0)
        return status;

    QTemporaryDir dir;
    programDir = dir.path() + "/prog/";
    QDir().mkpath(programDir);
    return ProgramTests::runAsProgram(argc, argv, QFile::encodeName(programDir + "vardel"), app);
}
