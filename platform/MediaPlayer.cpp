#include "MediaPlayer.h"

#include "AppError.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMediaPlayer>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QUrl>
#include <QVideoWidget>

MediaPlayer::MediaPlayer(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    auto makeButton = [this, layout](const char* name, QStyle::StandardPixmap icon,
                                     const QString& label) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setIcon(style()->standardIcon(icon));
        button->setToolTip(label);
        button->setAccessibleName(label);
        button->setFocusPolicy(Qt::StrongFocus);
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        layout->addWidget(button);
        return button;
    };
    m_play = makeButton("playButton", QStyle::SP_MediaPlay, QStringLiteral("Ойнату"));
    m_stop = makeButton("stopButton", QStyle::SP_MediaStop, QStringLiteral("Тоқтату"));
    connect(m_play, &QToolButton::clicked, this, &MediaPlayer::play);
    connect(m_stop, &QToolButton::clicked, this, &MediaPlayer::stop);
    updateButtons();
}

MediaPlayer::~MediaPlayer()
{
    if (m_player)
        m_player->stop();
}

void MediaPlayer::ensureEngine()
{
    if (m_player)
        return;
    // The FFmpeg backend has been seen to crash where no sound device exists; GStreamer plays
    // every format the course uses.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    m_player = new QMediaPlayer(this);
    m_audio = new QAudioOutput(this);
    m_player->setAudioOutput(m_audio);
    connect(m_player, &QMediaPlayer::playbackStateChanged, this, &MediaPlayer::updateButtons);
    connect(m_player, &QMediaPlayer::mediaStatusChanged, this, &MediaPlayer::updateButtons);
}

void MediaPlayer::setDisplay(QWidget* panel)
{
    m_display = panel;
    if (m_video && panel && m_video->parentWidget() != panel)
        m_video->setParent(panel);
}

void MediaPlayer::open(const QString& path)
{
    ensureEngine();
    m_player->stop();
    m_player->setSource(QUrl());
    m_path.clear();
    updateButtons();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw AppError(QStringLiteral("Бейнефайл табылмады: %1").arg(path));
    if (!QFileInfo(path).isReadable())
        throw AppError(QStringLiteral("Бейнефайлды оқу мүмкін емес: %1").arg(path));

    if (!m_video && m_display) {
        m_video = new QVideoWidget(m_display);
        m_video->setObjectName(QStringLiteral("videoPicture"));
        m_video->setAccessibleName(QStringLiteral("Бейне"));
    }
    m_player->setVideoOutput(m_video.data());

    // Opening is asynchronous in the media system; the caller learns the outcome before it goes
    // on, as it would from any other open. Input is held back meanwhile.
    QString failure;
    QEventLoop wait;
    auto error = connect(m_player, &QMediaPlayer::errorOccurred, &wait,
                         [&](QMediaPlayer::Error, const QString& text) {
                             if (failure.isEmpty())
                                 failure = text;
                             wait.quit();
                         });
    auto status = connect(
        m_player, &QMediaPlayer::mediaStatusChanged, &wait, [&](QMediaPlayer::MediaStatus state) {
            if (state == QMediaPlayer::LoadedMedia || state == QMediaPlayer::InvalidMedia)
                wait.quit();
        });
    QTimer::singleShot(kOpenTimeoutMs, &wait, &QEventLoop::quit);
    m_player->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
    const auto settled = [this] {
        const auto state = m_player->mediaStatus();
        return state == QMediaPlayer::LoadedMedia || state == QMediaPlayer::InvalidMedia;
    };
    if (!settled() && failure.isEmpty())
        wait.exec(QEventLoop::ExcludeUserInputEvents);
    disconnect(error);
    disconnect(status);

    if (m_player->mediaStatus() != QMediaPlayer::LoadedMedia) {
        if (failure.isEmpty())
            failure = m_player->errorString();
        if (failure.isEmpty())
            failure = QStringLiteral("the media system could not open the file in time");
        m_player->setSource(QUrl());
        throw AppError(QStringLiteral("%1: %2").arg(path, failure));
    }
    m_path = path;
    updateButtons();
}

void MediaPlayer::setDisplayRect(const QRect& rect)
{
    if (!m_video)
        return;
    m_video->setGeometry(rect);
    m_video->show();
}

void MediaPlayer::play()
{
    if (!m_player || m_path.isEmpty())
        return;
    if (m_player->mediaStatus() == QMediaPlayer::EndOfMedia)
        m_player->setPosition(0);
    m_player->play();
}

void MediaPlayer::stop()
{
    if (m_player && isPlaying())
        m_player->pause();
}

bool MediaPlayer::isPlaying() const
{
    return m_player && m_player->playbackState() == QMediaPlayer::PlayingState;
}

qint64 MediaPlayer::position() const
{
    return m_player ? m_player->position() : 0;
}

QWidget* MediaPlayer::videoWidget() const
{
    return m_video;
}

void MediaPlayer::updateButtons()
{
    const bool open = m_player && !m_path.isEmpty();
    const bool playing = open && isPlaying() && m_player->mediaStatus() != QMediaPlayer::EndOfMedia;
    m_play->setEnabled(open && !playing);
    m_stop->setEnabled(playing);
}
