#pragma once

#include <QToolButton>

// A button with its picture at the left and its caption beside it. A caption too long for one
// line wraps onto two instead of being cut short (Kazakh captions in the stand-in fonts run
// wider than the buttons were drawn for).
class PictureButton : public QToolButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
