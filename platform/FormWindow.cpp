#include "FormWindow.h"

#include "Guard.h"

#include <QGuiApplication>
#include <QScreen>

FormWindow::FormWindow(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {}

void FormWindow::setVisible(bool visible)
{
    const bool showingFromHidden = visible && !isVisible();
    if (showingFromHidden)
        guarded([this] { onShowing(); });
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
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
}
