#include "ZAboutDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QSpacerItem>
#include <QTextDocument>
#include <QUrl>
#include <QVariant>
#include <QVBoxLayout>

#include <ZSoftKey.h>

#include "shell/paths.h"
#include "shell/startup.h"

QString aboutText(const QString& programDir, bool iconExists)
{
    QString text = QStringLiteral("<qt>");
    if (iconExists) {
        // Quoted and escaped, so that a directory with blanks or markup in
        // its name still names the picture.
        text += QStringLiteral("<img src=\"%1/images/icon.png\">")
                    .arg(programDir.toHtmlEscaped());
    }
    text += QStringLiteral("<br><font size=\"+1\">Vardel </font><font size=\"-1\">  v0.2<br><br>"
                           "Utilidades para tel\u00e9fonos EZX<br>"
                           "Hecho con Qt y busybox<br><br>"
                           "Gracias a quienes probaron cada versi\u00f3n"
                           "</font></qt>");
    return text;
}

ZAboutDialog::ZAboutDialog()
{
    setMainWidgetTitle(QStringLiteral("Vardel"));

    const QString programDir = Startup::programDir();
    const QPixmap icon = Paths::loadPixmap(programDir + QLatin1String("/images/icon.png"));

    auto* content = new QWidget(this);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(0, 0, 0, 0);

    auto* row = new QHBoxLayout;
    row->setSpacing(4);
    row->setContentsMargins(10, 10, 10, 10);

    auto* picture = new QLabel(content);
    picture->setPixmap(QPixmap(QString()));
    picture->setScaledContents(false);
    row->addWidget(picture, 0);

    auto* text = new QLabel(content);
    text->setTextFormat(Qt::RichText);
    text->setWordWrap(true);
    // The text names the icon by the program directory's bytes, which Qt's
    // own loading would take for another file (or none); the one picture of
    // the text is handed over here instead.
    text->setResourceProvider([icon](const QUrl&) { return QVariant(icon); });
    text->setText(aboutText(programDir, !icon.isNull()));
    text->setObjectName(QStringLiteral("aboutText"));
    row->addWidget(text, 1);

    column->addLayout(row);
    column->addItem(new QSpacerItem(8, 8, QSizePolicy::Minimum, QSizePolicy::Expanding));
    setContentWidget(content);

    auto* keys = new ZSoftKey(nullptr, this, this);
    keys->setText(ZSoftKey::LEFT, QStringLiteral("Aceptar"), 0);
    keys->setClickedSlot(ZSoftKey::LEFT, this, SLOT(accept()));
    setCSTWidget(keys);
}

ZAboutDialog::~ZAboutDialog() = default;

QJsonObject ZAboutDialog::describe() const
{
    QTextDocument document;
    if (const auto* label = findChild<QLabel*>(QStringLiteral("aboutText")))
        document.setHtml(label->text());
    QJsonObject fields = MyBaseDlg::describe();
    // The icon stands in the plain text as an object mark; leave it out.
    fields[QStringLiteral("text")] =
        document.toPlainText().remove(QChar::ObjectReplacementCharacter).trimmed();
    return fields;
}
