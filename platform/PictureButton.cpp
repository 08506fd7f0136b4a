#include "PictureButton.h"

#include <QStyleOptionToolButton>
#include <QStylePainter>

PictureButton::PictureButton(QWidget* parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    setFocusPolicy(Qt::StrongFocus);
}

namespace {
constexpr int kMargin = 3;
}

// Two lines of a 16-pixel caption need 47 of a 49-pixel button's height, so the caption keeps
// only the frame's pixel above and below it.
void PictureButton::setPicture(const QString& file)
{
    m_file = file;
    m_picture = QIcon();
    update();
}

QIcon PictureButton::picture() const
{
    if (m_picture.isNull() && !m_file.isEmpty())
        m_picture = QIcon(m_file);
    return m_picture;
}

QRect PictureButton::captionRect() const
{
    QRect area = rect().adjusted(kMargin, 1, -kMargin, -1);
    if (!m_file.isEmpty())
        area.setLeft(area.left() + pictureSide() + kMargin);
    return area;
}

int PictureButton::pictureSide() const
{
    return std::min(iconSize().width(), height() - 2 * kMargin);
}

void PictureButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionToolButton option;
    initStyleOption(&option);
    // The style draws the frame only; picture and caption are laid out here.
    const QString caption = option.text;
    const QIcon icon = picture();
    option.text.clear();
    option.icon = QIcon();
    painter.drawComplexControl(QStyle::CC_ToolButton, option);

    if (!icon.isNull()) {
        const int side = pictureSide();
        const QRect iconRect(kMargin, (height() - side) / 2, side, side);
        icon.paint(&painter, iconRect, Qt::AlignCenter,
                   isEnabled() ? QIcon::Normal : QIcon::Disabled,
                   isChecked() ? QIcon::On : QIcon::Off);
    }
    QString text = caption;
    text.remove(QLatin1Char('&'));
    painter.setFont(font());
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    painter.drawText(captionRect(), Qt::AlignCenter | Qt::TextWordWrap, text);
}
