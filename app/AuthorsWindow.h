#pragma once

#include "FormWindow.h"

#include <memory>

namespace Ui {
class TForm9;
}

// The authors window: one picture stretched over a 345 x 153 client area, opened at (509, 210).
class TForm9 : public FormWindow {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);
    ~TForm9() override;

private:
    std::unique_ptr<Ui::TForm9> ui;
};
