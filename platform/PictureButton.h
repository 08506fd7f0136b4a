#pragma once

#include <QToolButton>

// A button with its picture at the left and its caption beside it. A caption that does not fit
// on one line beside the picture wraps onto a second line instead of being cut short.
class PictureButton : public QToolButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);

    // Where the caption is drawn: the button less its margins and the picture.
    QRect captionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The picture is square, as high as the button allows and at most its icon size.
    int pictureSide() const;
};
