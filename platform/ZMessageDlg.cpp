#include "ZMessageDlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>

#include "ZTheme.h"

namespace {
constexpr int PictureSize = 36;

ZTheme::Glyph glyphFor(int type)
{
    switch (type) {
    case ZMessageDlg::TypeChoose: return ZTheme::Glyph::Question;
    case ZMessageDlg::TypeWait: return ZTheme::Glyph::Wait;
    default: return ZTheme::Glyph::Information;
    }
}
} // namespace

ZMessageDlg::ZMessageDlg(const QString& title, const QString& text, int type, int timeout,
                         QWidget* parent, const char* name, bool modal, int flags)
    : ZPopup(parent, name, modal, flags)
    , m_text(text)
    , m_type(type)
    , m_timeout(timeout)
{
    setTitle(title);
    auto* row = new QHBoxLayout;
    row->setSpacing(10);
    m_picture = new QLabel(this);
    m_picture->setFixedSize(PictureSize + 4, PictureSize + 4);
    m_picture->setAlignment(Qt::AlignTop | Qt::AlignHCenter);
    m_picture->setPixmap(ZTheme::glyph(glyphFor(type), PictureSize));
    m_textLabel = new QLabel(text, this);
    m_textLabel->setWordWrap(true);
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_textLabel->setMinimumHeight(PictureSize);
    row->addWidget(m_picture, 0, Qt::AlignTop);
    row->addWidget(m_textLabel, 1);
    bodyLayout()->addLayout(row);

    switch (type) {
    case TypeChoose: setKeyTexts(tr("Yes"), tr("No")); break;
    case TypeWait: setKeyTexts(QString(), QString()); break;
    default: setKeyTexts(tr("OK"), QString()); break;
    }
}

ZMessageDlg::~ZMessageDlg() = default;

void ZMessageDlg::setPicture(const QString& file)
{
    QPixmap pm(file);
    if (!pm.isNull())
        m_picture->setPixmap(ZTheme::fitted(pm, QSize(PictureSize, PictureSize)));
}

void ZMessageDlg::setText(const QString& text)
{
    m_text = text;
    m_textLabel->setText(text);
}

bool ZMessageDlg::takesAnswer() const
{
    return !(m_type == TypeWait && m_timeout > 0);
}

int ZMessageDlg::exec()
{
    if (!takesAnswer()) {
        // A wait message: shown for its time, answered by nobody.
        recordShown("wait", m_timeout);
        if (ZAutomation::active()) {
            setResult(1);
            return 1;
        }
    }
    if (m_timeout > 0 && !ZAutomation::active()) {
        const int timedResult = m_type == TypeChoose ? 0 : 1;
        QTimer::singleShot(m_timeout, this, [this, timedResult] {
            if (isVisible())
                done(timedResult);
        });
    }
    if (!takesAnswer())
        return QDialog::exec();
    return ZPopup::exec();
}

QJsonObject ZMessageDlg::describe() const
{
    QJsonObject o = ZPopup::describe();
    o[QStringLiteral("text")] = m_text;
    o[QStringLiteral("type")] = m_type;
    return o;
}

int ZMessageDlg::applyAnswer(const ZAutomation::Answer& answer, QString* error)
{
    return ZPopup::applyAnswer(answer, error);
}
