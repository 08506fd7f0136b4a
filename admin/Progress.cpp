#include "Progress.h"

#include "Console.h"

namespace {

int g_delayMs = 1000;

} // namespace

Progress::Progress(Console& console, QString label, qint64 total)
    : m_console(console), m_label(std::move(label)), m_total(total)
{
    m_timer.start();
}

Progress::~Progress()
{
    finish();
}

void Progress::setDelayMs(int ms)
{
    g_delayMs = ms;
}

void Progress::step(qint64 done)
{
    m_done = done;
    m_console.progress(m_label, done, m_total);
    if (m_console.cancelRequested())
        throw Cancelled{};
    if (m_finished)
        return;
    const qint64 elapsed = m_timer.elapsed();
    if (elapsed < g_delayMs || m_console.drawsProgress())
        return;
    const qint64 interval = m_console.errIsTerminal() ? 200 : 1000;
    if (m_lastPrint >= 0 && elapsed - m_lastPrint < interval)
        return;
    m_lastPrint = elapsed;
    print(done);
}

void Progress::finish()
{
    if (m_finished)
        return;
    m_finished = true;
    if (m_lastPrint < 0)
        return;
    if (m_console.errIsTerminal()) {
        print(m_done);
        m_console.err(QStringLiteral("\n"));
    }
}

void Progress::print(qint64 done)
{
    QString text = QStringLiteral("%1: %2").arg(m_label).arg(done);
    if (m_total > 0)
        text += QStringLiteral(" of %1 (%2%)").arg(m_total).arg(done * 100 / m_total);
    if (m_console.errIsTerminal())
        m_console.err(QLatin1Char('\r') + text + QStringLiteral("\x1b[K"));
    else
        m_console.message(text);
}
