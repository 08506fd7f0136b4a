#include "FormWindow.h"

#include "Guard.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>

FormWindow::FormWindow(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

void FormWindow::setVisible(bool visible)
{
    const bool showingFromHidden = visible && !isVisible();
    if (showingFromHidden) {
        m_refused = false;
        guarded([this] { onShowing(); });
        if (m_refused)
            return;
    }
    QWidget::setVisible(visible);
    if (showingFromHidden)
        emit shownFromHidden();
}

void FormWindow::showModeless()
{
    if (!isVisible()) {
        show();
    } else if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    raise();
    activateWindow();
}

void FormWindow::centreOnScreen()
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    QRect frame = frameGeometry();
    frame.moveCenter(available.center());
    // A window larger than a small screen starts at its top left corner: its title bar must
    // stay on the screen, or it could not be moved.
    move(std::max(frame.left(), available.left()), std::max(frame.top(), available.top()));
}
