#pragma once

#include <QEvent>
#include <QObject>
#include <QWidget>
#include <cstdlib>
#include <unistd.h>

// For the start-up race: tells the parent, through the file descriptor it names in
// OKULYK_READY_FD, the moment the watched window is first painted.
class ReadySignal : public QObject {
public:
    static void watch(QWidget* window)
    {
        const char* fd = std::getenv("OKULYK_READY_FD");
        if (fd && window)
            window->installEventFilter(new ReadySignal(std::atoi(fd), window));
    }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && m_fd >= 0) {
            const char ready = '!';
            [[maybe_unused]] const ssize_t written = ::write(m_fd, &ready, 1);
            ::close(m_fd);
            m_fd = -1;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    ReadySignal(int fd, QObject* parent) : QObject(parent), m_fd(fd) {}
    int m_fd;
};
