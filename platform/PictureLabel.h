#pragma once

#include <QPixmap>
#include <QWidget>

// A picture stretched over the whole widget, whatever the picture's own size. The file is read
// when the widget is first drawn, so a window that is built but not shown costs no decoding.
class PictureLabel : public QWidget {
    Q_OBJECT
public:
    explicit PictureLabel(QWidget* parent = nullptr);

    void setPicture(const QString& file);
    QString pictureFile() const { return m_file; }
    // The picture, read now if it has not been yet.
    QPixmap picture() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_file;
    mutable QPixmap m_picture;
};
