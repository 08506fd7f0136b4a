#pragma once

#include <QRect>
#include <QString>
#include <functional>

class QWidget;

// The parts of the document pane and the media player that need the heavy toolkit libraries
// (PDF rendering, the media system) live in modules loaded on first use, so that a start-up
// that never shows a PDF or a video does not load those libraries. These are the modules'
// interfaces; failures come back as texts, never as exceptions across the module's edge.

// A PDF view: loads a file and shows it page after page, fitted to its width.
class PdfBackend {
public:
    virtual ~PdfBackend() = default;
    // The view, created once with the given parent.
    virtual QWidget* view(QWidget* parent) = 0;
    // Shows the file in the view; the error, or an empty text when it is shown. The view keeps
    // what it showed when the file cannot be read.
    virtual QString show(const QString& file) = 0;
    virtual int pageCount() const = 0;
};

// One video at a time, drawn into a picture widget inside a panel of the caller's.
class MediaBackend {
public:
    virtual ~MediaBackend() = default;
    // Told whenever the playback state or the media status changes.
    virtual void setOnChange(std::function<void()> onChange) = 0;
    // Closes any file opened before and opens this one into a picture inside panel, without
    // starting it; waits until it is loaded. The media system's error, or an empty text.
    virtual QString open(const QString& file, QWidget* panel, int timeoutMs) = 0;
    virtual void close() = 0;
    virtual QWidget* picture() const = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual bool isPlaying() const = 0;
    virtual bool atEnd() const = 0;
    virtual void rewind() = 0;
    virtual qint64 position() const = 0;
};

namespace Backends {

// The module's object, loaded on the first call. Throws AppError naming the module when it
// cannot be found or loaded.
PdfBackend* createPdf();
MediaBackend* createMedia();

} // namespace Backends
