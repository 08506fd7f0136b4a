// The start-up race's baseline: the least a Qt Widgets program does to show one window.

#include "ReadySignal.h"

#include <QApplication>
#include <QLabel>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QLabel window(QStringLiteral("Қолданушы және паролді енгізініз"));
    window.resize(294, 141);
    ReadySignal::watch(&window);
    window.show();
    return QApplication::exec();
}
