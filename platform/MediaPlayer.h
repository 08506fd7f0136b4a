#pragma once

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <memory>

class MediaBackend;
class QToolButton;

// The media player control: a Play and a Stop button over one video file at a time, whose
// picture is drawn inside a display panel of the caller's. Play is enabled once a file is open
// and whenever playback is stopped or has reached the end, Stop while it plays. Stop halts at
// the current position; Play goes on from there, from the start after the end.
//
// The media system is loaded on the first open only, so the control costs nothing at start-up.
class MediaPlayer : public QWidget {
    Q_OBJECT
public:
    explicit MediaPlayer(QWidget* parent = nullptr);
    ~MediaPlayer() override;

    // The panel the picture is drawn in.
    void setDisplay(QWidget* panel);
    // Closes any file opened before and opens this one, without starting it. Throws AppError
    // with the media system's text when the file cannot be opened; nothing is open then.
    void open(const QString& path);
    // Where the picture goes inside the display panel; set once per file, so later resizing of
    // the panel leaves the picture as it was.
    void setDisplayRect(const QRect& rect);

    void play();
    void stop();

    bool isOpen() const { return !m_path.isEmpty(); }
    QString fileName() const { return m_path; }
    bool isPlaying() const;
    qint64 position() const;
    QToolButton* playButton() const { return m_play; }
    QToolButton* stopButton() const { return m_stop; }
    QWidget* videoWidget() const;

    // How long an open may take before the file is taken as unreadable.
    static constexpr int kOpenTimeoutMs = 10000;

private:
    void updateButtons();

    QToolButton* m_play = nullptr;
    QToolButton* m_stop = nullptr;
    QPointer<QWidget> m_display;
    std::unique_ptr<MediaBackend> m_engine;
    QString m_path;
};
