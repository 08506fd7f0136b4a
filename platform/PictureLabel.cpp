#include "PictureLabel.h"

#include <QPainter>

PictureLabel::PictureLabel(QWidget* parent) : QWidget(parent) {}

void PictureLabel::setPicture(const QString& file)
{
    m_file = file;
    m_picture = QPixmap();
    update();
}

QPixmap PictureLabel::picture() const
{
    if (m_picture.isNull() && !m_file.isEmpty())
        m_picture = QPixmap(m_file);
    return m_picture;
}

void PictureLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), picture());
}
