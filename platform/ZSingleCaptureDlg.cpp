#include "ZSingleCaptureDlg.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

ZSingleCaptureDlg::ZSingleCaptureDlg(const QString& title, const QString& text, int captureType,
                                     QWidget* parent, const char* name, bool modal, int, int)
    : ZPopup(parent, name, modal, 0)
    , m_text(text)
    , m_captureType(captureType)
{
    setTitle(title);
    setKeyTexts(tr("OK"), tr("Cancel"));
    m_textLabel = new QLabel(text, this);
    m_textLabel->setWordWrap(true);
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setVisible(!text.isEmpty());
    m_edit = new QLineEdit(this);
    m_edit->setMinimumHeight(24);
    bodyLayout()->addWidget(m_textLabel);
    bodyLayout()->addWidget(m_edit);
    connect(m_edit, &QLineEdit::returnPressed, this, [this] { leftKey(); });
    m_edit->setFocus();
}

ZSingleCaptureDlg::~ZSingleCaptureDlg() = default;

QJsonObject ZSingleCaptureDlg::describe() const
{
    QJsonObject o = ZPopup::describe();
    o[QStringLiteral("text")] = m_text;
    o[QStringLiteral("type")] = m_captureType;
    // A masked entry is a secret: the transcript shows it as the screen
    // does, one mark per character.
    const bool masked = m_edit->echoMode() != QLineEdit::Normal;
    o[QStringLiteral("value")] = masked ? QString(m_edit->text().size(), u'*') : m_edit->text();
    o[QStringLiteral("masked")] = masked;
    return o;
}

int ZSingleCaptureDlg::applyAnswer(const ZAutomation::Answer& answer, QString* error)
{
    if (answer.kind == ZAutomation::Answer::Text) {
        m_edit->setText(answer.text);
        m_edit->setModified(true);
        return 1;
    }
    return ZPopup::applyAnswer(answer, error);
}

void ZSingleCaptureDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter already confirmed through the line edit.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return;
    ZPopup::keyPressEvent(event);
}
