#pragma once

#include "FormWindow.h"

#include <memory>

namespace Ui {
class TForm6;
}
class QModelIndex;
class QTableView;
class ResultsModel;

// The results window: one grid over the results query. The test hub rebuilds the query for the
// login it holds. The administrator sees every result and may change them in place (a change
// is written when the grid leaves the row; Insert adds a row, moving down past the last row
// appends one, Ctrl+Delete deletes after a confirmation), with the time each was stored where
// the course keeps it; anyone else sees only their own results and cannot change them.
class TForm6 : public FormWindow {
    Q_OBJECT
public:
    // The designed client area; the administrator's time column widens it.
    static constexpr int kWidth = 267;
    static constexpr int kHeight = 219;

    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    // Rebuilds the results query: "select * from Тесты" for the administrator, the login's own
    // rows for anyone else. A change still pending in the grid is written first. Throws AppError.
    void openResults(const QString& login);

    QTableView* grid() const;
    ResultsModel* model() const { return m_model; }

    // A change still pending in the grid is written as the window hides.
    void setVisible(bool visible) override;

protected:
    void onShowing() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void currentRowChanged(const QModelIndex& current, const QModelIndex& previous);
    void finishEditing();
    void insertRow(int row);
    void deleteCurrentRow();
    void postOrDrop();
    void fitTimeColumn();

    std::unique_ptr<Ui::TForm6> ui;
    ResultsModel* m_model = nullptr;
};
