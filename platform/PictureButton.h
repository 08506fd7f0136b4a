#pragma once

#include <QIcon>
#include <QToolButton>

// A button with its picture at the left and its caption beside it. A caption that does not fit
// on one line beside the picture wraps onto a second line instead of being cut short. The
// picture file is read when the button is first drawn, so a window that is built but not shown
// costs no picture decoding.
class PictureButton : public QToolButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);

    void setPicture(const QString& file);
    QString pictureFile() const { return m_file; }
    // The picture, read now if it has not been yet.
    QIcon picture() const;

    // Where the caption is drawn: the button less its margins and the picture.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The picture is square, as high as the button allows and at most its icon size.
    int pictureSide() const;

    QString m_file;
    mutable QIcon m_picture;
};
