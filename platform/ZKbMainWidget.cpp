#include "ZKbMainWidget.h"

#include <QKeyEvent>
#include <QPainter>
#include <QVBoxLayout>

#include "ZApplication.h"
#include "ZKeyFocus.h"
#include "ZSoftKey.h"
#include "ZTheme.h"

class ZKbMainWidget::TitleBar : public QWidget
{
public:
    explicit TitleBar(QWidget* parent)
        : QWidget(parent)
    {
        setFixedHeight(ZTheme::TitleHeight);
    }

    void setText(const QString& text)
    {
        m_text = text;
        update();
    }
    QString text() const { return m_text; }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        ZTheme::paintBar(p, rect(), ZTheme::titleTop, ZTheme::titleBottom);
        p.setPen(QColor(255, 255, 255, 40));
        p.drawLine(0, 0, width(), 0);
        p.setFont(ZTheme::font(12, true));
        p.setPen(Qt::white);
        const QRect textRect = rect().adjusted(8, 0, -8, 0);
        p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                   p.fontMetrics().elidedText(m_text, Qt::ElideRight, textRect.width()));
    }

private:
    QString m_text;
};

ZKbMainWidget::ZKbMainWidget(int headerType, QWidget* parent, const char* name, int flags)
    : QWidget(parent)
    , m_headerType(headerType)
{
    if (name)
        setObjectName(QString::fromLatin1(name));
    if (parent && (flags & 1))
        setWindowFlags(windowFlags() | Qt::Window);
    if (flags & 2)
        setWindowModality(Qt::ApplicationModal);
    if (isWindow()) {
        setFixedSize(ScreenWidth, ScreenHeight);
        ZTheme::styleTopLevel(this);
    }
    setAutoFillBackground(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_title = new TitleBar(this);
    layout->addWidget(m_title);

    m_contentArea = new QWidget(this);
    m_contentLayout = new QVBoxLayout(m_contentArea);
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(0);
    layout->addWidget(m_contentArea, 1);

    m_barArea = new QWidget(this);
    m_barArea->setFixedHeight(ZTheme::SoftKeyHeight);
    m_barLayout = new QVBoxLayout(m_barArea);
    m_barLayout->setContentsMargins(0, 0, 0, 0);
    m_barLayout->setSpacing(0);
    layout->addWidget(m_barArea);
}

ZKbMainWidget::~ZKbMainWidget() = default;

void ZKbMainWidget::setMainWidgetTitle(const QString& title)
{
    m_title->setText(title);
    setWindowTitle(title);
}

QString ZKbMainWidget::mainWidgetTitle() const
{
    return m_title->text();
}

void ZKbMainWidget::setContentWidget(QWidget* widget)
{
    if (!place(m_content, widget, m_contentArea, m_contentLayout))
        return;
    if (!focusWidget() || !isAncestorOf(focusWidget()))
        ZKeyFocus::firstFocusable(widget)->setFocus();
}

QWidget* ZKbMainWidget::contentWidget() const
{
    return m_content;
}

void ZKbMainWidget::setSoftKey(ZSoftKey* softKey)
{
    placeBar(softKey);
}

ZSoftKey* ZKbMainWidget::softKey() const
{
    return qobject_cast<ZSoftKey*>(m_bar.data());
}

void ZKbMainWidget::setCSTWidget(QWidget* widget)
{
    placeBar(widget);
}

QWidget* ZKbMainWidget::cstWidget() const
{
    return m_bar;
}

void ZKbMainWidget::placeBar(QWidget* bar)
{
    place(m_bar, bar, m_barArea, m_barLayout);
}

bool ZKbMainWidget::place(QPointer<QWidget>& slot, QWidget* widget, QWidget* area, QVBoxLayout* layout)
{
    if (slot == widget)
        return false;
    if (slot) {
        layout->removeWidget(slot);
        slot->hide();
    }
    slot = widget;
    if (!widget)
        return false;
    widget->setParent(area);
    layout->addWidget(widget);
    widget->show();
    return true;
}

void ZKbMainWidget::keyPressEvent(QKeyEvent* event)
{
    const int key = event->key();
    if ((key == Qt::Key_F1 || key == Qt::Key_F2) && softKey()) {
        softKey()->click(key == Qt::Key_F1 ? ZSoftKey::LEFT : ZSoftKey::RIGHT);
        return;
    }
    QWidget::keyPressEvent(event);
}

void ZKbMainWidget::showEvent(QShowEvent* event)
{
    // A full-screen dialog covers the main screen exactly.
    QWidget* main = ZApplication::currentMainWidget();
    if (isWindow() && main && main != this && main->isVisible())
        setGeometry(QRect(main->geometry().topLeft(), size()));
    if (m_content && !(focusWidget() && isAncestorOf(focusWidget())))
        ZKeyFocus::firstFocusable(m_content)->setFocus();
    QWidget::showEvent(event);
}

void ZKbMainWidget::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    // A full-screen dialog closed: the keys go back to the screen below.
    QWidget* main = ZApplication::currentMainWidget();
    if (isWindow() && main && main != this)
        ZKeyFocus::giveBack(main);
}
