// Platform dialogs answered by a script, and their transcript lines.

#include <QJsonArray>
#include <QJsonDocument>
#include <QCoreApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include "PlatformTest.h"
#include "ZLabel.h"
#include "ZListBox.h"
#include "ZMessageDlg.h"
#include "ZMultiSelectDlg.h"
#include "ZNoticeDlg.h"
#include "ZNumModule.h"
#include "ZNumPickerDlg.h"
#include "ZSingleCaptureDlg.h"
#include "ZSingleSelectDlg.h"

namespace {
QStringList kThree = {QStringLiteral("Phone"), QStringLiteral("Card"), QStringLiteral("Cloud")};

QList<int> ints(const QJsonValue& v)
{
    QList<int> out;
    for (const QJsonValue& x : v.toArray())
        out.append(x.toInt());
    return out;
}
} // namespace

using DialogAutomation = PlatformTest;

TEST_F(DialogAutomation, MessageDialogAnswersAndTheirTranscript)
{
    useScript(QStringLiteral("yes\n# a comment\n\nno\naccept\ncheck 1\n"));
    const QString text = QString::fromUtf8("¿Borrar «Juego»?\nSeguro");
    ZMessageDlg question(QStringLiteral("Vardel"), text, ZMessageDlg::TypeChoose, 0, nullptr, "ZMessageDlg");
    EXPECT_EQ(question.exec(), 1);
    EXPECT_EQ(question.exec(), 0);
    ZMessageDlg info(QStringLiteral("Vardel"), QStringLiteral("Done"), ZMessageDlg::TypeInformation, 0, nullptr, "ZMessageDlg");
    EXPECT_EQ(info.exec(), 1);
    EXPECT_EQ(info.exec(), 0) << "an answer that does not fit cancels";

    const QList<QJsonObject> dialogs = events(QStringLiteral("dialog"));
    ASSERT_EQ(dialogs.size(), 4);
    const QJsonObject& first = dialogs.at(0);
    for (const char* key : {"class", "title", "text", "type", "entries", "checked", "answer", "result"})
        EXPECT_TRUE(first.contains(QLatin1String(key))) << key;
    EXPECT_EQ(first.value(QStringLiteral("class")).toString(), QStringLiteral("ZMessageDlg"));
    EXPECT_EQ(first.value(QStringLiteral("title")).toString(), QStringLiteral("Vardel"));
    EXPECT_EQ(first.value(QStringLiteral("text")).toString(), text);
    EXPECT_EQ(first.value(QStringLiteral("type")).toInt(), 1);
    EXPECT_EQ(first.value(QStringLiteral("answer")).toString(), QStringLiteral("yes"));
    EXPECT_EQ(first.value(QStringLiteral("result")).toInt(), 1);
    EXPECT_EQ(dialogs.at(1).value(QStringLiteral("answer")).toString(), QStringLiteral("no"));
    EXPECT_EQ(dialogs.at(3).value(QStringLiteral("answer")).toString(), QStringLiteral("check 1"));
    EXPECT_TRUE(dialogs.at(3).contains(QStringLiteral("error")));
}

TEST_F(DialogAutomation, SingleSelectChecksExactlyOneEntry)
{
    useScript(QStringLiteral("check 2\naccept\naccept\nreject\ncheck 5\ncheck 0 1\n"));
    ZSingleSelectDlg dlg(QStringLiteral("Place"), QStringLiteral("Install where?"), nullptr, "ZSingleSelectDlg");
    dlg.addItemsList(kThree);
    dlg.getListBox()->checkItem(0, true);
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getCheckedItemIndex(), 2);
    EXPECT_FALSE(dlg.getListBox()->itemChecked(0));

    // accept confirms what is checked, as the left key does.
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getCheckedItemIndex(), 2);

    // With nothing checked, accept takes the highlighted (first) entry.
    ZSingleSelectDlg fresh(QStringLiteral("Place"), QString(), nullptr, "ZSingleSelectDlg");
    fresh.addItemsList(kThree);
    EXPECT_EQ(fresh.exec(), 1);
    EXPECT_EQ(fresh.getCheckedItemIndex(), 0);

    EXPECT_EQ(dlg.exec(), 0);
    EXPECT_EQ(dlg.getCheckedItemIndex(), 2) << "reject leaves the checks alone";
    EXPECT_EQ(dlg.exec(), 0) << "entry 5 does not exist";
    EXPECT_EQ(dlg.exec(), 0) << "two entries in a single choice";
    EXPECT_EQ(dlg.getCheckedItemIndex(), 2);

    const QList<QJsonObject> dialogs = events(QStringLiteral("dialog"));
    ASSERT_EQ(dialogs.size(), 6);
    EXPECT_EQ(dialogs.at(0).value(QStringLiteral("entries")).toArray(), QJsonArray::fromStringList(kThree));
    EXPECT_EQ(ints(dialogs.at(0).value(QStringLiteral("checked"))), QList<int>{2});
    EXPECT_EQ(dialogs.at(0).value(QStringLiteral("text")).toString(), QStringLiteral("Install where?"));
    EXPECT_TRUE(dialogs.at(4).contains(QStringLiteral("error")));
}

TEST_F(DialogAutomation, MultiSelectChecksExactlyTheListedEntries)
{
    useScript(QStringLiteral("check 0 2\naccept\ncheck\ncheck 1 3\n"));
    ZMultiSelectDlg dlg(QStringLiteral("Presets"), QString(), nullptr, "ZMultiSelectDlg");
    dlg.addItemsList(kThree);
    dlg.getListBox()->checkItem(1, true);
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getListBox()->checkedItems(), (QList<int>{0, 2}));
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getListBox()->checkedItems(), (QList<int>{0, 2}));
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_TRUE(dlg.getListBox()->checkedItems().isEmpty());
    EXPECT_EQ(dlg.exec(), 0) << "entry 3 does not exist";
    EXPECT_TRUE(dlg.getListBox()->checkedItems().isEmpty()) << "a refused answer changes nothing";
    EXPECT_EQ(ints(events(QStringLiteral("dialog")).at(0).value(QStringLiteral("checked"))), (QList<int>{0, 2}));
}

TEST_F(DialogAutomation, CaptureTakesTextAndKeepsPresetOnAccept)
{
    useScript(QStringLiteral("text  my entry \naccept\ntext\nreject\n"));
    ZSingleCaptureDlg dlg(QStringLiteral("Vardel"), QStringLiteral("Name:"), 0, nullptr, "ZSingleCaptureDlg");
    dlg.getLineEdit()->setText(QStringLiteral("preset"));
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getLineEdit()->text(), QStringLiteral(" my entry "));
    dlg.getLineEdit()->setText(QStringLiteral("kept"));
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getLineEdit()->text(), QStringLiteral("kept"));
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getLineEdit()->text(), QString());
    EXPECT_EQ(dlg.exec(), 0);

    const QJsonObject first = events(QStringLiteral("dialog")).at(0);
    EXPECT_EQ(first.value(QStringLiteral("value")).toString(), QStringLiteral(" my entry "));
    EXPECT_EQ(first.value(QStringLiteral("type")).toInt(), 0);
}

TEST_F(DialogAutomation, PasswordEchoMasksTheEntry)
{
    useScript(QStringLiteral("text s3cret\n"));
    ZSingleCaptureDlg dlg(QStringLiteral("Vardel"), QStringLiteral("Password"), 0, nullptr, "ZSingleCaptureDlg");
    dlg.getLineEdit()->setEchoMode(QLineEdit::Password);
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getLineEdit()->text(), QStringLiteral("s3cret"));
    EXPECT_NE(dlg.getLineEdit()->displayText(), QStringLiteral("s3cret"));
    // The secret never reaches the transcript.
    const QJsonObject event = events(QStringLiteral("dialog")).at(0);
    EXPECT_TRUE(event.value(QStringLiteral("masked")).toBool());
    EXPECT_EQ(event.value(QStringLiteral("value")).toString(), QStringLiteral("******"));
    EXPECT_FALSE(QJsonDocument(event).toJson().contains("s3cret"));
}

TEST_F(DialogAutomation, NumberPickerClampsScriptedNumbers)
{
    useScript(QStringLiteral("number 50\nnumber -4\naccept\nnumber 7\nreject\n"));
    ZNumPickerDlg dlg(10, nullptr, "ZNumPickerDlg", 0);
    ZNumModule* m = dlg.getNumModule();
    m->setMaxValue(30);
    m->setMinValue(1);
    m->setValue(5);
    m->setLabel(new ZLabel(QStringLiteral("Seconds"), m, nullptr, 0, ZSkinService::clsZLabel), 0);
    dlg.setTitle(QStringLiteral("Alarm"));
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getNumValue(), 30);
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getNumValue(), 1);
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getNumValue(), 1);
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getNumValue(), 7);
    EXPECT_EQ(dlg.exec(), 0);

    const QJsonObject first = events(QStringLiteral("dialog")).at(0);
    EXPECT_EQ(first.value(QStringLiteral("title")).toString(), QStringLiteral("Alarm"));
    EXPECT_EQ(first.value(QStringLiteral("text")).toString(), QStringLiteral("Seconds"));
    EXPECT_EQ(first.value(QStringLiteral("value")).toInt(), 30);
}

TEST_F(DialogAutomation, UnansweredDialogIsCancelledAndStepsStayForTheWindow)
{
    useScript(QStringLiteral("dump\n"));
    ZMessageDlg dlg(QStringLiteral("Vardel"), QStringLiteral("Sure?"), ZMessageDlg::TypeChoose, 0, nullptr, "ZMessageDlg");
    EXPECT_EQ(dlg.exec(), 0);
    const ZAutomation::Answer left = ZAutomation::nextAnswer();
    EXPECT_EQ(left.kind, ZAutomation::Answer::Cancelled);
    EXPECT_EQ(left.line, QStringLiteral("dump")) << "the step is still the next line";

    useScript(QString());
    EXPECT_EQ(dlg.exec(), 0);
    const QList<QJsonObject> dialogs = events(QStringLiteral("dialog"));
    ASSERT_EQ(dialogs.size(), 2);
    EXPECT_TRUE(dialogs.at(1).value(QStringLiteral("answer")).isNull());
    EXPECT_EQ(dialogs.at(1).value(QStringLiteral("result")).toInt(), 0);
}

TEST_F(DialogAutomation, WaitMessagesAndNoticesTakeNoAnswer)
{
    useScript(QStringLiteral("accept\n"));
    ZMessageDlg wait(QStringLiteral("Vardel"), QStringLiteral("Searching\nPlease wait"), ZMessageDlg::TypeWait, 200,
                     nullptr, "ZMessageDlg");
    wait.exec();
    EXPECT_FALSE(wait.isVisible());

    QWidget owner;
    QPointer<ZNoticeDlg> notice = new ZNoticeDlg(1, 3000, QString(), QStringLiteral("Nothing found"), &owner, "z");
    notice->show();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(notice.isNull()) << "a notice closes and deletes itself";

    ZMessageDlg question(QStringLiteral("Vardel"), QStringLiteral("Go on?"), ZMessageDlg::TypeChoose, 0, nullptr, "ZMessageDlg");
    EXPECT_EQ(question.exec(), 1) << "the answer was still there";

    const QList<QJsonObject> all = transcript();
    ASSERT_EQ(all.size(), 3);
    EXPECT_EQ(all.at(0).value(QStringLiteral("event")).toString(), QStringLiteral("wait"));
    EXPECT_EQ(all.at(0).value(QStringLiteral("time")).toInt(), 200);
    EXPECT_EQ(all.at(0).value(QStringLiteral("text")).toString(), QStringLiteral("Searching\nPlease wait"));
    EXPECT_EQ(all.at(1).value(QStringLiteral("event")).toString(), QStringLiteral("notice"));
    EXPECT_EQ(all.at(1).value(QStringLiteral("class")).toString(), QStringLiteral("ZNoticeDlg"));
    EXPECT_EQ(all.at(1).value(QStringLiteral("type")).toInt(), 1);
    EXPECT_EQ(all.at(1).value(QStringLiteral("time")).toInt(), 3000);
    EXPECT_EQ(all.at(2).value(QStringLiteral("event")).toString(), QStringLiteral("dialog"));
}

TEST_F(DialogAutomation, WithoutAScriptTimedDialogsCloseThemselves)
{
    transcriptOnly();
    ZMessageDlg wait(QStringLiteral("Vardel"), QStringLiteral("Wait"), ZMessageDlg::TypeWait, 30, nullptr, "ZMessageDlg");
    EXPECT_EQ(wait.exec(), 1);
    ZMessageDlg question(QStringLiteral("Vardel"), QStringLiteral("?"), ZMessageDlg::TypeChoose, 30, nullptr, "ZMessageDlg");
    EXPECT_EQ(question.exec(), 0) << "a question that times out is not a yes";

    QWidget owner;
    QPointer<ZNoticeDlg> notice = new ZNoticeDlg(0, 30, QString(), QStringLiteral("Done"), &owner, "z");
    notice->show();
    EXPECT_FALSE(notice.isNull());
    EXPECT_TRUE(QTest::qWaitFor([&notice] { return notice.isNull(); }, 5000));
}

TEST_F(DialogAutomation, ShotInsideADialogPicturesTheDialog)
{
    useScript(QStringLiteral("shot ") + path(QStringLiteral("pics/dialog.png")) + QStringLiteral("\ncheck 1\n"));
    ZSingleSelectDlg dlg(QStringLiteral("Place"), QString(), nullptr, "ZSingleSelectDlg");
    dlg.addItemsList(kThree);
    EXPECT_EQ(dlg.exec(), 1);
    EXPECT_EQ(dlg.getCheckedItemIndex(), 1);
    const QImage shot(path(QStringLiteral("pics/dialog.png")));
    ASSERT_FALSE(shot.isNull());
    EXPECT_EQ(shot.width(), 240);
}

TEST(NumModule, KeepsItsValueWithinItsBounds)
{
    ensureApplication();
    ZNumModule m(2);
    EXPECT_EQ(m.maxValue(), 99);
    m.setValue(120);
    EXPECT_EQ(m.value(), 99);
    m.setMaxValue(40);
    EXPECT_EQ(m.value(), 40) << "a lower maximum clamps the value";
    m.setMinValue(45);
    EXPECT_EQ(m.value(), 45);
    EXPECT_EQ(m.maxValue(), 45) << "a minimum above the maximum moves it";
    m.setMaxValue(60);
    m.setValue(-3);
    EXPECT_EQ(m.value(), 45);

    // A typed digit gives a value within the bounds too.
    QKeyEvent six(QEvent::KeyPress, Qt::Key_6, Qt::NoModifier, QStringLiteral("6"));
    QCoreApplication::sendEvent(&m, &six);
    EXPECT_EQ(m.value(), 45);
    m.setValue(60);
    QKeyEvent up(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier);
    QCoreApplication::sendEvent(&m, &up);
    EXPECT_EQ(m.value(), 60);
}

// Digits and Backspace as a person types them into a picker.
TEST(NumModule, TypedDigitsBuildTheNumberTyped)
{
    ensureApplication();
    const struct {
        int min, max, start;
        const char* keys; // digits, "<" for Backspace, "^" for Up
        const char* shown;
        int value;
    } cases[] = {
        {6, 12, 7, "10", "10", 10},       // Caller ID: 10 and 11 can be typed
        {6, 12, 7, "11", "11", 11},
        {6, 12, 7, "1", "1", 6},          // below the range: brought in on accept
        {6, 12, 7, "13", "3", 6},         // 13 leaves the range: 3 starts anew
        {1, 10, 3, "89", "9", 9},         // Alarm
        {1, 10, 3, "89<<7", "7", 7},
        {1, 10, 3, "<", "", 3},           // nothing left: the value before
        {1, 10, 10, "<7", "7", 7},        // 1 shown, 17 leaves the range
        {6, 12, 12, "<0", "10", 10},      // Backspace edits the number shown
        {1, 10, 3, "07", "7", 7},         // no leading zero
        {1, 5, 3, "7", "5", 5},           // one digit past the maximum: the maximum
        {1, 5, 3, "72", "2", 2},          // never appended to
        {1, 10, 3, "9^", "10", 10},       // the arrows step from the typed number
    };
    for (const auto& c : cases) {
        ZNumModule m(10);
        m.setMaxValue(c.max);
        m.setMinValue(c.min);
        m.setValue(c.start);
        for (const char* k = c.keys; *k; ++k) {
            const int key = *k == '<' ? Qt::Key_Backspace : *k == '^' ? Qt::Key_Up : Qt::Key_0 + (*k - '0');
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QCoreApplication::sendEvent(&m, &press);
        }
        EXPECT_EQ(m.shownText(), QString::fromLatin1(c.shown)) << c.keys << " in " << c.min << ".." << c.max;
        EXPECT_EQ(m.value(), c.value) << c.keys << " in " << c.min << ".." << c.max;
    }
}
