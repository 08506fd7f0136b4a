#pragma once

#include <QWidget>

// A top-level window of the program: created once, hidden and shown, never destroyed.
// Its on-show work (onShowing) runs only when the window goes from hidden to shown, before it
// becomes visible; restoring a minimised window or showing a visible one runs nothing.
class FormWindow : public QWidget {
    Q_OBJECT
public:
    explicit FormWindow(QWidget* parent = nullptr, Qt::WindowFlags flags = Qt::Window);

    void setVisible(bool visible) override;

    // The modeless show used by every button that opens a window: a hidden window is shown,
    // a visible one is only brought to the front.
    void showModeless();

    // Places the window so that its frame is centred on the screen it is on, but never above or
    // left of the screen's available area.
    void centreOnScreen();

    // Asked before the program ends: a window holding unwritten work asks the user what to do
    // with it. False keeps the program running.
    virtual bool readyToEnd() { return true; }

signals:
    void shownFromHidden();

protected:
    // Errors are reported by the default error box and the window is shown all the same, unless
    // onShowing() called refuseToOpen().
    virtual void onShowing() {}
    // Keeps the window hidden after the on-show work that is running: it could not prepare
    // what the window shows.
    void refuseToOpen() { m_refused = true; }

private:
    bool m_refused = false;
};
