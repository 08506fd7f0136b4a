#pragma once

#include <QString>

// Where a command writes: its output (standard output) and its messages (standard error:
// warnings, refusals, errors and progress). Tests capture both.
class Console {
public:
    virtual ~Console() = default;
    virtual void out(const QString& text) = 0;
    virtual void err(const QString& text) = 0;
    // Progress rewrites one line on a terminal and prints whole lines elsewhere.
    virtual bool errIsTerminal() const { return false; }
    // Every step of long work, for a window's progress bar: done of total (0: unknown). A console
    // that draws its own bar gets no progress lines among its messages.
    virtual void progress(const QString& /*label*/, qint64 /*done*/, qint64 /*total*/) {}
    virtual bool drawsProgress() const { return false; }
    // Whether the user asked to stop: long work then stops at its next step, and a command
    // changes and writes nothing.
    virtual bool cancelRequested() const { return false; }

    void line(const QString& text) { out(text + QLatin1Char('\n')); }
    void message(const QString& text) { err(text + QLatin1Char('\n')); }
};

// The process's own standard output and standard error, in UTF-8.
class StandardConsole : public Console {
public:
    void out(const QString& text) override;
    void err(const QString& text) override;
    bool errIsTerminal() const override;
};
