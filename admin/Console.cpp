#include "Console.h"

#include <cstdio>
#include <unistd.h>

namespace {

void write(FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void StandardConsole::out(const QString& text)
{
    write(stdout, text);
}

void StandardConsole::err(const QString& text)
{
    write(stderr, text);
}

bool StandardConsole::errIsTerminal() const
{
    return isatty(fileno(stderr)) != 0;
}
