#include "ZNoticeDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

#include "ZTheme.h"

ZNoticeDlg::ZNoticeDlg(int type, int msec, const QString& title, const QString& text,
                       QWidget* parent, const char* name, bool /*modal*/, int flags)
    : ZPopup(parent, name, false, flags) // a notice never blocks input
    , m_text(text)
    , m_type(type)
    , m_msec(msec)
{
    setAttribute(Qt::WA_DeleteOnClose);
    // It takes no keys: the screen below keeps them while it shows.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setTitle(title);
    setKeyTexts(QString(), QString());
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    auto* picture = new QLabel(this);
    picture->setPixmap(ZTheme::glyph(type == Success ? ZTheme::Glyph::Success : ZTheme::Glyph::Information, 30));
    auto* label = new QLabel(text, this);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    label->setMinimumHeight(34);
    row->addWidget(picture, 0, Qt::AlignTop);
    row->addWidget(label, 1);
    bodyLayout()->addLayout(row);
}

ZNoticeDlg::~ZNoticeDlg() = default;

QJsonObject ZNoticeDlg::describe() const
{
    QJsonObject o = ZPopup::describe();
    o[QStringLiteral("text")] = m_text;
    o[QStringLiteral("type")] = m_type;
    return o;
}

int ZNoticeDlg::exec()
{
    setAttribute(Qt::WA_DeleteOnClose, false);
    if (ZAutomation::active()) {
        m_recorded = true;
        recordShown("notice", m_msec);
        setResult(1);
        return 1;
    }
    m_timerStarted = true;
    QTimer::singleShot(qMax(0, m_msec), this, [this] {
        if (isVisible())
            done(1);
    });
    return QDialog::exec();
}

void ZNoticeDlg::showEvent(QShowEvent* event)
{
    ZPopup::showEvent(event);
    if (!m_recorded) {
        m_recorded = true;
        recordShown("notice", m_msec);
    }
    if (!m_timerStarted) {
        m_timerStarted = true;
        // Under automation nobody reads it: it goes as soon as the loop runs.
        QTimer::singleShot(ZAutomation::active() ? 0 : qMax(0, m_msec), this, [this] { close(); });
    }
}

void ZNoticeDlg::mousePressEvent(QMouseEvent*)
{
    close();
}
