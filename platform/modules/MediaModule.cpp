// The media system's part of the player, loaded on the first video opened.

#include "Backends.h"

#include <QAudioOutput>
#include <QEventLoop>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVideoWidget>

namespace {

class MediaModule : public MediaBackend {
public:
    MediaModule()
    {
        m_player = new QMediaPlayer;
        m_audio = new QAudioOutput(m_player);
        m_player->setAudioOutput(m_audio);
        QObject::connect(m_player, &QMediaPlayer::playbackStateChanged, m_player,
                         [this] { changed(); });
        QObject::connect(m_player, &QMediaPlayer::mediaStatusChanged, m_player,
                         [this] { changed(); });
    }
    ~MediaModule() override
    {
        m_player->stop();
        delete m_player;
    }

    void setOnChange(std::function<void()> onChange) override { m_onChange = std::move(onChange); }

    QString open(const QString& file, QWidget* panel, int timeoutMs) override
    {
        close();
        if (!m_picture && panel) {
            m_picture = new QVideoWidget(panel);
            m_picture->setObjectName(QStringLiteral("videoPicture"));
            m_picture->setAccessibleName(QStringLiteral("Бейне"));
        } else if (m_picture && panel && m_picture->parentWidget() != panel) {
            m_picture->setParent(panel);
        }
        m_player->setVideoOutput(m_picture.data());

        // Opening is asynchronous in the media system; the caller learns the outcome before it
        // goes on, as it would from any other open. Input is held back meanwhile.
        QString failure;
        QEventLoop wait;
        auto error = QObject::connect(m_player, &QMediaPlayer::errorOccurred, &wait,
                                      [&](QMediaPlayer::Error, const QString& text) {
                                          if (failure.isEmpty())
                                              failure = text;
                                          wait.quit();
                                      });
        auto status = QObject::connect(m_player, &QMediaPlayer::mediaStatusChanged, &wait,
                                       [&](QMediaPlayer::MediaStatus state) {
                                           if (state == QMediaPlayer::LoadedMedia ||
                                               state == QMediaPlayer::InvalidMedia)
                                               wait.quit();
                                       });
        QTimer::singleShot(timeoutMs, &wait, &QEventLoop::quit);
        m_player->setSource(QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath()));
        const auto state = m_player->mediaStatus();
        if (state != QMediaPlayer::LoadedMedia && state != QMediaPlayer::InvalidMedia &&
            failure.isEmpty())
            wait.exec(QEventLoop::ExcludeUserInputEvents);
        QObject::disconnect(error);
        QObject::disconnect(status);
        if (m_player->mediaStatus() == QMediaPlayer::LoadedMedia)
            return {};
        if (failure.isEmpty())
            failure = m_player->errorString();
        if (failure.isEmpty())
            failure = QStringLiteral("the media system could not open the file in time");
        close();
        return failure;
    }

    void close() override
    {
        m_player->stop();
        m_player->setSource(QUrl());
    }
    QWidget* picture() const override { return m_picture; }
    void play() override { m_player->play(); }
    void pause() override { m_player->pause(); }
    bool isPlaying() const override
    {
        return m_player->playbackState() == QMediaPlayer::PlayingState &&
               m_player->mediaStatus() != QMediaPlayer::EndOfMedia;
    }
    bool atEnd() const override { return m_player->mediaStatus() == QMediaPlayer::EndOfMedia; }
    void rewind() override { m_player->setPosition(0); }
    qint64 position() const override { return m_player->position(); }

private:
    void changed()
    {
        if (m_onChange)
            m_onChange();
    }

    QMediaPlayer* m_player = nullptr;
    QAudioOutput* m_audio = nullptr;
    QPointer<QVideoWidget> m_picture;
    std::function<void()> m_onChange;
};

} // namespace

extern "C" Q_DECL_EXPORT MediaBackend* okulyk_create_media_backend()
{
    // The FFmpeg backend has been seen to crash where no sound device exists; GStreamer plays
    // every format the course uses.
    if (qEnvironmentVariableIsEmpty("QT_MEDIA_BACKEND"))
        qputenv("QT_MEDIA_BACKEND", "gstreamer");
    return new MediaModule;
}
