// okulyk-admin: the teacher's command-line companion of the electronic textbook.
#include "Commands.h"
#include "Console.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    StandardConsole console;
    return Commands::run(QCoreApplication::arguments().mid(1), console);
}
