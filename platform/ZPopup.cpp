#include "ZPopup.h"

#include <QGuiApplication>
#include <QJsonArray>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QVBoxLayout>

#include "ZApplication.h"
#include "ZKbMainWidget.h"
#include "ZKeyFocus.h"
#include "ZSoftKey.h"
#include "ZTheme.h"

ZPopup::ZPopup(QWidget* parent, const char* name, bool modal, int /*flags*/)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    setModal(modal);
    ZTheme::styleTopLevel(this);
    setFixedWidth(ZKbMainWidget::ScreenWidth);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(0);

    m_titleLabel = new QLabel(this);
    m_titleLabel->setFont(ZTheme::font(12, true));
    m_titleLabel->setFixedHeight(ZTheme::TitleHeight);
    m_titleLabel->setContentsMargins(8, 0, 8, 0);
    QPalette pal = m_titleLabel->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    m_titleLabel->setPalette(pal);
    m_titleLabel->hide();
    layout->addWidget(m_titleLabel);

    m_bodyLayout = new QVBoxLayout;
    m_bodyLayout->setContentsMargins(8, 8, 8, 8);
    m_bodyLayout->setSpacing(6);
    layout->addLayout(m_bodyLayout, 1);

    m_keys = new ZSoftKey(nullptr, this, this);
    layout->addWidget(m_keys);
    connect(m_keys, &ZSoftKey::clicked, this, [this](int key) {
        if (key == ZSoftKey::LEFT)
            leftKey();
        else
            rightKey();
    });
    setKeyTexts(tr("OK"), tr("Cancel"));
}

namespace {
// A veil over the screen under a modal sheet.
class Shade : public QWidget
{
public:
    explicit Shade(QWidget* screen)
        : QWidget(screen)
    {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setGeometry(screen->rect());
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), QColor(0, 0, 0, 70));
    }
};
} // namespace

ZPopup::~ZPopup()
{
    delete m_shade;
}

void ZPopup::setTitle(const QString& title)
{
    m_title = title;
    m_titleLabel->setText(title);
    m_titleLabel->setVisible(!title.isEmpty());
    setWindowTitle(title);
}

QString ZPopup::title() const
{
    return m_title;
}

void ZPopup::setKeyTexts(const QString& left, const QString& right)
{
    m_keys->setText(ZSoftKey::LEFT, left);
    m_keys->setText(ZSoftKey::RIGHT, right);
    m_keys->setVisible(!left.isEmpty() || !right.isEmpty());
}

QJsonObject ZPopup::describe() const
{
    QJsonObject o;
    o[QStringLiteral("class")] = QString::fromLatin1(metaObject()->className());
    o[QStringLiteral("name")] = objectName();
    o[QStringLiteral("title")] = m_title;
    o[QStringLiteral("text")] = QString();
    o[QStringLiteral("type")] = QJsonValue();
    o[QStringLiteral("entries")] = QJsonArray();
    o[QStringLiteral("checked")] = QJsonArray();
    return o;
}

int ZPopup::applyAnswer(const ZAutomation::Answer& answer, QString* error)
{
    switch (answer.kind) {
    case ZAutomation::Answer::Accept:
        return 1;
    case ZAutomation::Answer::Reject:
        return 0;
    default:
        *error = QStringLiteral("the answer does not fit this dialog");
        return 0;
    }
}

int ZPopup::exec()
{
    if (!takesAnswer())
        return QDialog::exec();
    if (!ZAutomation::active()) {
        recordAsking(describe());
        const int result = QDialog::exec();
        QJsonObject event = describe();
        event[QStringLiteral("answer")] = QJsonValue();
        event[QStringLiteral("result")] = result;
        ZAutomation::recordDialog(event);
        return result;
    }

    // Scripted: shown (so that a "shot" line sees it), answered, closed.
    setResult(0);
    show();
    const ZAutomation::Answer answer = ZAutomation::nextAnswer();
    QString error;
    int result = 0;
    if (answer.kind != ZAutomation::Answer::Cancelled)
        result = applyAnswer(answer, &error);
    else if (!answer.line.isEmpty())
        error = QStringLiteral("no answer in the script at this point");
    done(result);
    QJsonObject event = describe();
    // The script line of a masked entry holds the secret; it is left out.
    event[QStringLiteral("answer")] = event.value(QStringLiteral("masked")).toBool()
                                          ? QJsonValue(QStringLiteral("text (masked)"))
                                          : ZAutomation::answerValue(answer);
    event[QStringLiteral("result")] = result;
    if (!error.isEmpty())
        event[QStringLiteral("error")] = error;
    ZAutomation::recordDialog(event);
    return result;
}

void ZPopup::recordAsking(QJsonObject fields)
{
    fields[QStringLiteral("event")] = QStringLiteral("asking");
    ZAutomation::record(fields);
}

void ZPopup::recordShown(const char* event, int time) const
{
    QJsonObject o = describe();
    o.remove(QStringLiteral("entries"));
    o.remove(QStringLiteral("checked"));
    o[QStringLiteral("event")] = QString::fromLatin1(event);
    o[QStringLiteral("time")] = time;
    ZAutomation::record(o);
}

void ZPopup::leftKey()
{
    accept();
}

void ZPopup::rightKey()
{
    reject();
}

void ZPopup::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_F1:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_keys->isVisible() && !m_keys->text(ZSoftKey::LEFT).isEmpty())
            leftKey();
        break;
    case Qt::Key_F2:
    case Qt::Key_Escape:
    case Qt::Key_Back:
        rightKey();
        break;
    default:
        QDialog::keyPressEvent(event);
    }
}

void ZPopup::showEvent(QShowEvent* event)
{
    place();
    QWidget* screen = ownerScreen();
    if (isModal() && screen && !m_shade) {
        m_shade = new Shade(screen);
        m_shade->show();
        m_shade->raise();
    }
    QDialog::showEvent(event);
}

void ZPopup::hideEvent(QHideEvent* event)
{
    delete m_shade;
    QDialog::hideEvent(event);
    // The keys go back to the screen below (or to a dialog still open).
    ZKeyFocus::giveBack(parentWidget() ? parentWidget()->window() : ZApplication::currentMainWidget());
}

QWidget* ZPopup::ownerScreen() const
{
    QWidget* owner = parentWidget() ? parentWidget()->window() : ZApplication::currentMainWidget();
    return owner && owner != this && owner->isVisible() ? owner : nullptr;
}

void ZPopup::place()
{
    QRect screen;
    if (QWidget* owner = ownerScreen()) {
        screen = owner->geometry();
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        screen = QRect(QPoint(0, 0), QSize(ZKbMainWidget::ScreenWidth, ZKbMainWidget::ScreenHeight));
        screen.moveCenter(s->availableGeometry().center());
    } else {
        screen = QRect(0, 0, ZKbMainWidget::ScreenWidth, ZKbMainWidget::ScreenHeight);
    }
    layout()->activate();
    const int height = qMin(sizeHint().height(), int(ZKbMainWidget::ScreenHeight));
    setGeometry(screen.left() + (screen.width() - ZKbMainWidget::ScreenWidth) / 2, screen.bottom() + 1 - height,
                ZKbMainWidget::ScreenWidth, height);
}

void ZPopup::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), ZTheme::paper);
    if (m_titleLabel->isVisible())
        ZTheme::paintBar(p, m_titleLabel->geometry(), ZTheme::titleTop, ZTheme::titleBottom);
    p.setPen(ZTheme::panelBorder.darker(130));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
