#include "MediaPlayer.h"

#include "AppError.h"

#include "Backends.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QStyle>
#include <QToolButton>

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

MediaPlayer::~MediaPlayer() = default;

void MediaPlayer::setDisplay(QWidget* panel)
{
    m_display = panel;
}

void MediaPlayer::open(const QString& path)
{
    if (m_engine)
        m_engine->close();
    m_path.clear();
    updateButtons();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw AppError(QStringLiteral("Бейнефайл табылмады: %1").arg(path));
    if (!QFileInfo(path).isReadable())
        throw AppError(QStringLiteral("Бейнефайлды оқу мүмкін емес: %1").arg(path));
    if (!m_engine) {
        m_engine.reset(Backends::createMedia());
        m_engine->setOnChange([this] { updateButtons(); });
    }
    const QString failure = m_engine->open(path, m_display, kOpenTimeoutMs);
    if (!failure.isEmpty())
        throw AppError(QStringLiteral("%1: %2").arg(path, failure));
    m_path = path;
    updateButtons();
}

void MediaPlayer::setDisplayRect(const QRect& rect)
{
    QWidget* picture = m_engine ? m_engine->picture() : nullptr;
    if (!picture)
        return;
    picture->setGeometry(rect);
    picture->show();
}

void MediaPlayer::play()
{
    if (!m_engine || m_path.isEmpty())
        return;
    if (m_engine->atEnd())
        m_engine->rewind();
    m_engine->play();
}

void MediaPlayer::stop()
{
    if (isPlaying())
        m_engine->pause();
}

bool MediaPlayer::isPlaying() const
{
    return m_engine && !m_path.isEmpty() && m_engine->isPlaying();
}

qint64 MediaPlayer::position() const
{
    return m_engine ? m_engine->position() : 0;
}

QWidget* MediaPlayer::videoWidget() const
{
    return m_engine ? m_engine->picture() : nullptr;
}

void MediaPlayer::updateButtons()
{
    const bool open = !m_path.isEmpty();
    const bool playing = open && isPlaying();
    m_play->setEnabled(open && !playing);
    m_stop->setEnabled(playing);
}
