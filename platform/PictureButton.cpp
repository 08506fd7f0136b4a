#include "PictureButton.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setFocusPolicy(Qt::StrongFocus);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The style draws the frame only; picture and caption are laid out here.
    const QString caption = option.text;
    const QIcon icon = option.icon;
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    const int margin = 3;
    QRect area = rect().adjusted(margin, margin, -margin, -margin);
    if (!icon.isNull()) {
        const QSize side = iconSize().boundedTo(QSize(area.height(), area.height()));
        const QRect iconRect(area.left(), area.top() + (area.height() - side.height()) / 2,
                             side.width(), side.height());
        icon.paint(&painter, iconRect, Qt::AlignCenter,
                   isEnabled() ? QIcon::Normal : QIcon::Disabled,
                   isChecked() ? QIcon::On : QIcon::Off);
        area.setLeft(iconRect.right() + 1 + margin);
    }
    QString text = caption;
    text.remove(QLatin1Char('&'));
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    QFont font = this->font();
    // Shrink only when even two lines cannot hold the caption.
    while (font.pixelSize() > 9 &&
           QFontMetrics(font).boundingRect(area, flags, text).width() > area.width()) {
        font.setPixelSize(font.pixelSize() - 1);
    }
    painter.setFont(font);
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(area, flags, text);
}
