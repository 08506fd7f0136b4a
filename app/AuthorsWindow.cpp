#include "AuthorsWindow.h"

#include "ui_AuthorsWindow.h"

TForm9::TForm9(QWidget* parent) : FormWindow(parent), ui(std::make_unique<Ui::TForm9>())
{
    ui->setupUi(this);
    setObjectName(QStringLiteral("Form9"));
    ui->picture->setPicture(QStringLiteral(":/images/authors.jpg"));
    // The picture is the whole window, so the window itself takes the keyboard focus.
    setFocusPolicy(Qt::StrongFocus);
    move(509, 210);
}

TForm9::~TForm9() = default;
